#include "win/worker_thread.h"

#include <utility>

CWorkerThread::~CWorkerThread() {
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void CWorkerThread::Start(HWND window, UINT message, std::function<void()> work) {
    m_failure = nullptr;
    m_thread = std::thread([this, window, message, work = std::move(work)] {
        try {
            work();
        } catch (...) {
            m_failure = std::current_exception();
        }
        ::PostMessageA(window, message, 0, 0);
    });
}

std::exception_ptr CWorkerThread::Finish() {
    m_thread.join();
    return std::exchange(m_failure, nullptr);
}
