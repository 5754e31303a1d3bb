#include "engine/fetch/pause_length.h"

#include <cstdlib>

namespace wendrel {

std::chrono::milliseconds PauseLength(std::chrono::milliseconds delay) {
#ifdef WENDREL_TEST_PAUSES
    if (const char* percent = std::getenv("WENDREL_TEST_PAUSE_PERCENT")) {
        return delay * std::atoi(percent) / 100;
    }
#endif
    return delay;
}

}  // namespace wendrel
