#include "engine/clip_run.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <new>
#include <string>

#include "engine/clean_up.h"
#include "engine/failure.h"

namespace wendrel {

namespace {

constexpr char kListPagePath[] = "/kisa/list/total/home01.html";
constexpr char kArticleLinkPath[] = "/arti";
constexpr char kDateLabel[] = "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF";  // 기사등록
constexpr char kLabelElementEnd[] = ">";
constexpr char kDateEnd[] = " ";
constexpr int kDateLength = 10;
constexpr char kTitleMarker[] = "<!-- #####  news title ##### -->";
constexpr char kEndMarker[] = "<!-- ##### news text - auto END ##### -->";
constexpr char kArticleHeader[] = "<b><br><hr><br>";
constexpr char kArticleFooter[] = "<br></b>";

constexpr char kReadingStatus[] = "Reading...";
constexpr char kSavedStatus[] = "Saved to ";
constexpr char kNoArticlesStatus[] = "No articles found at ";

constexpr char kPathSeparator[] = "\\";
constexpr char kClipSuffix[] = ".html";

class WaitCursor {
  public:
    explicit WaitCursor(ClipDialog& dialog) : m_dialog(dialog) { m_dialog.ShowWaitCursor(); }
    ~WaitCursor() { m_dialog.RemoveWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    ClipDialog& m_dialog;
};

PageText GaveUpNote() {
    return " (stopped: " + std::to_string(kMaxPagesWithoutDate) + " pages in a row had no date)";
}

PageText FormatSinceDate(const CalendarDate& date) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

PageText ListPageAddress(const PageText& siteBase) {
    return siteBase + kListPagePath;
}

PageText ArticleAddress(const PageText& siteBase, int number) {
    return siteBase + kArticleLinkPath + "/" + std::to_string(number) + kClipSuffix;
}

bool IsDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

// The value of the decimal digits at the front of digits, held at INT_MAX.
int ParseLeadingDigits(const PageText& digits) {
    std::int64_t value = 0;
    for (char byte : digits) {
        if (!IsDigit(byte)) {
            break;
        }
        value = std::min<std::int64_t>(value * 10 + (byte - '0'), INT_MAX);
    }
    return static_cast<int>(value);
}

// The number in the list page's first article link: the digits behind the site
// base, read up to the next ".". 0 when the page has no such link.
int NewestArticleNumber(const PageText& listPage, const PageText& siteBase) {
    const int link = FindText(listPage, siteBase + kArticleLinkPath, 0);
    if (link == -1) {
        return 0;
    }
    int digits = link + Length(siteBase);
    while (digits < Length(listPage) && !IsDigit(listPage[digits])) {
        ++digits;
    }
    const auto dot = listPage.find('.', static_cast<std::size_t>(digits) + 1);
    if (digits >= Length(listPage) || dot == PageText::npos) {
        return 0;
    }
    return ParseLeadingDigits(MidText(listPage, digits, static_cast<int>(dot) - digits));
}

// The ten-byte date between the ">" that closes the date label's element and
// the next space, or the empty text when the page has none. A failed search
// yields -1 and flows on: a page without the label is read from its first byte.
PageText RegistrationDate(const PageText& page) {
    const int label = FindText(page, kDateLabel, 0);
    const int dateStart = FindText(page, kLabelElementEnd, label) + 1;
    const int dateEnd = FindText(page, kDateEnd, dateStart);
    if (dateEnd - dateStart != kDateLength) {
        return {};
    }
    return MidText(page, dateStart, kDateLength);
}

// From the title marker up to the end marker; MidText's clamping makes this the
// page's head when the title marker is missing, and empty when the end marker is.
PageText ArticleContent(const PageText& page) {
    const int title = FindText(page, kTitleMarker, 0);
    const int end = FindText(page, kEndMarker, 0);
    return MidText(page, title, end - title);
}

PageText ClipFolder(const PageText& folderText) {
    if (CompareText(RightText(folderText, 1), kPathSeparator) != 0) {
        return folderText + kPathSeparator;
    }
    return folderText;
}

struct Walk {
    PageText collected;
    bool gaveUp = false;
};

// Appends one article to the clip, or throws MemoryFailure when the clip would
// outgrow maxClipBytes.
void CollectArticle(PageText& clip, const PageText& address, const PageText& content,
                    std::size_t maxClipBytes) {
    const std::size_t articleBytes = std::size(kArticleHeader) - 1 + address.size() +
                                     std::size(kArticleFooter) - 1 + content.size();
    if (articleBytes > maxClipBytes - std::min(clip.size(), maxClipBytes)) {
        throw MemoryFailure();
    }
    clip.append(kArticleHeader).append(address).append(kArticleFooter).append(content);
}

Walk WalkArticles(ClipDialog& dialog, PageFetcher& fetcher, const PageText& siteBase, int newest,
                  const PageText& since, const WalkLimits& limits) {
    Walk walk;
    PageText page;
    int pagesWithoutDate = 0;
    for (int number = newest; number >= 1; --number) {
        const PageText address = ArticleAddress(siteBase, number);
        dialog.SetStatusText(kReadingStatus + address);
        fetcher.ReadUrl(address, page);
        const PageText date = RegistrationDate(page);
        if (!date.empty() && CompareText(since, date) > 0) {
            break;
        }
        CollectArticle(walk.collected, address, ArticleContent(page), limits.maxClipBytes);
        pagesWithoutDate = date.empty() ? pagesWithoutDate + 1 : 0;
        if (pagesWithoutDate == kMaxPagesWithoutDate) {
            walk.gaveUp = true;
            break;
        }
    }
    return walk;
}

void Clip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
          const PageText& siteBase, const WalkLimits& limits) {
    WaitCursor waitCursor(dialog);
    dialog.SetStatusText(kReadingStatus);
    const PageText since = FormatSinceDate(dialog.SinceDate());

    // Checked before the first request: a run of many minutes must not end in
    // a folder it could never write to.
    const PageText folder = ClipFolder(dialog.FolderText());
    const PageText path = folder + since + kClipSuffix;
    if (Length(path) >= kMaxPathBytes || !writer.IsFolder(folder)) {
        throw FileFailure(FileCause::badPath, path);
    }

    PageText page;
    fetcher.ReadUrl(ListPageAddress(siteBase), page);
    const int newest = NewestArticleNumber(page, siteBase);
    if (newest < 1) {
        // An earlier clip of this date is worth more than an empty one.
        dialog.SetStatusText(kNoArticlesStatus + ListPageAddress(siteBase));
        return;
    }

    Walk walk = WalkArticles(dialog, fetcher, siteBase, newest, since, limits);
    CleanUpClip(walk.collected);
    writer.Write(path, walk.collected);
    dialog.SetStatusText(kSavedStatus + path + (walk.gaveUp ? GaveUpNote() : ""));
}

}  // namespace

void RunClip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
             const PageText& siteBase, const WalkLimits& limits) {
    try {
        Clip(dialog, fetcher, writer, siteBase, limits);
    } catch (const std::bad_alloc&) {
        throw MemoryFailure();
    }
}

}  // namespace wendrel
