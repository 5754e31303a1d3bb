#include "engine/clean_up/tag_scan.h"

#include <algorithm>
#include <string>

#include "engine/text/boundary_search.h"

namespace wendrel {

namespace {

constexpr char kTagEnd[] = ">";

// Bytes to delete, [start, end): one tag, or tags standing next to each other.
struct Deletion {
    int start;
    int end;
};

// Whether some prefix starts again inside other, from its second byte on, even
// running past other's end: two occurrences could then overlap. All prefixes
// begin with other's first byte, so only its later copies are tried.
bool StartsInside(std::string_view other, const std::vector<std::string_view>& prefixes) {
    for (auto offset = other.find(other.front(), 1); offset != std::string_view::npos;
         offset = other.find(other.front(), offset + 1)) {
        const std::string_view rest = other.substr(offset);
        for (std::string_view prefix : prefixes) {
            const std::size_t length = std::min(rest.size(), prefix.size());
            if (rest.substr(0, length) == prefix.substr(0, length)) {
                return true;
            }
        }
    }
    return false;
}

bool HasTagEndBeforeLast(std::string_view prefix) {
    return prefix.substr(0, prefix.size() - 1).find('>') != std::string_view::npos;
}

bool AnyStartsAt(std::string_view text, const std::vector<std::string_view>& prefixes,
                 int position) {
    return std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view prefix) {
        return text.compare(position, prefix.size(), prefix) == 0;
    });
}

// The first occurrence of any prefix at or after from, on a boundary, or -1.
int FindAny(std::string_view text, const std::vector<std::string_view>& prefixes, int from,
            int boundary) {
    const std::string_view firstByte = prefixes.front().substr(0, 1);
    for (int candidate = FindOnBoundary(text, firstByte, from, boundary); candidate != -1;
         candidate = FindOnBoundary(text, firstByte, candidate + 1, candidate)) {
        if (AnyStartsAt(text, prefixes, candidate)) {
            return candidate;
        }
    }
    return -1;
}

// The closed tags in order, up to the first occurrence without a ">" after it.
// False when an occurrence stands inside the tag before it: which of the two
// goes first then depends on which tag text RemoveTags's passes take first.
bool FindSeparateTags(std::string_view text, const std::vector<std::string_view>& prefixes,
                      std::vector<Deletion>& deletions) {
    int start = FindAny(text, prefixes, 0, 0);
    while (start != -1) {
        const int end = FindOnBoundary(text, kTagEnd, start, start);
        if (end == -1) {
            return true;
        }
        const int next = FindAny(text, prefixes, start + 1, start);
        if (next != -1 && next < end) {
            return false;
        }
        if (!deletions.empty() && deletions.back().end == start) {
            deletions.back().end = end + 1;
        } else {
            deletions.push_back({start, end + 1});
        }
        start = next;
    }
    return true;
}

// Up to width bytes that stay in the text before deletions[index], stepping
// over the deletions before it.
std::string KeptBefore(std::string_view text, const std::vector<Deletion>& deletions,
                       std::size_t index, int width) {
    std::string bytes;
    int position = deletions[index].start;
    while (Length(bytes) < width && position > 0) {
        if (index > 0 && deletions[index - 1].end == position) {
            position = deletions[--index].start;
        } else {
            bytes.insert(bytes.begin(), text[--position]);
        }
    }
    return bytes;
}

// Up to width bytes that stay in the text after deletions[index], stepping
// over the deletions after it.
std::string KeptAfter(std::string_view text, const std::vector<Deletion>& deletions,
                      std::size_t index, int width) {
    std::string bytes;
    int position = deletions[index].end;
    while (Length(bytes) < width && position < Length(text)) {
        if (index + 1 < deletions.size() && deletions[index + 1].start == position) {
            position = deletions[++index].end;
        } else {
            bytes += text[position++];
        }
    }
    return bytes;
}

bool SpansJunction(std::string_view bytes, std::string_view prefix, int junction) {
    for (auto found = bytes.find(prefix);
         found != std::string_view::npos && static_cast<int>(found) < junction;
         found = bytes.find(prefix, found + 1)) {
        if (static_cast<int>(found + prefix.size()) > junction) {
            return true;
        }
    }
    return false;
}

// Whether bytes brought together where a deletion was spell a prefix:
// RemoveTags would find such a joined occurrence and delete its tag too.
// Byte-wise, ignoring boundaries, so that it errs towards declining.
bool JoinsAnOccurrence(std::string_view text, const std::vector<std::string_view>& prefixes,
                       const std::vector<Deletion>& deletions) {
    int width = 0;
    for (std::string_view prefix : prefixes) {
        width = std::max(width, Length(prefix) - 1);
    }
    for (std::size_t index = 0; index < deletions.size(); ++index) {
        // A joined occurrence begins before the junction, with the first byte
        // all prefixes share.
        const std::string before = KeptBefore(text, deletions, index, width);
        if (before.find(prefixes.front().front()) == std::string::npos) {
            continue;
        }
        const std::string bytes = before + KeptAfter(text, deletions, index, width);
        if (std::any_of(prefixes.begin(), prefixes.end(), [&](std::string_view prefix) {
                return SpansJunction(bytes, prefix, Length(before));
            })) {
            return true;
        }
    }
    return false;
}

// In place: the text only shrinks, so a clip of megabytes is not copied.
void Delete(PageText& text, const std::vector<Deletion>& deletions) {
    auto kept = text.begin() + deletions.front().start;
    for (std::size_t index = 0; index < deletions.size(); ++index) {
        const auto from = text.begin() + deletions[index].end;
        const auto to =
            index + 1 < deletions.size() ? text.begin() + deletions[index + 1].start : text.end();
        kept = std::copy(from, to, kept);
    }
    text.erase(kept, text.end());
}

}  // namespace

bool SuitsOneScan(const std::vector<std::string_view>& prefixes) {
    if (prefixes.empty()) {
        return false;
    }
    const auto unsuitable = [&](std::string_view prefix) {
        return prefix.empty() || prefix.front() != prefixes.front().front() ||
               HasTagEndBeforeLast(prefix);
    };
    if (std::any_of(prefixes.begin(), prefixes.end(), unsuitable)) {
        return false;
    }
    return std::none_of(prefixes.begin(), prefixes.end(),
                        [&](std::string_view prefix) { return StartsInside(prefix, prefixes); });
}

bool RemoveTagsInOneScan(PageText& text, const std::vector<std::string_view>& prefixes) {
    if (!SuitsOneScan(prefixes)) {
        return false;
    }
    std::vector<Deletion> deletions;
    if (!FindSeparateTags(text, prefixes, deletions) ||
        JoinsAnOccurrence(text, prefixes, deletions)) {
        return false;
    }
    if (!deletions.empty()) {
        Delete(text, deletions);
    }
    return true;
}

}  // namespace wendrel
