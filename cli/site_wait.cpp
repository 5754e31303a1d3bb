#include "cli/site_wait.h"

#include <algorithm>
#include <future>
#include <optional>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/pause_length.h"

namespace wendrel::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::seconds kFirstPause{1};
constexpr std::chrono::seconds kLongestPause{15};

// The attempt runs on a thread of its own, so that the wait can give it up
// at the deadline, or at a stop, instead of when the fetcher does. Whether
// it got an answer; nothing when stopped.
std::optional<bool> AttemptAnswers(PageFetcher& fetcher, const PageText& address,
                                   Clock::time_point deadline, const StopQuestion& stopAsked) {
    AbandonSignal abandon;
    std::future<FetchEnd> attempt = std::async(std::launch::async, [&fetcher, &address, &abandon] {
        PageText page;
        return fetcher.ReadUrl(address, page, abandon).end;
    });
    const auto ended = [&attempt](std::chrono::milliseconds slice) {
        return attempt.wait_for(slice) == std::future_status::ready;
    };
    const WaitEnd end = WaitPolled(ended, stopAsked, deadline);
    // The future waits for the attempt as it goes: end it first.
    abandon.Raise();
    const bool answered = attempt.get() == FetchEnd::answered;
    return end == WaitEnd::stopped ? std::nullopt : std::optional<bool>(answered);
}

}  // namespace

std::chrono::seconds PauseAfter(int attempts) {
    std::chrono::seconds pause = kFirstPause;
    for (int attempt = 1; attempt < attempts && pause < kLongestPause; ++attempt) {
        pause *= 2;
    }
    return std::min(pause, kLongestPause);
}

bool WaitForAnswer(PageFetcher& fetcher, const PageText& address, std::chrono::seconds limit,
                   const StopQuestion& stopAsked) {
    const Clock::time_point deadline = Clock::now() + limit;
    for (int attempts = 1;; ++attempts) {
        const std::optional<bool> answered = AttemptAnswers(fetcher, address, deadline, stopAsked);
        if (!answered) {
            return false;
        }
        const Clock::time_point next = Clock::now() + PauseLength(PauseAfter(attempts));
        if (*answered || next >= deadline) {
            return true;
        }
        if (!PauseUnlessStopped(next, stopAsked)) {
            return false;
        }
    }
}

}  // namespace wendrel::cli
