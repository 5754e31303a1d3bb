// Fetches one page the way the walk wants it: a transient failure is tried
// again after a pause, and the page says whether it could be read in the end.
#pragma once

#include <chrono>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/pause.h"
#include "engine/fetch/site_back_off.h"
#include "engine/text/text.h"

namespace wendrel {

// A fetch that fails (no answer, 500, 502, 504) is tried at most this often;
// the pauses before the second and the third attempt are kRetryDelays, unless
// the site asks for another pause of at most kMaxRetryAfter.
constexpr int kMaxAttempts = 3;
constexpr std::chrono::seconds kRetryDelays[kMaxAttempts - 1] = {std::chrono::seconds(1),
                                                                 std::chrono::seconds(3)};
// The longest pause of the site's a run holds for, and how long a page may go
// on being refused (429, 503) before it is a page that could not be read. A
// longer pause, or one that cannot be read, ends the page at once: the run
// never asks again sooner than the site asked.
constexpr std::chrono::seconds kMaxRetryAfter{30};

// A refused page is asked again once the run's back-off has passed: the
// site's Retry-After, or without one the pace the run learns (SiteBackOff).
// A site that keeps asking for pauses of its own is asked at most this often
// for one page, so that pauses of no length cannot keep a page going.
constexpr int kMaxRefusals = 8;

// A refused page is asked at least this often before its time runs out: in a
// window, the asks of pages ahead of it come between its own, and a page must
// not be given up for their pauses before it was tried a few times itself.
constexpr int kLeastRefusals = 4;

struct FetchedPage {
    PageText page;
    // No answer, too many redirects, too large, or an overloaded or failing
    // server to the last attempt: the page is not what the site holds at the
    // address.
    bool unread = false;
    // How the last attempt ended, for telling why a page is unread.
    FetchResult lastAttempt;
    // The site asked for a pause longer than kMaxRetryAfter, or for one that
    // could not be read (lastAttempt.retryAfterSeconds says which): the page
    // is unread, and the run should not go on asking the site.
    bool pauseTooLong = false;
};

// The site asks the run to slow down (429, 503).
bool IsRefusal(const FetchResult& result);

// The page at address, asked for as turn of the window that backOff governs.
// The last attempt's page stands: what arrived of it without an answer,
// otherwise the body served. Ends without another attempt once abandon is
// raised.
FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon, SiteBackOff& backOff, long long turn);

// The same for a page fetched on its own, with a back-off of its own.
FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon);

}  // namespace wendrel
