#include "engine/clean_up/tag_replay.h"

#include <map>
#include <set>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/clean_up/tag_scan.h"
#include "engine/text/boundary_search.h"
#include "engine/text/code_page.h"

namespace wendrel {

namespace {

constexpr int kNone = -1;

// The text as RemoveTags's passes change it: the original bytes, the deleted ones
// marked. Deletions take whole characters, so a byte that began a character
// still does while it stays.
class LiveText {
  public:
    explicit LiveText(const PageText& text)
        : m_text(text), m_deleted(text.size()), m_boundary(text.size()) {
        for (int position = 0; position < Length();) {
            m_boundary[position] = true;
            position +=
                IsLeadByte(static_cast<unsigned char>(text[position])) && position + 1 < Length()
                    ? 2
                    : 1;
        }
    }

    int Length() const { return static_cast<int>(m_text.size()); }
    char At(int position) const { return m_text[position]; }
    bool IsLive(int position) const { return !m_deleted[position]; }
    bool BeginsCharacter(int position) const { return m_boundary[position]; }
    void Delete(int position) { m_deleted[position] = true; }

    // The first live ">" at or after position, which begins a character, that
    // is a character of its own, or kNone.
    int TagEnd(int position) const {
        for (position = FindOnBoundary(m_text, ">", position, position); position != kNone;
             position = FindOnBoundary(m_text, ">", position + 1, position + 1)) {
            if (IsLive(position)) {
                return position;
            }
        }
        return kNone;
    }

    // The live bytes from start through end.
    std::string Bytes(int start, int end) const {
        std::string bytes;
        for (int position = start; position <= end; ++position) {
            if (IsLive(position)) {
                bytes += m_text[position];
            }
        }
        return bytes;
    }

    // Up to count live bytes before position, nearest last, with their positions.
    std::vector<int> LiveBefore(int position, int count) const {
        std::vector<int> positions;
        while (static_cast<int>(positions.size()) < count && --position >= 0) {
            if (IsLive(position)) {
                positions.insert(positions.begin(), position);
            }
        }
        return positions;
    }

    std::vector<int> LiveAfter(int position, int count) const {
        std::vector<int> positions;
        while (static_cast<int>(positions.size()) < count && ++position < Length()) {
            if (IsLive(position)) {
                positions.push_back(position);
            }
        }
        return positions;
    }

  private:
    const PageText& m_text;
    std::vector<bool> m_deleted;
    std::vector<bool> m_boundary;
};

struct Tag {
    int end;
    std::string text;
};

class TagIndex {
  public:
    TagIndex(LiveText& live, std::string_view prefix)
        : m_live(live),
          m_prefix(prefix),
          m_budget(kReplayBytesPerTextByte * live.Length() + kBudgetFloor) {}

    // Whether indexing has walked more bytes than the text allows. Each nested
    // occurrence keeps a tag text of its own, so deep nesting costs the square
    // of the text per pass; the index is given up before that.
    bool Exhausted() const { return m_work > m_budget; }

    void Add(int occurrence) {
        if (Exhausted()) {
            return;
        }
        const int end = m_live.TagEnd(occurrence);
        m_work += (end == kNone ? m_live.Length() : end + 1) - occurrence;
        if (Exhausted()) {
            return;
        }
        Tag tag{end, end == kNone ? std::string() : m_live.Bytes(occurrence, end)};
        m_byText[tag.text].insert(occurrence);
        m_byEnd[end].insert(occurrence);
        m_tags[occurrence] = std::move(tag);
    }

    // One pass: the first occurrence's tag text, deleted wherever it stands.
    // False when the first occurrence has no ">" after it: RemoveTags stops.
    bool RunPass() {
        if (Exhausted() || m_tags.empty() || m_tags.begin()->second.end == kNone) {
            return false;
        }
        // Taken before anything changes: a tag that a deletion reshapes into
        // the same text waits for a later pass, as it does in RemoveTags.
        const std::set<int> same = m_byText.at(m_tags.begin()->second.text);
        std::vector<std::pair<int, int>> deleted;
        for (int occurrence : same) {
            deleted.emplace_back(occurrence, m_tags.at(occurrence).end);
            DeleteTag(occurrence);
        }
        for (const auto& [start, end] : deleted) {
            AddJoined(start, end);
        }
        return true;
    }

  private:
    void Forget(int occurrence) {
        const Tag& tag = m_tags.at(occurrence);
        EraseFrom(m_byText, tag.text, occurrence);
        EraseFrom(m_byEnd, tag.end, occurrence);
        m_tags.erase(occurrence);
    }

    template <typename Key>
    static void EraseFrom(std::unordered_map<Key, std::set<int>>& map, const Key& key,
                          int occurrence) {
        auto found = map.find(key);
        found->second.erase(occurrence);
        if (found->second.empty()) {
            map.erase(found);
        }
    }

    // Deletes the tag's bytes; occurrences inside it go with them, and those
    // whose tag ended at its ">" now reach to the next one.
    void DeleteTag(int occurrence) {
        const int end = m_tags.at(occurrence).end;
        for (int position = occurrence; position <= end; ++position) {
            m_live.Delete(position);
        }
        for (auto inside = m_tags.lower_bound(occurrence);
             inside != m_tags.end() && inside->first <= end;) {
            const int forgotten = (inside++)->first;
            Forget(forgotten);
        }
        const auto outer = m_byEnd.find(end);
        if (outer != m_byEnd.end()) {
            const std::set<int> reshaped = outer->second;
            for (int other : reshaped) {
                Forget(other);
                Add(other);
            }
        }
    }

    // Bytes that meet where the tag was may spell the prefix anew.
    void AddJoined(int start, int end) {
        const int width = static_cast<int>(m_prefix.size()) - 1;
        std::vector<int> positions = m_live.LiveBefore(start, width);
        const int junction = static_cast<int>(positions.size());
        const std::vector<int> after = m_live.LiveAfter(end, width);
        positions.insert(positions.end(), after.begin(), after.end());
        std::string bytes;
        for (int position : positions) {
            bytes += m_live.At(position);
        }
        for (auto found = bytes.find(m_prefix);
             found != std::string::npos && static_cast<int>(found) < junction;
             found = bytes.find(m_prefix, found + 1)) {
            const int occurrence = positions[found];
            if (m_live.BeginsCharacter(occurrence) && m_tags.count(occurrence) == 0) {
                Add(occurrence);
            }
        }
    }

    static constexpr long long kBudgetFloor = 1 << 16;

    LiveText& m_live;
    std::string_view m_prefix;
    long long m_budget;
    long long m_work = 0;
    std::map<int, Tag> m_tags;
    std::unordered_map<std::string, std::set<int>> m_byText;
    std::unordered_map<int, std::set<int>> m_byEnd;
};

}  // namespace

bool ReplayTagPasses(PageText& text, std::string_view prefix) {
    if (!SuitsOneScan({prefix})) {
        return false;
    }
    LiveText live(text);
    TagIndex index(live, prefix);
    for (int occurrence = FindOnBoundary(text, prefix, 0, 0);
         occurrence != kNone && !index.Exhausted();
         occurrence = FindOnBoundary(text, prefix, occurrence + 1, occurrence)) {
        index.Add(occurrence);
    }
    while (index.RunPass()) {
    }
    if (index.Exhausted()) {
        return false;
    }
    int kept = 0;
    for (int position = 0; position < live.Length(); ++position) {
        if (live.IsLive(position)) {
            text[kept++] = text[position];
        }
    }
    text.resize(kept);
    return true;
}

}  // namespace wendrel
