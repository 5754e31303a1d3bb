#include "engine/lingering_threads.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <utility>

namespace wendrel {

struct LingeringThreads::Shared {
    std::mutex mutex;
    std::condition_variable wake;
    std::deque<std::function<void()>> jobs;
    std::size_t idle = 0;
    bool closing = false;
};

LingeringThreads::LingeringThreads() : m_shared(std::make_shared<Shared>()) {}

LingeringThreads::~LingeringThreads() {
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->closing = true;
    }
    m_shared->wake.notify_all();
}

void LingeringThreads::Run(std::function<void()> job) {
    bool startThread = false;
    {
        const std::lock_guard<std::mutex> lock(m_shared->mutex);
        m_shared->jobs.push_back(std::move(job));
        startThread = m_shared->jobs.size() > m_shared->idle;
    }
    if (startThread) {
        std::thread([shared = m_shared] { Serve(shared); }).detach();
    } else {
        m_shared->wake.notify_one();
    }
}

void LingeringThreads::Serve(const std::shared_ptr<Shared>& shared) {
    std::unique_lock<std::mutex> lock(shared->mutex);
    for (;;) {
        if (shared->jobs.empty()) {
            if (shared->closing) {
                return;
            }
            ++shared->idle;
            shared->wake.wait(lock, [&shared] { return shared->closing || !shared->jobs.empty(); });
            --shared->idle;
            continue;
        }
        std::function<void()> job = std::move(shared->jobs.front());
        shared->jobs.pop_front();
        lock.unlock();
        job();
        lock.lock();
    }
}

}  // namespace wendrel
