#include "engine/fetch/fetch_window.h"

#include <chrono>
#include <utility>

namespace wendrel {

FetchWindow::FetchWindow(PageFetcher& fetcher, Pause& pause, int connections)
    : m_fetcher(fetcher), m_pause(pause), m_backOff(pause, m_abandon, connections) {
    m_threads.reserve(static_cast<std::size_t>(connections));
    try {
        for (int i = 0; i < connections; ++i) {
            m_threads.emplace_back([this] { Serve(); });
        }
    } catch (...) {
        Close();
        throw;
    }
}

FetchWindow::~FetchWindow() {
    Close();
}

void FetchWindow::Close() {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_closing = true;
        m_queue.clear();
    }
    m_asked.notify_all();
    m_abandon.Raise();
    for (std::thread& thread : m_threads) {
        if (thread.joinable()) {
            thread.join();
        }
    }
}

void FetchWindow::Ask(const PageText& address) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_queue.emplace_back(m_nextAsked++, address);
    }
    m_asked.notify_one();
}

int FetchWindow::Outstanding() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return static_cast<int>(m_nextAsked - m_nextTaken);
}

std::optional<FetchedPage> FetchWindow::TakeOldest(const StopQuestion& stopAsked) {
    std::unique_lock<std::mutex> lock(m_mutex);
    const auto fetched = [this, &lock](std::chrono::milliseconds slice) {
        return m_fetched.wait_for(lock, slice, [this] { return m_done.count(m_nextTaken) != 0; });
    };
    if (WaitPolled(fetched, stopAsked) != WaitEnd::ready) {
        return std::nullopt;
    }
    const auto oldest = m_done.find(m_nextTaken++);
    Outcome outcome = std::move(oldest->second);
    m_done.erase(oldest);
    lock.unlock();
    if (outcome.failure) {
        std::rethrow_exception(outcome.failure);
    }
    return std::move(outcome.fetched);
}

void FetchWindow::Serve() {
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_asked.wait(lock, [this] { return m_closing || !m_queue.empty(); });
        if (m_closing) {
            return;
        }
        auto [sequence, address] = std::move(m_queue.front());
        m_queue.pop_front();
        lock.unlock();
        Outcome outcome = Fetch(address, sequence);
        lock.lock();
        m_done.emplace(sequence, std::move(outcome));
        m_fetched.notify_all();
    }
}

FetchWindow::Outcome FetchWindow::Fetch(const PageText& address, long long sequence) {
    Outcome outcome;
    try {
        outcome.fetched =
            FetchWithRetries(m_fetcher, m_pause, address, m_abandon, m_backOff, sequence);
    } catch (...) {
        outcome.failure = std::current_exception();
    }
    return outcome;
}

}  // namespace wendrel
