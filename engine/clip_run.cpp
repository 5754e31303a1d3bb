#include "engine/clip_run.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <new>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "engine/clean_up/clean_up.h"
#include "engine/failure.h"
#include "engine/fetch/fetch_window.h"
#include "engine/site.h"
#include "engine/store/clip_entries.h"
#include "engine/store/clip_store.h"
#include "engine/text/site_spelling.h"
#include "engine/unread_cause.h"
#include "engine/wait/polled_wait.h"

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
constexpr char kStoppedNote[] = "stopped by the user";
constexpr char kStoppedWhileWaitingNote[] = "stopped by the user while another run saved to ";
constexpr char kRecordNotWritten[] = "; the record could not be written";
constexpr char kNotesOpen[] = " (";
constexpr char kNotesJoin[] = "; ";
constexpr char kNotesClose[] = ")";

constexpr char kArticlePageSuffix[] = ".html";

class WaitCursor {
  public:
    explicit WaitCursor(ClipFrontEnd& dialog) : m_dialog(dialog) { m_dialog.ShowWaitCursor(); }
    ~WaitCursor() { m_dialog.RemoveWaitCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    ClipFrontEnd& m_dialog;
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

// The newest article number by the site's one spelling, else by the user's.
int NewestArticleNumber(const PageText& listPage, const PageText& siteBase,
                        const PageText& siteAsWritten) {
    const int newest = NewestArticleNumber(listPage, siteBase);
    if (newest != 0 || siteAsWritten.empty()) {
        return newest;
    }
    return NewestArticleNumber(listPage, WithoutTrailingSlash(siteAsWritten));
}

// Just after the ">" that closes the date label's element. A failed search
// yields -1 and flows on: a page without the label is read from its first byte.
int DateStart(const PageText& page) {
    const int label = FindText(page, kDateLabel, 0);
    return FindText(page, kLabelElementEnd, label) + 1;
}

// The ten-byte date between DateStart and the next space, or the empty text
// when the page has none.
PageText RegistrationDate(const PageText& page) {
    const int dateStart = DateStart(page);
    const int dateEnd = FindText(page, kDateEnd, dateStart);
    if (dateEnd - dateStart != kDateLength) {
        return {};
    }
    return MidText(page, dateStart, kDateLength);
}

struct ArticleContent {
    PageText bytes;
    bool found;  // both markers were there, in their order
};

bool LooksLikeTime(const PageText& text) {
    const std::size_t colon = text.find(':');
    const bool minutes =
        (colon == 1 || colon == 2) &&
        (text.size() == colon + 3 || (text.size() == colon + 6 && text[colon + 3] == ':'));
    return minutes && std::all_of(text.begin(), text.end(),
                                  [](char byte) { return IsDigit(byte) || byte == ':'; });
}

// The digits and colons after the space behind a page's recognised date, when
// they are a time: hh:mm or hh:mm:ss. Empty otherwise.
PageText RegistrationTime(const PageText& page) {
    const int timeStart = DateStart(page) + kDateLength + Length(kDateEnd);
    int timeEnd = timeStart;
    while (timeEnd < Length(page) && (IsDigit(page[timeEnd]) || page[timeEnd] == ':')) {
        ++timeEnd;
    }
    const PageText time = MidText(page, timeStart, timeEnd - timeStart);
    return LooksLikeTime(time) ? time : PageText();
}

// From the title marker up to the end marker; MidText's clamping makes this the
// page's head when the title marker is missing, and empty when the end marker is.
ArticleContent ContentOf(const PageText& page) {
    const int title = FindText(page, kTitleMarker, 0);
    const int end = FindText(page, kEndMarker, 0);
    return {MidText(page, title, end - title), title != -1 && end > title};
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
    int datedPages = 0;
    // Dated pages without their article text: kept as the page gave them, and
    // never in place of an earlier copy.
    std::set<PageText> withoutText;
    bool siteStoppedAnswering = false;
    bool stopped = false;  // by the user

    // Cut short and not one article page read: an earlier clip of the date
    // is worth more than an empty one.
    bool SavesNothing() const { return (siteStoppedAnswering || stopped) && pagesRead == 0; }
};

// A run whose every dated page lacked its text most likely meets a site whose
// pages are laid out anew, which only a new version of the program can read.
PageText WithoutTextNote(const Walk& walk) {
    const std::size_t count = walk.withoutText.size();
    PageText note =
        std::to_string(count) + (count == 1 ? " page" : " pages") + " had no article text";
    if (count == static_cast<std::size_t>(walk.datedPages)) {
        note += "; the site's page layout may have changed";
    }
    return note;
}

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
    if (!walk.withoutText.empty()) {
        notes.push_back(WithoutTextNote(walk));
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

Walk WalkArticles(ClipFrontEnd& dialog, FetchWindow& window, const PageText& siteBase,
                  const ArticleOrder& order, const PageText& since, const WalkLimits& limits) {
    Walk walk(limits.floor);
    Streak undated(kMaxPagesWithoutDate);
    Streak unread(kMaxUnreadInARow);
    int nextAsked = 0;
    int articlesRead = 0;
    const StopQuestion stopAsked = [&dialog] { return dialog.StopAsked(); };
    for (int position = 0; order.At(position) != 0 || order.BoundAt(position); ++position) {
        if (order.BoundAt(position)) {
            walk.stopNote = BoundNote(limits.floor);
            break;
        }
        const int number = order.At(position);
        const PageText address = ArticleAddress(siteBase, number);
        std::optional<FetchedPage> taken;
        if (!stopAsked()) {
            dialog.SetStatusText(kReadingStatus + address);
            while (order.At(nextAsked) != 0 && window.Outstanding() < limits.connections) {
                window.Ask(ArticleAddress(siteBase, order.At(nextAsked++)));
            }
            taken = window.TakeOldest(stopAsked);
        }
        if (!taken) {
            walk.stopNote = kStoppedNote;
            walk.stopped = true;
            break;
        }
        const FetchedPage& fetched = *taken;
        const PageText date = RegistrationDate(fetched.page);
        const PageText time = date.empty() ? PageText() : RegistrationTime(fetched.page);
        const bool beforeSince =
            order.IsNew(position) && !date.empty() && CompareText(since, date) > 0;
        walk.judged.Add(number, fetched.unread, beforeSince);
        dialog.ArticleRead({++articlesRead, address, date, time,
                            walk.unreadPages + (fetched.unread ? 1 : 0), number, fetched.unread,
                            beforeSince});
        if (beforeSince) {
            break;
        }
        const ArticleContent content = ContentOf(fetched.page);
        CollectArticle(walk.collected, address, content.bytes, limits.maxClipBytes);
        if (!fetched.unread && !date.empty()) {
            ++walk.datedPages;
            if (!content.found) {
                walk.withoutText.insert(address);
            }
        }
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
// its newest article number is known. Nothing when the run was stopped.
std::optional<FetchedPage> ListPage(ClipFrontEnd& dialog, FetchWindow& window,
                                    const PageText& siteBase) {
    window.Ask(ListPageAddress(siteBase));
    return window.TakeOldest([&dialog] { return dialog.StopAsked(); });
}

// While another run saves to the folder the status says so, once, and a stop
// ends the wait.
StopQuestion WaitingForTheFolder(ClipFrontEnd& dialog, const PageText& folder) {
    return [&dialog, folder, told = false]() mutable {
        if (!told) {
            dialog.SetStatusText(kWaitingStatus + folder);
            told = true;
        }
        return dialog.StopAsked();
    };
}

PageText NothingSaved(const PageText& note) {
    return PageText(kNothingSavedStatus) + kNotesOpen + note + kNotesClose;
}

ClipOutcome Clip(ClipFrontEnd& dialog, PageFetcher& fetcher, ClipDisk& writer,
                 const PageText& siteBase, const WalkLimits& limits, Pause& pause) {
    WaitCursor waitCursor(dialog);
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
        const std::optional<FetchedPage> listPage = ListPage(dialog, window, siteBase);
        if (!listPage) {
            dialog.SetStatusText(kStoppedBeforeReadingStatus);
            return ClipOutcome::stopped;
        }
        // An earlier clip of this date is worth more than an empty one.
        if (listPage->unread) {
            dialog.SetStatusText(kNoAnswerStatus + ListPageAddress(siteBase) +
                                 UnreadCause(*listPage));
            return ClipOutcome::noAnswer;
        }
        const int newest = NewestArticleNumber(listPage->page, siteBase, limits.siteAsWritten);
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
    if (walk.SavesNothing()) {
        dialog.SetStatusText(NothingSaved(walk.stopNote));
        return walk.stopped ? ClipOutcome::stopped : ClipOutcome::noAnswer;
    }
    CleanUpClip(walk.collected);
    // Once the lock is had a stop waits for the clip and the record.
    const std::optional<PageText> target =
        store.Save(walk.collected, walk.withoutText, walk.siteStoppedAnswering || walk.stopped,
                   WaitingForTheFolder(dialog, folder), limits.record, walk.judged);
    if (!target) {
        dialog.SetStatusText(NothingSaved(kStoppedWhileWaitingNote + folder));
        return ClipOutcome::stopped;
    }
    const PageText notes = WalkNotes(walk);
    const bool recordWritten = limits.record == nullptr || !limits.record->Failure();
    dialog.SetStatusText(kSavedStatus + *target + notes + (recordWritten ? "" : kRecordNotWritten));
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

ClipOutcome RunClip(ClipFrontEnd& dialog, PageFetcher& fetcher, ClipDisk& writer,
                    const PageText& siteBase, const WalkLimits& limits) {
    SystemPause pause;
    return RunClip(dialog, fetcher, writer, siteBase, limits, pause);
}

ClipOutcome RunClip(ClipFrontEnd& dialog, PageFetcher& fetcher, ClipDisk& writer,
                    const PageText& siteBase, const WalkLimits& limits, Pause& pause) {
    try {
        return Clip(dialog, fetcher, writer, siteBase, limits, pause);
    } catch (const std::bad_alloc&) {
        throw MemoryFailure();
    }
}

}  // namespace wendrel
