#include "engine/fetch/lingering_threads.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace wendrel {

struct LingeringThreads::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    // A thread took a job, finished one or ended its service.
    std::condition_variable settled;
    std::deque<std::function<void()>> jobs;
    std::vector<std::thread> threads;
    std::vector<std::thread::id> endedThreads;
    std::size_t idle = 0;
    std::size_t busy = 0;
    bool closing = false;
};

LingeringThreads::LingeringThreads() : m_shared(std::make_shared<Shared>()) {}

namespace {

constexpr std::chrono::milliseconds kEndingJobWait{500};

// Joins the threads that have ended their service and leaves the others to end
// with their job.
void JoinEnded(std::vector<std::thread> threads, const std::vector<std::thread::id>& ended) {
    for (std::thread& thread : threads) {
        if (std::find(ended.begin(), ended.end(), thread.get_id()) != ended.end()) {
            thread.join();
        } else {
            thread.detach();
        }
    }
}

}  // namespace

// A thread still ending as the process ends races the system's own shutdown:
// under Wine the process is now and then killed after main has returned. So
// the threads between jobs are waited for to their very end, and those in a
// job for a moment, as a job whose caller has its answer is about to return.
// Only a job still held after that, such as a connect the system will not
// abandon, is left to end on its own.
LingeringThreads::~LingeringThreads() {
    std::unique_lock<std::mutex> lock(m_shared->mutex);
    m_shared->closing = true;
    m_shared->wake.notify_all();
    m_shared->settled.wait(lock, [this] {
        return m_shared->threads.size() == m_shared->endedThreads.size() + m_shared->busy;
    });
    m_shared->settled.wait_for(lock, kEndingJobWait, [this] {
        return m_shared->threads.size() == m_shared->endedThreads.size();
    });
    std::vector<std::thread> threads = std::move(m_shared->threads);
    const std::vector<std::thread::id> ended = std::move(m_shared->endedThreads);
    lock.unlock();
    JoinEnded(std::move(threads), ended);
}

void LingeringThreads::Run(std::function<void()> job) {
    bool startThread = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->jobs.push_back(std::move(job));
        startThread = m_shared->jobs.size() > m_shared->idle;
    }
    if (!startThread) {
        m_shared->wake.notify_one();
        return;
    }
    // Started outside the lock: under Wine a start takes milliseconds.
    std::thread thread([shared = m_shared] { Serve(shared); });
    const std::lock_guard<std::mutex> lock(m_shared->mutex);
    m_shared->threads.push_back(std::move(thread));
}

void LingeringThreads::Serve(const std::shared_ptr<Shared>& shared) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        if (shared->jobs.empty()) {
            if (shared->closing) {
                shared->endedThreads.push_back(std::this_thread::get_id());
                shared->settled.notify_all();
                return;
            }
            ++shared->idle;
            shared->wake.wait(lock, [&shared] { return shared->closing || !shared->jobs.empty(); });
            --shared->idle;
            continue;
        }
        std::function<void()> job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        ++shared->busy;
        shared->settled.notify_all();
        lock.unlock();
        job();
        // What the job holds goes before the thread counts as free again.
        job = nullptr;
        lock.lock();
        --shared->busy;
        shared->settled.notify_all();
    }
}

}  // namespace wendrel
