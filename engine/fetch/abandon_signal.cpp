#include "engine/fetch/abandon_signal.h"

#include <utility>

namespace wendrel {

void AbandonSignal::Raise() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_raised) {
        m_raised = true;
        for (const std::function<void()>& abort : m_aborts) {
            abort();
        }
    }
    m_wake.notify_all();
}

bool AbandonSignal::Raised() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_raised;
}

bool AbandonSignal::WaitFor(std::chrono::milliseconds delay) {
    std::unique_lock<std::mutex> lock(m_mutex);
    return !m_wake.wait_for(lock, delay, [this] { return m_raised; });
}

AbandonSignal::Hook::Hook(AbandonSignal& signal, std::function<void()> abort) : m_signal(signal) {
    const std::lock_guard<std::mutex> lock(m_signal.m_mutex);
    if (m_signal.m_raised) {
        abort();
    }
    m_entry = m_signal.m_aborts.insert(m_signal.m_aborts.end(), std::move(abort));
}

AbandonSignal::Hook::~Hook() {
    const std::lock_guard<std::mutex> lock(m_signal.m_mutex);
    m_signal.m_aborts.erase(m_entry);
}

}  // namespace wendrel
