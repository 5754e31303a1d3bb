#include "cli/site_wait.h"

#include <algorithm>
#include <future>
#include <thread>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/pause_length.h"

namespace wendrel::cli {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kWaitSlice{50};
constexpr std::chrono::seconds kFirstPause{1};
constexpr std::chrono::seconds kLongestPause{15};

void PauseUntil(Clock::time_point end, const std::function<void()>& whileWaiting) {
    for (Clock::time_point now = Clock::now(); now < end; now = Clock::now()) {
        whileWaiting();
        std::this_thread::sleep_for(std::min<Clock::duration>(kWaitSlice, end - now));
    }
}

// The attempt runs on a thread of its own, so that the wait can give it up
// at the deadline, or when whileWaiting throws, instead of when the fetcher
// does.
bool AttemptAnswers(PageFetcher& fetcher, const PageText& address, Clock::time_point deadline,
                    const std::function<void()>& whileWaiting) {
    AbandonSignal abandon;
    std::future<FetchEnd> attempt = std::async(std::launch::async, [&fetcher, &address, &abandon] {
        PageText page;
        return fetcher.ReadUrl(address, page, abandon).end;
    });
    try {
        while (attempt.wait_for(kWaitSlice) != std::future_status::ready &&
               Clock::now() < deadline) {
            whileWaiting();
        }
    } catch (...) {
        // The future waits for the attempt as it goes: end it first.
        abandon.Raise();
        throw;
    }
    abandon.Raise();
    return attempt.get() == FetchEnd::answered;
}

}  // namespace

std::chrono::seconds PauseAfter(int attempts) {
    std::chrono::seconds pause = kFirstPause;
    for (int attempt = 1; attempt < attempts && pause < kLongestPause; ++attempt) {
        pause *= 2;
    }
    return std::min(pause, kLongestPause);
}

void WaitForAnswer(PageFetcher& fetcher, const PageText& address, std::chrono::seconds limit,
                   const std::function<void()>& whileWaiting) {
    const Clock::time_point deadline = Clock::now() + limit;
    for (int attempts = 1; !AttemptAnswers(fetcher, address, deadline, whileWaiting); ++attempts) {
        const Clock::time_point next = Clock::now() + PauseLength(PauseAfter(attempts));
        if (next >= deadline) {
            return;
        }
        PauseUntil(next, whileWaiting);
    }
}

}  // namespace wendrel::cli
