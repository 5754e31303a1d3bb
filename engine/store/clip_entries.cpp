#include "engine/store/clip_entries.h"

#include <algorithm>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "engine/text/site_spelling.h"

namespace wendrel {

namespace {

constexpr std::string_view kHeader = kEntryHeader;
constexpr std::string_view kFooter = kEntryFooter;
constexpr std::string_view kSchemeEnd = "://";
constexpr std::string_view kArticleFolder = "/arti/";
constexpr std::string_view kArticleSuffix = ".html";

struct Entry {
    std::string_view address;
    std::string_view bytes;  // header, address, footer and content
    bool held;               // its content is not empty
};

// No address holds the "<" that every header and footer begins with, so the
// address read behind one header ends before the next header begins: reading
// every header's address reads each byte of the clip once.
bool InAddress(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value > ' ' && value != 0x7F && byte != '<' && byte != '>' && byte != '"';
}

bool IsLetter(char byte) {
    return (byte >= 'a' && byte <= 'z') || (byte >= 'A' && byte <= 'Z');
}

bool IsDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

// A scheme of letters, "://", a host, any path, then "/arti/", digits and
// ".html".
bool IsArticleAddress(std::string_view address) {
    const std::size_t schemeEnd = address.find(kSchemeEnd);
    const std::size_t host = schemeEnd + kSchemeEnd.size();
    if (schemeEnd == std::string_view::npos || schemeEnd == 0 ||
        !std::all_of(address.begin(), address.begin() + schemeEnd, IsLetter) ||
        address.find('/', host) == host || address.size() < kArticleSuffix.size() ||
        address.substr(address.size() - kArticleSuffix.size()) != kArticleSuffix) {
        return false;
    }
    const std::string_view page = address.substr(0, address.size() - kArticleSuffix.size());
    const std::size_t folder = page.rfind(kArticleFolder);
    if (folder == std::string_view::npos || folder <= host) {
        return false;
    }
    const std::string_view number = page.substr(folder + kArticleFolder.size());
    return !number.empty() && std::all_of(number.begin(), number.end(), IsDigit);
}

// The address of the entry that begins at start, or nothing when no entry
// begins there.
std::optional<std::string_view> AddressAt(std::string_view text, std::size_t start) {
    if (text.compare(start, kHeader.size(), kHeader) != 0) {
        return std::nullopt;
    }
    const std::size_t from = start + kHeader.size();
    const std::size_t last = std::min(text.size(), from + kMaxEntryAddressBytes);
    std::size_t end = from;
    while (end < last && InAddress(text[end])) {
        ++end;
    }
    const std::string_view address = text.substr(from, end - from);
    if (text.compare(end, kFooter.size(), kFooter) != 0 || !IsArticleAddress(address)) {
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

// One article by whichever spelling of its site an entry names it.
PageText ArticleKey(std::string_view address) {
    return SiteSpelling(address);
}

}  // namespace

bool IsClip(std::string_view bytes) {
    return bytes.empty() || AddressAt(bytes, 0).has_value();
}

PageText MergedClip(std::string_view fresh, std::string_view earlier,
                    const std::set<PageText>& withoutText) {
    const std::vector<Entry> freshEntries = Entries(fresh);
    const std::vector<Entry> earlierEntries = Entries(earlier);
    std::unordered_map<PageText, std::string_view> earlierHeld;
    for (const Entry& entry : earlierEntries) {
        if (entry.held) {
            earlierHeld.emplace(ArticleKey(entry.address), entry.bytes);
        }
    }
    std::unordered_set<PageText> merged;
    PageText clip;
    clip.reserve(fresh.size() + earlier.size());
    for (const Entry& entry : freshEntries) {
        const PageText key = ArticleKey(entry.address);
        merged.insert(key);
        const bool held = entry.held && withoutText.count(PageText(entry.address)) == 0;
        const auto kept = held ? earlierHeld.end() : earlierHeld.find(key);
        clip += kept == earlierHeld.end() ? entry.bytes : kept->second;
    }
    for (const Entry& entry : earlierEntries) {
        if (entry.held && merged.insert(ArticleKey(entry.address)).second) {
            clip += entry.bytes;
        }
    }
    return clip;
}

}  // namespace wendrel
