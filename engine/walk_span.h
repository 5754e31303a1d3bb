// How far a walk has come down the registrations it must pass: from the first
// dated article it judged down to the start of the since date, for a bar that
// shows a run's progress.
#pragma once

#include <cstdint>
#include <optional>

#include "engine/clip_front_end.h"
#include "engine/text/text.h"

namespace wendrel {

class WalkSpan {
  public:
    explicit WalkSpan(const CalendarDate& since);

    // A judged article's registration date (yyyy-mm-dd) and the time after it
    // (hh:mm or hh:mm:ss, empty where the page gives none, which counts as the
    // day's start). The first dated article is the span's top; the walk stands
    // at the lowest registration it has come down to. A date that is no date
    // is passed over, and a time that is no time counts as none.
    void Pass(const PageText& date, const PageText& time);

    // How much of the span lies behind the walk, 0 to 1; none while no article
    // was dated, or when the top is not above the since date's start, as in a
    // run of today only on pages that give no time.
    std::optional<double> Share() const;

  private:
    std::int64_t m_bottom;
    std::optional<std::int64_t> m_top;
    std::int64_t m_lowest = 0;
};

}  // namespace wendrel
