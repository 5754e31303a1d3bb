// How long the pauses between attempts last: a fetch's retries, a wait for
// the site.
#pragma once

#include <chrono>

namespace wendrel {

// What a pause of delay between attempts lasts: delay. A test build
// (WENDREL_TEST_PAUSES) takes the percentage of it that the environment's
// WENDREL_TEST_PAUSE_PERCENT names, so that tests of what follows the
// attempts need not wait them out; release builds have no such setting.
std::chrono::milliseconds PauseLength(std::chrono::milliseconds delay);

}  // namespace wendrel
