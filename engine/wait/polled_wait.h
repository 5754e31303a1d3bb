// The waits a run's thread sits in (for a page, for the folder's lock, for a
// site to answer at all) each ask now and then whether the run is to stop,
// so that a stop is answered within a slice wherever the run waits.
#pragma once

#include <chrono>
#include <functional>

namespace wendrel {

// How long a wait goes at most without asking whether the run is to stop.
constexpr std::chrono::milliseconds kStopPollEvery{50};

// Whether the run is to stop: a cheap question, asked from within waits,
// at times with the waiter's own lock held.
using StopQuestion = std::function<bool()>;

enum class WaitEnd { ready, stopped, timedOut };

// Asks ready, then stopAsked, in turn until one says yes or deadline passes.
// ready is given the longest it may block, at most kStopPollEvery and never
// past the deadline, and says whether what is waited for is there; a ready
// thing is taken even when a stop is asked, so a stop already asked ends a
// wait only when it would otherwise go on.
WaitEnd WaitPolled(
    const std::function<bool(std::chrono::milliseconds)>& ready, const StopQuestion& stopAsked,
    std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::time_point::max());

// Sleeps until end, or less when stopAsked says yes: false then.
bool PauseUnlessStopped(std::chrono::steady_clock::time_point end, const StopQuestion& stopAsked);

}  // namespace wendrel
