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
// turn 0; a page asked for again keeps its turn. A refused page's thread
// sleeps inside Refused while its hold is in force, so until it asks again it
// is neither in flight nor waiting.
bool SiteBackOff::MayStart(long long turn) const {
    const bool noPauseInForce = m_holds == 0;
    const bool roomInWindow = m_inFlight < m_width;
    // With contiguous turns, every page asked for earlier has started once. A
    // later page must not slip in first: were it refused, its hold would keep
    // back the page the walk needs next.
    const bool earlierPagesStarted = turn <= m_nextFirstStart;
    // Of the pages waiting, the earliest goes first, a page asked again too.
    const bool firstInLine = *m_waiting.begin() == turn;
    return noPauseInForce && roomInWindow && earlierPagesStarted && firstInLine;
}

bool SiteBackOff::Enter(long long turn) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_waiting.insert(turn);
    m_changed.wait(lock, [this, turn] { return m_abandoned || MayStart(turn); });
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
    return true;
}

void SiteBackOff::Leave() {
    --m_inFlight;
    m_changed.notify_all();
}

void SiteBackOff::Ended(bool plainlyAnswered) {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_plainRow = plainlyAnswered ? m_plainRow + 1 : 0;
    if (m_plainRow >= kWidenAfter && m_width < m_maxWidth) {
        ++m_width;
        m_plainRow = 0;
    }
    Leave();
}

// The refused request's thread waits out the hold itself, once: a pause that
// returns at once (as in tests) lifts the hold at once, and nothing polls.
void SiteBackOff::Refused(std::chrono::milliseconds delay) {
    {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_width = std::max(m_width / 2, 1);
        m_plainRow = 0;
        ++m_holds;
        Leave();
    }
    m_pause.For(delay, m_abandon);
    const std::lock_guard<std::mutex> lock(m_mutex);
    --m_holds;
    m_changed.notify_all();
}

int SiteBackOff::Width() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_width;
}

}  // namespace wendrel
