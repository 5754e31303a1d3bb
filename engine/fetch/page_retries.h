// Fetches one page the way the walk wants it: a transient failure is tried
// again after a pause, and the page says whether it could be read in the end.
#pragma once

#include <chrono>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/site_back_off.h"
#include "engine/text/text.h"

namespace wendrel {

// A fetch that fails (no answer, 500, 502, 504) is tried at most this often;
// the pauses before the second and the third attempt are kRetryDelays, unless
// the site asks for another pause of at most kMaxRetryAfter.
constexpr int kMaxAttempts = 3;
constexpr std::chrono::seconds kRetryDelays[kMaxAttempts - 1] = {std::chrono::seconds(1),
                                                                 std::chrono::seconds(3)};
constexpr std::chrono::seconds kMaxRetryAfter{30};

// A page the site refuses (429, 503) is asked again once the run's back-off
// has passed; only this many refusals make it a page that could not be read.
// The back-off is the site's Retry-After of at most kMaxRetryAfter; without
// one, the run learns the site's pace (SiteBackOff).
constexpr int kMaxRefusals = 8;

struct FetchedPage {
    PageText page;
    // No answer, too many redirects, too large, or an overloaded or failing
    // server to the last attempt: the page is not what the site holds at the
    // address.
    bool unread = false;
    // How the last attempt ended, for telling why a page is unread.
    FetchResult lastAttempt;
};

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
