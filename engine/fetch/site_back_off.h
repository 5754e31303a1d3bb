// One back-off for every request of a run. A site that asks a run to slow
// down (429, 503) means the run, not the one page it refused: every new
// request waits until the site's pause has passed, and fewer are sent at once
// for a while. A site that refuses without saying for how long gets its pace
// learned instead: the run leaves a gap between the starts of its requests.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "engine/fetch/abandon_signal.h"

namespace wendrel {

class SiteBackOff {
  public:
    using Clock = std::chrono::steady_clock;

    // Plainly answered requests in a row after which a narrowed window widens
    // by one: long enough that a site which refused at one width is not asked
    // at that width again at once.
    static constexpr int kWidenAfter = 8;

    // The pace. A rate limiter in front of a site that refuses with a bare 503
    // lets one request through per interval of its own: the gap between
    // starts has to find that interval and stay just above it. The first
    // refusal sets kFirstGap; a refusal before any page was answered at the
    // gap doubles it, as the interval is still far off; a refusal after that
    // widens it by a quarter. A refused gap was too short: the gap stays a
    // sixteenth above it (the floor) while each plainly answered page
    // narrows the gap by 1/kNarrowing towards it, and the floor itself sinks
    // by 1/kForgetting a page, so that the site's pace is tried again now and
    // then and a site that stopped refusing is paced less and less, down to
    // no gap at all below kLeastGap. Requests paced before the gap last
    // widened were sent at the old pace: their refusals widen it no further.
    static constexpr std::chrono::milliseconds kFirstGap{250};
    static constexpr std::chrono::milliseconds kMaxGap{30000};
    static constexpr std::chrono::milliseconds kLeastGap{10};
    static constexpr int kNarrowing = 64;
    static constexpr int kForgetting = 512;

    // Up to width requests at once; holds, and the gaps between starts, are
    // waited out with pause, by its clock. Once abandon is raised no request
    // starts and every wait ends.
    SiteBackOff(Pause& pause, AbandonSignal& abandon, int width);
    SiteBackOff(const SiteBackOff&) = delete;
    SiteBackOff& operator=(const SiteBackOff&) = delete;

    // Waits until a request for the page asked for as turn may start: no hold
    // in force, fewer requests in flight than the width, every page asked for
    // earlier started at least once, none of them waiting to start again, and
    // the gap since the last start passed. Turns count from 0. False, and
    // nothing started, once abandoned.
    bool Enter(long long turn);

    // The request of turn ended without a refusal. Plainly answered ones
    // widen a narrowed window and narrow the gap; anything else breaks their
    // row.
    void Ended(long long turn, bool plainlyAnswered);

    // The request of turn was refused. With the site's own pause of sitesPause
    // the window halves and no request starts until it has passed: returns
    // then, or once abandoned. Without one the gap widens, and it returns at
    // once. A page asked again keeps its place ahead of every later page.
    void Refused(long long turn, std::optional<std::chrono::milliseconds> sitesPause,
                 bool askedAgain);

    // How many requests may be in flight now.
    int Width() const;

  private:
    bool MayStart(long long turn) const;
    void Leave(long long turn);
    void WidenGap(Clock::time_point refusedPacedAt);
    void NarrowGap();

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
    bool m_pacing = false;  // the page first in line waits out the gap
    std::set<long long> m_waiting;
    std::chrono::milliseconds m_gap{0};
    std::chrono::milliseconds m_floor{0};
    Clock::time_point m_lastStart{};
    Clock::time_point m_lastWidened{};
    bool m_answeredAtGap = false;  // a page was plainly answered since the gap widened
    // When each request in flight started, at the gap then in force.
    std::map<long long, Clock::time_point> m_pacedAt;
    // Last: it may run its abort at once, which needs the members above.
    AbandonSignal::Hook m_abandonHook;
};

}  // namespace wendrel
