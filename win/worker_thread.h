// Work on a thread of its own that tells a window when it has ended. The
// window's thread never waits on the work while it runs, since the work may
// send to the window: it takes the thread back once told.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <thread>

class CWorkerThread {
  public:
    CWorkerThread() = default;
    // Waits for work still running: by then nothing it sends to may be left.
    ~CWorkerThread();
    CWorkerThread(const CWorkerThread&) = delete;
    CWorkerThread& operator=(const CWorkerThread&) = delete;

    // Runs work; once it has returned or thrown, posts message to window.
    void Start(HWND window, UINT message, std::function<void()> work);
    // From Start until Finish.
    bool Running() const { return m_thread.joinable(); }
    // On the message: takes the thread back and hands over what the work
    // threw, to be thrown again on the window's thread; null when it returned.
    std::exception_ptr Finish();

  private:
    std::thread m_thread;
    std::exception_ptr m_failure;
};
