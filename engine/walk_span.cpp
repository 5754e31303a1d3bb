#include "engine/walk_span.h"

#include <algorithm>

namespace wendrel {

namespace {

constexpr std::int64_t kSecondsPerDay = std::int64_t{24} * 60 * 60;

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
    const std::int64_t yearOfEra = year - era * 400;
    const std::int64_t dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

std::int64_t DayStart(const CalendarDate& date) {
    return DaysFromCivil(date.year, date.month, date.day) * kSecondsPerDay;
}

bool IsDigit(char byte) {
    return byte >= '0' && byte <= '9';
}

// The value of count digits at text[start], or -1 when one is no digit.
int DigitsAt(const PageText& text, std::size_t start, std::size_t count) {
    int value = 0;
    for (std::size_t i = start; i < start + count; ++i) {
        if (i >= text.size() || !IsDigit(text[i])) {
            return -1;
        }
        value = value * 10 + (text[i] - '0');
    }
    return value;
}

std::optional<CalendarDate> ParseDate(const PageText& date) {
    if (date.size() != 10 || date[4] != '-' || date[7] != '-') {
        return std::nullopt;
    }
    const CalendarDate parsed{DigitsAt(date, 0, 4), DigitsAt(date, 5, 2), DigitsAt(date, 8, 2)};
    if (parsed.year < 0 || parsed.month < 1 || parsed.month > 12 || parsed.day < 1 ||
        parsed.day > 31) {
        return std::nullopt;
    }
    return parsed;
}

// Seconds into the day of h:mm, hh:mm or hh:mm:ss; 0 for anything else.
std::int64_t SecondsIntoDay(const PageText& time) {
    const std::size_t colon = time.find(':');
    if (colon != 1 && colon != 2) {
        return 0;
    }
    const int hour = DigitsAt(time, 0, colon);
    const int minute = DigitsAt(time, colon + 1, 2);
    const std::size_t rest = colon + 3;
    int second = 0;
    if (time.size() == rest + 3 && time[rest] == ':') {
        second = DigitsAt(time, rest + 1, 2);
    } else if (time.size() != rest) {
        return 0;
    }
    if (hour < 0 || hour > 23 || minute < 0 || minute > 59 || second < 0 || second > 59) {
        return 0;
    }
    return (hour * 60 + minute) * 60 + second;
}

}  // namespace

WalkSpan::WalkSpan(const CalendarDate& since) : m_bottom(DayStart(since)) {}

void WalkSpan::Pass(const PageText& date, const PageText& time) {
    const std::optional<CalendarDate> day = ParseDate(date);
    if (!day) {
        return;
    }
    const std::int64_t registered = DayStart(*day) + SecondsIntoDay(time);
    if (!m_top) {
        m_top = registered;
        m_lowest = registered;
    }
    m_lowest = std::min(m_lowest, registered);
}

std::optional<double> WalkSpan::Share() const {
    if (!m_top || *m_top <= m_bottom) {
        return std::nullopt;
    }
    const double share =
        static_cast<double>(*m_top - m_lowest) / static_cast<double>(*m_top - m_bottom);
    return std::min(share, 1.0);
}

}  // namespace wendrel
