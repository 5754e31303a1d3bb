#include "engine/fetch/site_back_off.h"

#include <algorithm>

namespace wendrel {

// The hook only sets a flag under the back-off's own lock: a wait below never
// calls into the signal while it holds that lock, so the two locks are always
// taken in the same order.
SiteBackOff::SiteBackOff(Pause& pause, AbandonSignal& abandon, int width)
    : m_pause(pause),
      m_abandon(abandon),
      m_maxWidth(std::max(width, 1)),
      m_width(m_maxWidth),
      m_abandonHook(abandon, [this] {
          const std::lock_guard<std::mutex> lock(m_mutex);
          m_abandoned = true;
          m_changed.notify_all();
      }) {}

// Turns are the window's sequence numbers, contiguous, the list page being
// turn 0; a page asked for again keeps its turn. A refused page that is
// asked again is back among the waiting from its refusal on, so that no later
// page takes its place, even while a hold of the site's is in force.
bool SiteBackOff::MayStart(long long turn) const {
    const bool noPauseInForce = m_holds == 0;
    const bool roomInWindow = m_inFlight < m_width;
    // With contiguous turns, every page asked for earlier has started once. A
    // later page must not slip in first: were it refused, its hold would keep
    // back the page the walk needs next.
    const bool earlierPagesStarted = turn <= m_nextFirstStart;
    // Of the pages waiting, the earliest goes first, a page asked again too.
    const bool firstInLine = *m_waiting.begin() == turn;
    // One page at a time waits out the gap: the next gap counts from its start.
    return noPauseInForce && roomInWindow && earlierPagesStarted && firstInLine && !m_pacing;
}

// The page first in line waits out the gap itself, and no other starts
// meanwhile: the next gap counts from when this page really started, and a
// gap that widened during the wait is waited out too.
bool SiteBackOff::Enter(long long turn) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_waiting.insert(turn);
    m_changed.wait(lock, [this, turn] { return m_abandoned || MayStart(turn); });
    m_pacing = true;
    for (Clock::time_point now = m_pause.Now(); !m_abandoned && now < m_lastStart + m_gap;
         now = m_pause.Now()) {
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(m_lastStart + m_gap - now);
        lock.unlock();
        m_pause.For(wait, m_abandon);
        lock.lock();
    }
    m_pacing = false;
    m_waiting.erase(turn);
    // The next page in line may be free to start too.
    m_changed.notify_all();
    if (m_abandoned) {
        return false;
    }
    ++m_inFlight;
    if (turn == m_nextFirstStart) {
        ++m_nextFirstStart;
    }
    m_lastStart = m_pause.Now();
    m_pacedAt[turn] = m_lastStart;
    return true;
}

void SiteBackOff::Leave(long long turn) {
    --m_inFlight;
    m_pacedAt.erase(turn);
    m_changed.notify_all();
}

void SiteBackOff::Ended(long long turn, bool plainlyAnswered) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_plainRow = plainlyAnswered ? m_plainRow + 1 : 0;
    if (m_plainRow >= kWidenAfter && m_width < m_maxWidth) {
        ++m_width;
        m_plainRow = 0;
    }
    if (plainlyAnswered && m_gap.count() > 0) {
        NarrowGap();
    }
    Leave(turn);
}

void SiteBackOff::NarrowGap() {
    m_answeredAtGap = true;
    m_floor -= m_floor / kForgetting;
    m_gap = std::max(m_gap - m_gap / kNarrowing, m_floor);
    if (m_gap < kLeastGap) {
        m_gap = std::chrono::milliseconds(0);
        m_floor = std::chrono::milliseconds(0);
    }
}

void SiteBackOff::WidenGap(Clock::time_point refusedPacedAt) {
    if (m_gap.count() > 0 && refusedPacedAt < m_lastWidened) {
        return;
    }
    if (m_gap.count() == 0) {
        m_gap = kFirstGap;
    } else {
        m_floor = m_gap + m_gap / 16;
        m_gap = std::min(m_answeredAtGap ? m_gap + m_gap / 4 : 2 * m_gap, kMaxGap);
    }
    m_lastWidened = m_pause.Now();
    m_answeredAtGap = false;
}

// The refused request's thread waits out the hold itself, once: a pause that
// returns at once (as in tests) lifts the hold at once, and nothing polls.
void SiteBackOff::Refused(long long turn, std::optional<std::chrono::milliseconds> sitesPause,
                          bool askedAgain) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        // Back among the waiting before any later page can take its place.
        if (askedAgain) {
            m_waiting.insert(turn);
        }
        m_plainRow = 0;
        if (sitesPause) {
            m_width = std::max(m_width / 2, 1);
            ++m_holds;
        } else {
            WidenGap(m_pacedAt[turn]);
        }
        Leave(turn);
    }
    if (!sitesPause) {
        return;
    }
    m_pause.For(*sitesPause, m_abandon);
    const std::lock_guard<std::mutex> lock(m_mutex);
    --m_holds;
    m_changed.notify_all();
}

int SiteBackOff::Width() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_width;
}

}  // namespace wendrel
