// Fetches one page the way the walk wants it: a transient failure is tried
// again after a pause, and the page says whether it could be read in the end.
#pragma once

#include <chrono>

#include "engine/abandon_signal.h"
#include "engine/page_fetcher.h"
#include "engine/text.h"

namespace wendrel {

// A fetch is tried at most this often; the pauses before the second and the
// third attempt are kRetryDelays, unless the site asks for another pause of
// at most kMaxRetryAfter.
constexpr int kMaxAttempts = 3;
constexpr std::chrono::seconds kRetryDelays[kMaxAttempts - 1] = {std::chrono::seconds(1),
                                                                 std::chrono::seconds(3)};
constexpr std::chrono::seconds kMaxRetryAfter{30};

struct FetchedPage {
    PageText page;
    // No answer, too many redirects, or an overloaded or failing server to
    // the last attempt: the page is not what the site holds at the address.
    bool unread = false;
};

// The page at address after at most kMaxAttempts attempts. The last attempt's
// page stands: empty without an answer, otherwise the body served. Ends
// without another attempt once abandon is raised.
FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon);

}  // namespace wendrel
