#include "engine/fetch/lingering_threads.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <set>
#include <thread>

namespace wendrel {
namespace {

TEST(LingeringThreadsTest, OneJobAfterAnotherReusesTheIdleThread) {
    LingeringThreads threads;
    std::set<std::thread::id> seen;
    constexpr std::size_t kJobs = 10;
    for (std::size_t i = 0; i < kJobs; ++i) {
        std::promise<std::thread::id> ran;
        threads.Run([&ran] { ran.set_value(std::this_thread::get_id()); });
        seen.insert(ran.get_future().get());
        // The thread marks itself idle only after the job returned; on a busy
        // machine it may not be idle yet, and a new thread takes the next job.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    EXPECT_LT(seen.size(), kJobs);
}

TEST(LingeringThreadsTest, AJobStillRunningFinishesAfterItsOwnerIsGone) {
    auto release = std::make_shared<std::promise<void>>();
    auto finished = std::make_shared<std::promise<void>>();
    {
        LingeringThreads threads;
        threads.Run([blocked = release->get_future().share(), finished] {
            blocked.wait();
            finished->set_value();
        });
    }
    release->set_value();
    EXPECT_EQ(finished->get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
}

// The process may end just after the owner; a thread still at work on a
// finished job would race the system's shutdown.
TEST(LingeringThreadsTest, AFinishedJobIsWhollyOverWhenItsOwnerIsGone) {
    auto released = std::make_shared<std::atomic<bool>>(false);
    {
        LingeringThreads threads;
        std::promise<void> ran;
        std::shared_ptr<void> slowToRelease(nullptr, [released](void*) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            *released = true;
        });
        threads.Run([&ran, held = std::move(slowToRelease)] { ran.set_value(); });
        ran.get_future().wait();
    }
    EXPECT_TRUE(*released);
}

TEST(LingeringThreadsTest, ABusyThreadDoesNotHoldUpTheNextJob) {
    LingeringThreads threads;
    std::promise<void> release;
    threads.Run([blocked = release.get_future().share()] { blocked.wait(); });
    std::promise<void> second;

    threads.Run([&second] { second.set_value(); });

    EXPECT_EQ(second.get_future().wait_for(std::chrono::seconds(10)), std::future_status::ready);
    release.set_value();
}

}  // namespace
}  // namespace wendrel
