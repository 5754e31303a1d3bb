// Lets a run give up at once on the fetches and pauses that other threads are
// blocked in, so that no page past the walk's end can keep the run waiting.
#pragma once

#include <chrono>
#include <condition_variable>
#include <functional>
#include <list>
#include <mutex>

namespace wendrel {

class AbandonSignal {
  public:
    AbandonSignal() = default;
    AbandonSignal(const AbandonSignal&) = delete;
    AbandonSignal& operator=(const AbandonSignal&) = delete;

    // From any thread, once or more: every pause ends and every abort
    // registered now runs, before Raise returns.
    void Raise();
    bool Raised() const;

    // Waits for delay, or less when the signal is raised. True when the whole
    // delay passed.
    bool WaitFor(std::chrono::milliseconds delay);

    // While it lives, abort runs when the signal is raised; at once when it
    // was raised before. Its destruction waits for an abort already running,
    // so that abort may use what the registering call owns.
    class Hook {
      public:
        Hook(AbandonSignal& signal, std::function<void()> abort);
        ~Hook();
        Hook(const Hook&) = delete;
        Hook& operator=(const Hook&) = delete;

      private:
        AbandonSignal& m_signal;
        std::list<std::function<void()>>::iterator m_entry;
    };

  private:
    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    bool m_raised = false;
    std::list<std::function<void()>> m_aborts;
};

}  // namespace wendrel
