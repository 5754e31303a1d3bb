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
// meanwhile: the next gap counts from when this page really started, a gap
// that widened during the wait is waited out too, and one that narrowed ends
// the wait sooner.
bool SiteBackOff::Enter(long long turn) {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_waiting.insert(turn);
    m_changed.wait(lock, [this, turn] { return m_abandoned || m_stopped || MayStart(turn); });
    m_pacing = true;
    for (Clock::time_point now = m_pause.Now();
         !m_abandoned && !m_stopped && now < m_lastStart + m_gap; now = m_pause.Now()) {
        // Rounded up: a wait cut to whole milliseconds would start too soon.
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(m_lastStart + m_gap - now);
        AbandonSignal narrowed;
        m_narrowed = &narrowed;
        lock.unlock();
        {
            const AbandonSignal::Hook relay(m_abandon, [&narrowed] { narrowed.Raise(); });
            m_pause.For(wait, narrowed);
        }
        lock.lock();
        m_narrowed = nullptr;
    }
    m_pacing = false;
    m_waiting.erase(turn);
    // The next page in line may be free to start too.
    m_changed.notify_all();
    if (m_abandoned || m_stopped) {
        return false;
    }
    ++m_inFlight;
    if (turn == m_nextFirstStart) {
        ++m_nextFirstStart;
    }
    m_lastStart = m_pause.Now();
    m_pacedAt[turn] = Paced{m_lastStart, m_gap};
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
    if (plainlyAnswered) {
        Narrow(m_pacedAt[turn]);
    }
    Leave(turn);
}

void SiteBackOff::Narrow(const Paced& answered) {
    ++TallyOf(answered).ended;
    m_refusedRow = 0;
    m_lastAnsweredGap = answered.gap;
    if (m_gap.count() == 0) {
        return;
    }
    m_answeredAtGap = true;
    m_gapFloor -= m_gapFloor / kForgetting;
    m_gap = m_gapFloor + (m_gap - m_gapFloor) / 2;
    if (m_gap < kLeastGap) {
        m_gap = Gap(0);
        m_gapFloor = Gap(0);
    }
    // The page waiting out the wider gap need not.
    EndPacingWait();
}

void SiteBackOff::EndPacingWait() {
    if (m_narrowed != nullptr) {
        m_narrowed->Raise();
    }
}

// A request paced before the gap last widened counts at the gap before: a
// burst of them refused at once says nothing of the wider gap.
SiteBackOff::Tally& SiteBackOff::TallyOf(const Paced& request) {
    return request.at < m_lastWidened ? m_beforeWidened : m_sinceWidened;
}

// Compared as fractions, the refusal just counted included.
bool SiteBackOff::PaceIsNotTheCause() const {
    const auto refusedSince = static_cast<long long>(m_sinceWidened.refused);
    const auto refusedBefore = static_cast<long long>(m_beforeWidened.refused);
    return m_answeredAtGap && m_beforeWidened.ended > 0 && m_refusedRow < kWidenAfter &&
           refusedSince * m_beforeWidened.ended >= refusedBefore * m_sinceWidened.ended;
}

void SiteBackOff::Widen(Gap gap) {
    m_gap = std::min(gap, kMaxGap);
    m_lastWidened = m_pause.Now();
    m_answeredAtGap = false;
    m_beforeWidened = m_sinceWidened;
    m_sinceWidened = Tally{};
}

void SiteBackOff::Learn(const Paced& refused) {
    Tally& tally = TallyOf(refused);
    ++tally.ended;
    ++tally.refused;
    ++m_refusedRow;
    if (m_gap.count() > 0 && refused.at < m_lastWidened) {
        return;
    }
    if (PaceIsNotTheCause()) {
        m_gapFloor = Gap(0);
    } else if (m_gap.count() == 0) {
        Widen(kFirstGap);
    } else if (!m_answeredAtGap) {
        Widen(2 * m_gap);
    } else {
        const Gap answered = std::max(refused.gap, m_lastAnsweredGap);
        m_gapFloor = std::min(answered + answered / 16, kMaxGap);
        Widen(std::max(m_gap + m_gap / 4, m_gapFloor));
    }
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
            Learn(m_pacedAt[turn]);
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

void SiteBackOff::StopAsking() {
    const std::lock_guard<std::mutex> lock(m_mutex);
    m_stopped = true;
    EndPacingWait();
    m_changed.notify_all();
}

int SiteBackOff::Width() const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_width;
}

bool SiteBackOff::Waits(long long turn) const {
    const std::lock_guard<std::mutex> lock(m_mutex);
    return m_waiting.count(turn) != 0;
}

}  // namespace wendrel
