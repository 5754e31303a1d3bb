// Threads for jobs that may outlive whoever started them, such as a fetch
// that the system holds in a connect long after its caller gave up. Idle
// threads wait for the next job: under Wine starting a thread costs a few
// milliseconds, which one per page would add to every page.
#pragma once

#include <functional>
#include <memory>

namespace wendrel {

class LingeringThreads {
  public:
    LingeringThreads();
    // Waits for the idle threads to end, and a moment for the busy ones; those
    // still busy after that end with their job, later.
    ~LingeringThreads();
    LingeringThreads(const LingeringThreads&) = delete;
    LingeringThreads& operator=(const LingeringThreads&) = delete;

    // Runs job on an idle thread, or on a new one when none is idle. The job
    // must own, or share, everything it uses: it may run on after this object
    // is gone.
    void Run(std::function<void()> job);

  private:
    struct Shared;
    static void Serve(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> m_shared;
};

}  // namespace wendrel
