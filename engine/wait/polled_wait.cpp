#include "engine/wait/polled_wait.h"

#include <algorithm>
#include <thread>

namespace wendrel {

namespace {

using Clock = std::chrono::steady_clock;

std::chrono::milliseconds SliceBefore(Clock::time_point deadline) {
    const Clock::duration left = std::max<Clock::duration>(deadline - Clock::now(), {});
    // Rounded up, so that a slice never ends just short of the deadline.
    return std::min(std::chrono::ceil<std::chrono::milliseconds>(left), kStopPollEvery);
}

}  // namespace

WaitEnd WaitPolled(const std::function<bool(std::chrono::milliseconds)>& ready,
                   const StopQuestion& stopAsked, Clock::time_point deadline) {
    for (;;) {
        if (ready(SliceBefore(deadline))) {
            return WaitEnd::ready;
        }
        if (stopAsked()) {
            return WaitEnd::stopped;
        }
        if (Clock::now() >= deadline) {
            return WaitEnd::timedOut;
        }
    }
}

bool PauseUnlessStopped(Clock::time_point end, const StopQuestion& stopAsked) {
    const auto sleep = [](std::chrono::milliseconds slice) {
        std::this_thread::sleep_for(slice);
        return false;
    };
    return WaitPolled(sleep, stopAsked, end) != WaitEnd::stopped;
}

}  // namespace wendrel
