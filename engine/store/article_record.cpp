#include "engine/store/article_record.h"

#include <algorithm>
#include <charconv>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "engine/text/site_spelling.h"

namespace wendrel {

namespace {

// Written once, above the first record, for the person who opens the file.
constexpr char kRecordHeader[] =
    "# wendrel-clip --new: the site, the newest article judged, the articles still owed\r\n";
// Both line ends are read, so that a file mended in any editor stays sound;
// the program's own lines end as Windows' plainest editors want them.
constexpr char kLineEnd[] = "\r\n";
constexpr std::string_view kSpaces = " \t\r";
// What an editor that saves UTF-8 may put before the first line.
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<std::string_view> Words(std::string_view line) {
    std::vector<std::string_view> words;
    for (;;) {
        const auto start = line.find_first_not_of(kSpaces);
        if (start == std::string_view::npos) {
            return words;
        }
        line.remove_prefix(start);
        const auto end = std::min(line.find_first_of(kSpaces), line.size());
        words.push_back(line.substr(0, end));
        line.remove_prefix(end);
    }
}

// An article number: decimal digits only, 1 or more, within int.
std::optional<int> ArticleNumber(std::string_view word) {
    int number = 0;
    const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), number);
    if (error != std::errc() || end != word.data() + word.size() || number < 1) {
        return std::nullopt;
    }
    return number;
}

// A line a person wrote may spell the site another way.
bool IsSitesLine(std::string_view line, const PageText& siteBase) {
    const std::vector<std::string_view> words = Words(line);
    return !words.empty() && SiteSpelling(words.front()) == siteBase;
}

// The numbers behind the site, or nothing when any of them is not sound.
std::optional<ArticleRecord> ParseRecord(const std::vector<std::string_view>& words) {
    if (words.size() < 2) {
        return std::nullopt;
    }
    ArticleRecord record;
    const std::optional<int> newest = ArticleNumber(words[1]);
    if (!newest) {
        return std::nullopt;
    }
    record.newest = *newest;
    for (std::size_t i = 2; i < words.size(); ++i) {
        const std::optional<int> owed = ArticleNumber(words[i]);
        if (!owed || *owed > record.newest) {
            return std::nullopt;
        }
        record.owed.push_back(*owed);
    }
    return record;
}

// Calls visit with each line of text, its line end left off.
void ForEachLine(const PageText& text, const std::function<void(std::string_view)>& visit) {
    std::string_view rest = text;
    if (rest.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        rest.remove_prefix(kByteOrderMark.size());
    }
    while (!rest.empty()) {
        const auto end = std::min(rest.find('\n'), rest.size());
        visit(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
    }
}

PageText RecordLine(const PageText& siteBase, const ArticleRecord& record) {
    PageText line = siteBase + " " + std::to_string(record.newest);
    for (int owed : record.owed) {
        line += " " + std::to_string(owed);
    }
    return line + kLineEnd;
}

}  // namespace

RecordLookup FindRecord(const PageText& recordFile, const PageText& siteBase) {
    RecordLookup lookup;
    ForEachLine(recordFile, [&](std::string_view line) {
        if (lookup.state != RecordState::missing || !IsSitesLine(line, siteBase)) {
            return;
        }
        const std::optional<ArticleRecord> record = ParseRecord(Words(line));
        lookup.state = record ? RecordState::found : RecordState::damaged;
        lookup.record = record.value_or(ArticleRecord{});
    });
    return lookup;
}

PageText WithRecord(const PageText& recordFile, const PageText& siteBase,
                    const ArticleRecord& record) {
    PageText text = recordFile.empty() || recordFile == kByteOrderMark ? kRecordHeader : "";
    bool written = false;
    ForEachLine(recordFile, [&](std::string_view line) {
        if (!IsSitesLine(line, siteBase)) {
            text.append(line).append("\n");
        } else if (!written) {
            text += RecordLine(siteBase, record);
            written = true;
        }
    });
    return written ? text : text + RecordLine(siteBase, record);
}

void JudgedArticles::Add(int number, bool unread, bool beforeSince) {
    if (number > m_floor) {
        m_newest = std::max(m_newest, number);
        ++m_newJudged;
    }
    m_metSinceDate = m_metSinceDate || beforeSince;
    if (unread) {
        m_unread.push_back(number);
    } else if (!beforeSince) {
        m_saved.push_back(number);
    }
}

ArticleRecord JudgedArticles::After(const ArticleRecord& earlier) const {
    ArticleRecord after;
    // Below an article dated before the walk's date nothing is wanted; else
    // every number between the floor and the newest must have been judged,
    // in whatever order the walk took them and wherever it stopped.
    const bool judgedEveryNew = m_metSinceDate || m_newJudged == m_newest - m_floor;
    // The record as it stands now may have been moved by another run since
    // this walk read it; it moves on only from where this walk began.
    const bool meetsEarlier = m_floor <= earlier.newest;
    after.newest =
        judgedEveryNew && meetsEarlier ? std::max(m_newest, earlier.newest) : earlier.newest;
    std::vector<int> owed = earlier.owed;
    owed.insert(owed.end(), m_unread.begin(), m_unread.end());
    std::sort(owed.begin(), owed.end(), std::greater<>());
    owed.erase(std::unique(owed.begin(), owed.end()), owed.end());
    for (int number : owed) {
        const bool saved = std::find(m_saved.begin(), m_saved.end(), number) != m_saved.end();
        if (!saved && number <= after.newest && number > after.newest - kOwedSpan) {
            after.owed.push_back(number);
        }
    }
    return after;
}

}  // namespace wendrel
