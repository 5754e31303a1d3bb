// Pages fetched by a few threads at once and handed back in the order they
// were asked for, so that the walk reads them as if fetched one at a time.
#pragma once

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/page_retries.h"
#include "engine/fetch/pause.h"
#include "engine/fetch/site_back_off.h"
#include "engine/text/text.h"
#include "engine/wait/polled_wait.h"

namespace wendrel {

class FetchWindow {
  public:
    // connections threads fetch through fetcher, pausing between attempts
    // with pause; one back-off holds them all, and the back-off's width says
    // how many of them may have a request in flight.
    FetchWindow(PageFetcher& fetcher, Pause& pause, int connections);
    // Abandons every fetch still in flight and waits for the threads, which
    // return at once: nothing of the window outlives it.
    ~FetchWindow();
    FetchWindow(const FetchWindow&) = delete;
    FetchWindow& operator=(const FetchWindow&) = delete;

    // Queues address behind those asked for before; the next free thread
    // fetches it.
    void Ask(const PageText& address);
    // Pages asked for and not yet taken.
    int Outstanding() const;
    // The page of the oldest address not yet taken, once fetched; nothing
    // when stopAsked says yes first (asked with the window's lock held). A
    // failure the fetch raised is raised here.
    std::optional<FetchedPage> TakeOldest(const StopQuestion& stopAsked);

  private:
    struct Outcome {
        FetchedPage fetched;
        std::exception_ptr failure;
    };

    void Close();
    void Serve();
    Outcome Fetch(const PageText& address, long long sequence);

    PageFetcher& m_fetcher;
    Pause& m_pause;
    AbandonSignal m_abandon;
    SiteBackOff m_backOff;

    mutable std::mutex m_mutex;
    std::condition_variable m_asked;
    std::condition_variable m_fetched;
    bool m_closing = false;
    long long m_nextAsked = 0;  // sequence number of the next address asked for
    long long m_nextTaken = 0;  // sequence number of the next page to hand back
    std::deque<std::pair<long long, PageText>> m_queue;
    std::map<long long, Outcome> m_done;
    std::vector<std::thread> m_threads;
};

}  // namespace wendrel
