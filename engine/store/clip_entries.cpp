#include "engine/store/clip_entries.h"

#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

namespace wendrel {

namespace {

constexpr std::string_view kHeader = kEntryHeader;
constexpr std::string_view kFooter = kEntryFooter;
// An address never holds these; an article's content that happens to hold
// the header is not taken for an entry unless an address and the footer
// follow.
constexpr std::string_view kNotInAnAddress = "<>\r\n";

struct Entry {
    std::string_view address;
    std::string_view bytes;  // header, address, footer and content
    bool held;               // its content is not empty
};

// The address of the entry that begins at start, or nothing when no entry
// begins there.
std::optional<std::string_view> AddressAt(std::string_view text, std::size_t start) {
    if (text.compare(start, kHeader.size(), kHeader) != 0) {
        return std::nullopt;
    }
    const std::size_t from = start + kHeader.size();
    const std::size_t footer = text.find(kFooter, from);
    if (footer == std::string_view::npos) {
        return std::nullopt;
    }
    const std::string_view address = text.substr(from, footer - from);
    if (address.empty() || address.find_first_of(kNotInAnAddress) != std::string_view::npos) {
        return std::nullopt;
    }
    return address;
}

// Where the entry after the one at start begins, or the text's end. The
// header's "<" is never the second byte of a code page 949 character, so a
// plain byte search finds only whole headers.
std::size_t NextEntry(std::string_view text, std::size_t start) {
    for (std::size_t at = text.find(kHeader, start + 1); at != std::string_view::npos;
         at = text.find(kHeader, at + 1)) {
        if (AddressAt(text, at)) {
            return at;
        }
    }
    return text.size();
}

// The entries of a clip, which begins with one.
std::vector<Entry> Entries(std::string_view clip) {
    std::vector<Entry> entries;
    for (std::size_t start = 0; start < clip.size();) {
        const std::size_t next = NextEntry(clip, start);
        const std::optional<std::string_view> address = AddressAt(clip, start);
        const std::size_t contentStart =
            start + kHeader.size() + address.value_or("").size() + kFooter.size();
        entries.push_back(
            {address.value_or(""), clip.substr(start, next - start), next > contentStart});
        start = next;
    }
    return entries;
}

}  // namespace

bool IsClip(std::string_view bytes) {
    return bytes.empty() || AddressAt(bytes, 0).has_value();
}

PageText MergedClip(std::string_view fresh, std::string_view earlier) {
    const std::vector<Entry> freshEntries = Entries(fresh);
    const std::vector<Entry> earlierEntries = Entries(earlier);
    std::unordered_map<std::string_view, std::string_view> earlierHeld;
    for (const Entry& entry : earlierEntries) {
        if (entry.held) {
            earlierHeld.emplace(entry.address, entry.bytes);
        }
    }
    std::unordered_set<std::string_view> merged;
    PageText clip;
    clip.reserve(fresh.size() + earlier.size());
    for (const Entry& entry : freshEntries) {
        merged.insert(entry.address);
        const auto kept = entry.held ? earlierHeld.end() : earlierHeld.find(entry.address);
        clip += kept == earlierHeld.end() ? entry.bytes : kept->second;
    }
    for (const Entry& entry : earlierEntries) {
        if (entry.held && merged.insert(entry.address).second) {
            clip += entry.bytes;
        }
    }
    return clip;
}

}  // namespace wendrel
