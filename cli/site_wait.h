// A scheduled run may start before the network is up, right after the
// machine woke or started: it can first wait for the site to answer.
#pragma once

#include <chrono>

#include "engine/fetch/page_fetcher.h"
#include "engine/text/text.h"
#include "engine/wait/polled_wait.h"

namespace wendrel::cli {

// The pause after the attempts so far: 1 s after the first, twice as long
// after each one more, at most 15 s.
std::chrono::seconds PauseAfter(int attempts);

// Asks for address until an attempt gets an answer, of any status, or until
// the next attempt would begin after limit. An attempt still in flight at the
// limit is given up. A yes from stopAsked ends the wait at once, the attempt
// in flight given up: false then.
bool WaitForAnswer(PageFetcher& fetcher, const PageText& address, std::chrono::seconds limit,
                   const StopQuestion& stopAsked);

}  // namespace wendrel::cli
