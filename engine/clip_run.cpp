#include "engine/clip_run.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <iterator>
#include <new>
#include <string>
#include <vector>

#include "engine/clean_up/clean_up.h"
#include "engine/failure.h"
#include "engine/fetch/fetch_window.h"
#include "engine/site.h"
#include "engine/store/clip_entries.h"
#include "engine/store/clip_store.h"
#include "engine/unread_cause.h"

namespace wendrel {

namespace {

constexpr char kArticleLinkPath[] = "/arti";
constexpr char kDateLabel[] = "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF";  // 기사등록
constexpr char kLabelElementEnd[] = ">";
constexpr char kDateEnd[] = " ";
constexpr int kDateLength = 10;
constexpr char kTitleMarker[] = "<!-- #####  news title ##### -->";
constexpr char kEndMarker[] = "<!-- ##### news text - auto END ##### -->";

constexpr char kReadingStatus[] = "Reading...";
constexpr char kSavedStatus[] = "Saved to ";
constexpr char kNoArticlesStatus[] = "No articles found at ";
constexpr char kNoAnswerStatus[] = "No answer from ";
constexpr char kNothingSavedStatus[] = "Nothing saved";
constexpr char kNothingNewStatus[] = "Nothing new since ";
constexpr char kWaitingStatus[] = "Waiting while another run saves to ";
constexpr char kRecordNotWritten[] = "; the record could not be written";
constexpr char kNotesOpen[] = " (";
constexpr char kNotesJoin[] = "; ";
constexpr char kNotesClose[] = ")";

constexpr char kArticlePageSuffix[] = ".html";

class WaitCursor {
  public:
    explicit WaitCursor(ClipDialog& dialog) : m_dialog(dialog) { m_dialog.ShowWaitCursor(); }
    ~WaitCursor() { m_dialog.RemoveWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    ClipDialog& m_dialog;
};

PageText UndatedStopNote() {
    return "stopped: " + std::to_string(kMaxPagesWithoutDate) + " pages in a row had no date";
}

PageText BoundNote(int floor) {
    return "stopped: more than " + std::to_string(kMaxPagesFromRecord) +
           " articles since the record at " + std::to_string(floor);
}

PageText ArticleAddress(const PageText& siteBase, int number) {
    return siteBase + kArticleLinkPath + "/" + std::to_string(number) + kArticlePageSuffix;
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

// The article numbers a walk asks for, in turn: from the newest down to just
// above the floor, then those an earlier run owes. 0 past the last. A walk
// from a record that would read more than kMaxPagesFromRecord new pages is
// cut there, owed pages and all.
class ArticleOrder {
  public:
    ArticleOrder(int newest, const WalkLimits& limits)
        : m_newest(newest),
          m_newCount(std::max(newest - limits.floor, 0)),
          m_bounded(limits.record != nullptr && m_newCount > kMaxPagesFromRecord),
          m_owed(limits.owed) {
        m_newCount = m_bounded ? kMaxPagesFromRecord : m_newCount;
    }

    int At(int position) const {
        if (position < m_newCount) {
            return m_newest - position;
        }
        const auto owed = static_cast<std::size_t>(position - m_newCount);
        return !m_bounded && owed < m_owed.size() ? m_owed[owed] : 0;
    }
    // Owed articles are kept whatever their date: their run wanted them.
    bool IsNew(int position) const { return position < m_newCount; }
    // Whether a walk that reached position passed its bound.
    bool BoundAt(int position) const { return m_bounded && position == m_newCount; }

  private:
    int m_newest;
    int m_newCount;
    bool m_bounded;
    const std::vector<int>& m_owed;
};

// How a walk ended, for the status line and the record.
struct Walk {
    explicit Walk(int floor) : judged(floor) {}

    PageText collected;
    JudgedArticles judged;
    PageText stopNote;  // why the walk gave up before the since date, if it did
    int unreadPages = 0;
    int pagesRead = 0;
    bool siteStoppedAnswering = false;
};

// "Saved to" stands alone when the walk has nothing to add; otherwise one
// parenthesis holds every note.
PageText WalkNotes(const Walk& walk) {
    std::vector<PageText> notes;
    if (!walk.stopNote.empty()) {
        notes.push_back(walk.stopNote);
    }
    if (walk.unreadPages == 1) {
        notes.emplace_back("1 page could not be read");
    } else if (walk.unreadPages > 1) {
        notes.push_back(std::to_string(walk.unreadPages) + " pages could not be read");
    }
    if (notes.empty()) {
        return {};
    }
    PageText joined = kNotesOpen + notes.front();
    for (std::size_t i = 1; i < notes.size(); ++i) {
        joined += kNotesJoin + notes[i];
    }
    return joined + kNotesClose;
}

// Appends one article to the clip, or throws MemoryFailure when the clip would
// outgrow maxClipBytes.
void CollectArticle(PageText& clip, const PageText& address, const PageText& content,
                    std::size_t maxClipBytes) {
    const std::size_t articleBytes =
        std::size(kEntryHeader) - 1 + address.size() + std::size(kEntryFooter) - 1 + content.size();
    if (articleBytes > maxClipBytes - std::min(clip.size(), maxClipBytes)) {
        throw MemoryFailure();
    }
    clip.append(kEntryHeader).append(address).append(kEntryFooter).append(content);
}

// Counts the pages in a row that something is wrong with, for the two stops.
class Streak {
  public:
    explicit Streak(int limit) : m_limit(limit) {}
    // True when this page makes the streak long enough to stop.
    bool Extend(bool wrong) {
        m_length = wrong ? m_length + 1 : 0;
        return m_length == m_limit;
    }

  private:
    int m_limit;
    int m_length = 0;
};

Walk WalkArticles(ClipDialog& dialog, FetchWindow& window, const PageText& siteBase,
                  const ArticleOrder& order, const PageText& since, const WalkLimits& limits) {
    Walk walk(limits.floor);
    Streak undated(kMaxPagesWithoutDate);
    Streak unread(kMaxUnreadInARow);
    int nextAsked = 0;
    int articlesRead = 0;
    for (int position = 0; order.At(position) != 0 || order.BoundAt(position); ++position) {
        if (order.BoundAt(position)) {
            walk.stopNote = BoundNote(limits.floor);
            break;
        }
        const int number = order.At(position);
        const PageText address = ArticleAddress(siteBase, number);
        dialog.SetStatusText(kReadingStatus + address);
        while (order.At(nextAsked) != 0 && window.Outstanding() < limits.connections) {
            window.Ask(ArticleAddress(siteBase, order.At(nextAsked++)));
        }
        const FetchedPage fetched = window.TakeOldest([&dialog] { dialog.KeepPainting(); });
        const PageText date = RegistrationDate(fetched.page);
        const bool beforeSince =
            order.IsNew(position) && !date.empty() && CompareText(since, date) > 0;
        walk.judged.Add(number, fetched.unread, beforeSince);
        dialog.ArticleRead({++articlesRead, address, date,
                            walk.unreadPages + (fetched.unread ? 1 : 0), number, fetched.unread,
                            beforeSince});
        if (beforeSince) {
            break;
        }
        CollectArticle(walk.collected, address, ArticleContent(fetched.page), limits.maxClipBytes);
        walk.unreadPages += fetched.unread ? 1 : 0;
        walk.pagesRead += fetched.unread ? 0 : 1;
        if (fetched.pauseTooLong) {
            walk.stopNote = "stopped: " + AskedPauseWords(fetched.lastAttempt);
            walk.siteStoppedAnswering = true;
            break;
        }
        if (unread.Extend(fetched.unread)) {
            walk.stopNote = "stopped: " + UnreadRowWords(kMaxUnreadInARow, fetched.lastAttempt);
            walk.siteStoppedAnswering = true;
            break;
        }
        if (undated.Extend(date.empty())) {
            walk.stopNote = UndatedStopNote();
            break;
        }
    }
    return walk;
}

// The list page comes first and alone: nothing else can be asked for before
// its newest article number is known.
FetchedPage ListPage(ClipDialog& dialog, FetchWindow& window, const PageText& siteBase) {
    window.Ask(ListPageAddress(siteBase));
    return window.TakeOldest([&dialog] { dialog.KeepPainting(); });
}

// While another run saves to the folder the status says so, once, and the
// window keeps painting.
std::function<void()> WaitingForTheFolder(ClipDialog& dialog, const PageText& folder) {
    return [&dialog, folder, told = false]() mutable {
        if (!told) {
            dialog.SetStatusText(kWaitingStatus + folder);
            told = true;
        }
        dialog.KeepPainting();
    };
}

ClipOutcome Clip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
                 const PageText& siteBase, const WalkLimits& limits, Pause& pause) {
    WaitCursor waitCursor(dialog);
    dialog.EnterStage(ClipStage::reading);
    dialog.SetStatusText(kReadingStatus);
    const PageText since = FormatSinceDate(dialog.SinceDate());

    // Checked before the first request: a run of many minutes must not end in
    // a folder it could never write to.
    const PageText folder = ClipFolder(dialog.FolderText(), writer.PathSeparator());
    ClipStore store(writer, folder, since);
    store.Check();

    WalkLimits walkLimits = limits;
    walkLimits.connections = std::clamp(limits.connections, 1, kMaxConnections);
    fetcher.AllowConnections(walkLimits.connections);
    Walk walk(limits.floor);
    {
        FetchWindow window(fetcher, pause, walkLimits.connections);
        const FetchedPage listPage = ListPage(dialog, window, siteBase);
        // An earlier clip of this date is worth more than an empty one.
        if (listPage.unread) {
            dialog.SetStatusText(kNoAnswerStatus + ListPageAddress(siteBase) +
                                 UnreadCause(listPage));
            return ClipOutcome::noAnswer;
        }
        const int newest = NewestArticleNumber(listPage.page, siteBase);
        if (newest < 1) {
            dialog.SetStatusText(kNoArticlesStatus + ListPageAddress(siteBase));
            return ClipOutcome::noArticles;
        }
        if (newest <= limits.floor && limits.owed.empty()) {
            dialog.SetStatusText(kNothingNewStatus + std::to_string(limits.floor));
            return ClipOutcome::nothingNew;
        }
        walk = WalkArticles(dialog, window, siteBase, ArticleOrder(newest, limits),
                            limits.walkSince.value_or(since), walkLimits);
    }
    if (walk.siteStoppedAnswering && walk.pagesRead == 0) {
        dialog.SetStatusText(PageText(kNothingSavedStatus) + kNotesOpen + walk.stopNote +
                             kNotesClose);
        return ClipOutcome::noAnswer;
    }
    CleanUpClip(walk.collected);
    dialog.EnterStage(ClipStage::writing);
    const PageText target =
        store.Save(walk.collected, walk.siteStoppedAnswering, WaitingForTheFolder(dialog, folder),
                   limits.record, walk.judged);
    const PageText notes = WalkNotes(walk);
    const bool recordWritten = limits.record == nullptr || !limits.record->Failure();
    dialog.SetStatusText(kSavedStatus + target + notes + (recordWritten ? "" : kRecordNotWritten));
    return notes.empty() ? ClipOutcome::saved : ClipOutcome::savedWithNotes;
}

}  // namespace

PageText FormatSinceDate(const CalendarDate& date) {
    char text[40];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date.year, date.month, date.day);
    return text;
}

PageText ClipFolder(const PageText& folderText, char separator) {
    const PageText separatorText(1, separator);
    if (CompareText(RightText(folderText, 1), separatorText) != 0) {
        return folderText + separatorText;
    }
    return folderText;
}

ClipOutcome RunClip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
                    const PageText& siteBase, const WalkLimits& limits) {
    SystemPause pause;
    return RunClip(dialog, fetcher, writer, siteBase, limits, pause);
}

ClipOutcome RunClip(ClipDialog& dialog, PageFetcher& fetcher, ClipFileWriter& writer,
                    const PageText& siteBase, const WalkLimits& limits, Pause& pause) {
    try {
        return Clip(dialog, fetcher, writer, siteBase, limits, pause);
    } catch (const std::bad_alloc&) {
        throw MemoryFailure();
    }
}

}  // namespace wendrel
