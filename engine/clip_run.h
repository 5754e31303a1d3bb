// One clip run: from the since date to the written clip file.
#pragma once

#include <climits>
#include <cstddef>
#include <optional>
#include <vector>

#include "engine/clip_front_end.h"
#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/pause.h"
#include "engine/store/clip_file.h"
#include "engine/store/site_record.h"
#include "engine/text/text.h"

namespace wendrel {

// Pages in a row without a recognisable date after which a walk gives up, so
// that a site that stopped serving dates cannot keep a run going for ever.
constexpr int kMaxPagesWithoutDate = 50;

// Article pages in a row that could not be read after which a walk gives up:
// the site is gone, and waiting out every page's attempts would hold the run.
constexpr int kMaxUnreadInARow = 5;

// How many article pages a walk may fetch at once: a few connections are
// polite to the site and already cut most of the waiting.
constexpr int kDefaultConnections = 4;
constexpr int kMaxConnections = 8;

// Article pages a walk from a record reads at most: more new articles than a
// busy site publishes in days, so a list page whose number jumps far above
// the record (a renumbered or hostile site) ends the run in minutes, with the
// record where it was.
constexpr int kMaxPagesFromRecord = 5000;

// What one run may gather. The clean-up measures the clip in signed 32-bit
// positions, so a longer clip could not be cleaned correctly.
// connections is the window of article pages fetched at once, 1 to
// kMaxConnections; 1 fetches one page at a time.
// The rest serve a run that clips only what is new since an earlier run and
// keep the dialog's run as it is when left at their defaults.
struct WalkLimits {
    std::size_t maxClipBytes = INT_MAX;
    int connections = 1;
    // Article numbers at or below floor were judged by an earlier run and are
    // not asked for; 0 walks down to article 1.
    int floor = 0;
    // Numbers at or below floor that an earlier run could not read, newest
    // first: asked for after the new articles, whatever their date.
    std::vector<int> owed{};
    // The date the walk stops before, when it is not the since date, which
    // then only names the clip file; an empty text stops at no date.
    std::optional<PageText> walkSince{};
    // The record the walk starts from, moved once its clip is in place; with
    // one the walk reads at most kMaxPagesFromRecord pages.
    SiteRecord* record = nullptr;
    // The site as the user wrote it, when siteBase is its one spelling: a list
    // page whose links spell the host as the user did, not in lower case, is
    // searched by it too. Every address the run builds keeps siteBase.
    PageText siteAsWritten{};
};

// The status of a run stopped before it read an article page.
inline constexpr char kStoppedBeforeReadingStatus[] = "Nothing saved (stopped by the user)";

// How a run that raised no failure ended.
enum class ClipOutcome {
    saved,
    savedWithNotes,  // the status says why the clip may be short
    noArticles,      // the list page named no article; nothing was written
    // The list page, or every article page before the walk gave up, got no
    // answer; nothing was written.
    noAnswer,
    nothingNew,  // nothing above the floor and nothing owed; nothing was written
    // The front end asked the run to stop before any article page was read,
    // or while another run held the folder; nothing was written.
    stopped,
};

// Collects every article registered on or after the dialog's since date, newest
// first, from the site at siteBase, cleans the markup and saves it as
// <folder><separator><yyyy-mm-dd>.html with the writer's separator, by the
// rules of the clip store (engine/store/clip_store.h): merged into the clip
// of that name, beside a file of that name that is no clip, in turn with
// other runs on the folder. Progress goes to the dialog's status text. A walk
// that gave up because the site stopped answering before it read any article
// page saves nothing.
// Throws FileFailure, MemoryFailure or InvalidArgumentFailure; the wait cursor
// is removed on every path. A path the store may write that is too long, or a
// folder it cannot create its file in, fails before the first request. A walk
// that would gather more than limits.maxClipBytes is a MemoryFailure, and
// nothing is written.
// Up to limits.connections article pages are fetched at once, on threads of
// the run's own, and read strictly newest first, so the clip and where the
// walk stops are those of fetching one page at a time; pages fetched past the
// stop are abandoned. Transient failures are tried again after pause; a site
// that refuses (429, 503) holds back every request of the run for its
// Retry-After, and the window narrows for a while, or without one has its
// pace learned; the status names why the list page, or the last of the pages
// that stopped the walk, could not be read. A dated page without the markers
// of its article text is collected as the markers fall, counted in the
// status, and never stands in place of an earlier copy of its article. With
// nothing above limits.floor and nothing owed only the list page is read, and
// the status says "Nothing new since " and the floor.
// How a run stops: it asks the front end's StopAsked, on the thread that
// called RunClip like every member of the front end, between pages and every
// kStopPollEvery while it waits for a page or for the folder's lock; another
// thread of the front end sets what StopAsked answers. A yes ends the walk at
// once, abandoning the fetches in flight as at the walk's natural end, and
// what was read is saved as for any walk cut short: merged into the clip,
// the record moved only over what was judged, the status "Saved to PATH
// (stopped by the user)" or "(stopped by the user; 2 pages could not be
// read)". A stop during the list page or before any article page was read
// writes nothing: kStoppedBeforeReadingStatus; one while another run holds
// the folder's lock writes nothing either and says so. Once the lock is had
// the run ends only with the clip and the record in place.
ClipOutcome RunClip(ClipFrontEnd& dialog, PageFetcher& fetcher, ClipDisk& writer,
                    const PageText& siteBase, const WalkLimits& limits = {});
ClipOutcome RunClip(ClipFrontEnd& dialog, PageFetcher& fetcher, ClipDisk& writer,
                    const PageText& siteBase, const WalkLimits& limits, Pause& pause);

// The date as a clip file is named and as the site writes registration dates:
// yyyy-mm-dd.
PageText FormatSinceDate(const CalendarDate& date);

// The folder with separator behind it, added only when missing: where the
// clip file and whatever lives beside it go.
PageText ClipFolder(const PageText& folderText, char separator);

}  // namespace wendrel
