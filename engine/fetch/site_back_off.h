// One back-off for every request of a run. A site that asks a run to slow
// down (429, 503) means the run, not the one page it refused: every new
// request waits until the site's pause has passed, and fewer are sent at once
// for a while.
#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

#include "engine/fetch/abandon_signal.h"

namespace wendrel {

class SiteBackOff {
  public:
    // Plainly answered requests in a row after which a narrowed window widens
    // by one: long enough that a site which refused at one width is not asked
    // at that width again at once.
    static constexpr int kWidenAfter = 8;

    // Up to width requests at once; a hold waits with pause. Once abandon is
    // raised no request starts and every wait ends.
    SiteBackOff(Pause& pause, AbandonSignal& abandon, int width);
    SiteBackOff(const SiteBackOff&) = delete;
    SiteBackOff& operator=(const SiteBackOff&) = delete;

    // Waits until a request for the page asked for as turn may start: no hold
    // in force, fewer requests in flight than the width, every page asked for
    // earlier started at least once, and none of them waiting to start again.
    // Turns count from 0. False, and nothing started, once abandoned.
    bool Enter(long long turn);

    // The request Enter let through ended without a refusal. Plainly answered
    // ones widen a narrowed window again; anything else breaks their row.
    void Ended(bool plainlyAnswered);

    // The request Enter let through was refused: the window halves, and no
    // request starts until delay has passed. Returns then, or once abandoned.
    void Refused(std::chrono::milliseconds delay);

    // How many requests may be in flight now.
    int Width() const;

  private:
    bool MayStart(long long turn) const;
    void Leave();

    Pause& m_pause;
    AbandonSignal& m_abandon;
    const int m_maxWidth;

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_width;
    int m_inFlight = 0;
    int m_holds = 0;  // refusals whose pause has not yet passed
    int m_plainRow = 0;
    long long m_nextFirstStart = 0;  // the lowest turn never started yet
    bool m_abandoned = false;
    std::set<long long> m_waiting;
    // Last: it may run its abort at once, which needs the members above.
    AbandonSignal::Hook m_abandonHook;
};

}  // namespace wendrel
