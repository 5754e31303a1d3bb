// One back-off for every request of a run. A site that asks a run to slow
// down (429, 503) means the run, not the one page it refused: every new
// request waits until the site's pause has passed, and fewer are sent at once
// for a while. A site that refuses without saying for how long gets its pace
// learned instead: the run leaves a gap between the starts of its requests.
//
// The pace, the one place that states it. A rate limiter in front of a site
// that refuses with a bare 503 lets one request through per interval of its
// own: the gap between starts has to find that interval and stay just above
// it, and a site that stopped refusing must get its speed back.
// - The first refusal sets a gap of kFirstGap (500 ms). A refusal before any
//   page was answered at the gap doubles it (the interval, or an outage, is
//   still ahead), up to kMaxGap (30 s).
// - A refusal after pages were answered at the gap means the interval lies
//   between the refused gap and the last answered one: the floor is set a
//   sixteenth above the larger of the two, at most kMaxGap, and the gap
//   widens by a quarter, to the floor at least.
// - Each plainly answered page halves the distance from the gap to the floor,
//   and the floor sinks by 1/kForgetting (1/2048). Below kLeastGap (10 ms) the
//   gap and the floor are none. Without a floor, as after a lone refusal or an
//   outage, the walk is unpaced again within 12 answered pages even from
//   kMaxGap; a floor learned at kMaxGap is forgotten within about 16,400,
//   one of 500 ms within about 8,000: a rate limiter's pace holds over a
//   walk's hundreds of pages, a few milliseconds of jitter included.
// - A refusal of a request paced before the gap last widened was sent at the
//   old pace: it widens nothing.
// - When the gap widened after pages were answered and refusals did not get
//   rarer (their share of the requests paced since the widening is at least
//   that of those paced before it), pace is not their cause, as with a backend
//   that fails now and then: the gap stands, the floor is forgotten, and the
//   refused page is asked again at the gap in force. kWidenAfter refusals in a row are no
//   such failures: the site is refusing, and the gap widens as above.
// - A page is asked again until answered, or until it has been refused for
//   kMaxRetryAfter (30 s, page_retries.h) since its first refusal and at
//   least kLeastRefusals (4) times: only then is it unread.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <set>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/pause.h"

namespace wendrel {

class SiteBackOff {
  public:
    using Clock = std::chrono::steady_clock;

    // Plainly answered requests in a row after which a narrowed window widens
    // by one: long enough that a site which refused at one width is not asked
    // at that width again at once.
    static constexpr int kWidenAfter = 8;

    // The pace, as the comment at the top of this file tells it. Gaps are
    // kept in microseconds, so that every narrowing step is a step.
    using Gap = std::chrono::microseconds;
    static constexpr Gap kFirstGap{500000};
    static constexpr Gap kMaxGap{30000000};
    static constexpr Gap kLeastGap{10000};
    static constexpr int kForgetting = 2048;

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
    // nothing started, once abandoned or stopped.
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

    // The site asked for more than the run will wait: no request starts from
    // now on, as once abandoned.
    void StopAsking();

    // How many requests may be in flight now.
    int Width() const;
    // Whether a request for turn has asked to start and not yet started.
    bool Waits(long long turn) const;

  private:
    // When a request started, and the gap then in force.
    struct Paced {
        Clock::time_point at{};
        Gap gap{0};
    };
    // Requests that ended plainly answered or refused since the gap last
    // widened, or at the gap before.
    struct Tally {
        int ended = 0;
        int refused = 0;
    };

    bool MayStart(long long turn) const;
    void Leave(long long turn);
    void Learn(const Paced& refused);
    Tally& TallyOf(const Paced& request);
    bool PaceIsNotTheCause() const;
    void Widen(Gap gap);
    void Narrow(const Paced& answered);
    void EndPacingWait();

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
    bool m_stopped = false;  // no request starts any more
    bool m_pacing = false;   // the page first in line waits out the gap
    std::set<long long> m_waiting;
    Gap m_gap{0};
    Gap m_gapFloor{0};
    Gap m_lastAnsweredGap{0};  // the gap the last plainly answered page was paced at
    Clock::time_point m_lastStart{};
    Clock::time_point m_lastWidened{};
    bool m_answeredAtGap = false;  // a page was plainly answered since the gap widened
    int m_refusedRow = 0;          // refusals without a pause, no plain answer between
    Tally m_sinceWidened;
    Tally m_beforeWidened;
    std::map<long long, Paced> m_pacedAt;  // each request in flight
    // Ends the wait of the page pacing itself, when there is one.
    AbandonSignal* m_narrowed = nullptr;
    // Last: it may run its abort at once, which needs the members above.
    AbandonSignal::Hook m_abandonHook;
};

}  // namespace wendrel
