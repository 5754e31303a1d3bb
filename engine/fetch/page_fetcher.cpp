#include "engine/fetch/page_fetcher.h"

#include <algorithm>
#include <array>
#include <optional>
#include <string>
#include <utility>

#include "engine/text/ascii_text.h"

namespace wendrel {

namespace {

constexpr std::size_t kMaxRetryAfterDigits = 9;
constexpr std::string_view kDigits = "0123456789";
constexpr int kTooManyRequests = 429;
constexpr int kServiceUnavailable = 503;

std::optional<int> Number(std::string_view digits) {
    if (digits.empty() || digits.size() > kMaxRetryAfterDigits ||
        digits.find_first_not_of(kDigits) != std::string_view::npos) {
        return std::nullopt;
    }
    return std::stoi(std::string(digits));
}

// Days since 1970-01-01 of a date of the proleptic Gregorian calendar.
long long DaysSinceEpoch(long long year, int month, int day) {
    year -= month <= 2 ? 1 : 0;
    const long long era = (year >= 0 ? year : year - 399) / 400;
    const long long yearOfEra = year - era * 400;
    const int dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const long long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The field of text at [at, at + size) as a number within [low, high].
std::optional<int> Field(std::string_view text, std::size_t at, std::size_t size, int low,
                         int high) {
    const std::optional<int> value = Number(text.substr(at, size));
    return value && *value >= low && *value <= high ? value : std::nullopt;
}

// Seconds since the epoch of an HTTP date in its one current form,
// "Sun, 06 Nov 1994 08:49:37 GMT".
std::optional<long long> HttpDateSeconds(std::string_view text) {
    static constexpr std::array<std::string_view, 12> kMonths = {
        "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    constexpr std::size_t kLength = 29;
    if (text.size() != kLength || text.substr(3, 2) != ", " || text[7] != ' ' || text[11] != ' ' ||
        text[16] != ' ' || text[19] != ':' || text[22] != ':' || text.substr(25) != " GMT") {
        return std::nullopt;
    }
    const auto* const month = std::find(kMonths.begin(), kMonths.end(), text.substr(8, 3));
    const std::optional<int> day = Field(text, 5, 2, 1, 31);
    const std::optional<int> year = Field(text, 12, 4, 0, 9999);
    const std::optional<int> hour = Field(text, 17, 2, 0, 23);
    const std::optional<int> minute = Field(text, 20, 2, 0, 59);
    const std::optional<int> second = Field(text, 23, 2, 0, 60);
    if (month == kMonths.end() || !day || !year || !hour || !minute || !second) {
        return std::nullopt;
    }
    const int monthNumber = static_cast<int>(month - kMonths.begin()) + 1;
    const long long secondOfDay = (*hour * 60LL + *minute) * 60 + *second;
    return DaysSinceEpoch(*year, monthNumber, *day) * 86400 + secondOfDay;
}

}  // namespace

bool IsRefusalStatus(int status) {
    return status == kTooManyRequests || status == kServiceUnavailable;
}

int RetryAfterSeconds(std::string_view value, std::string_view answerDate,
                      std::chrono::system_clock::time_point now) {
    value = Trimmed(value);
    if (value.empty()) {
        return kNoRetryAfter;
    }
    if (value.find_first_not_of(kDigits) == std::string_view::npos) {
        return Number(value).value_or(kUnreadableRetryAfter);
    }
    const std::optional<long long> until = HttpDateSeconds(value);
    if (!until) {
        return kUnreadableRetryAfter;
    }
    const long long from =
        HttpDateSeconds(Trimmed(answerDate))
            .value_or(
                std::chrono::duration_cast<std::chrono::seconds>(now.time_since_epoch()).count());
    return static_cast<int>(std::clamp<long long>(*until - from, 0, kMaxRetryAfterSeconds));
}

int RetryAfterSeconds(std::string_view value, std::string_view answerDate) {
    return RetryAfterSeconds(value, answerDate, std::chrono::system_clock::now());
}

bool PageBody::Append(const char* bytes, std::size_t count) {
    const auto bound = static_cast<std::size_t>(PageFetcher::kMaxPageBytes);
    const std::size_t kept = std::min(count, bound - m_bytes.size());
    const std::size_t size = m_bytes.size() + kept;
    if (size > m_bytes.capacity()) {
        // The string's own growth, its reserve included, would double past the
        // bound; a new string's reserve takes the size asked for.
        std::string larger;
        larger.reserve(std::min(std::max(size, 2 * m_bytes.capacity()), bound));
        larger = m_bytes;
        m_bytes.swap(larger);
    }
    m_bytes.append(bytes, kept);
    return kept == count;
}

void PageBody::HandOverTo(PageText& page) {
    m_bytes.resize(std::min(m_bytes.find('\0'), m_bytes.size()));
    page = std::move(m_bytes);
    m_bytes.clear();
}

}  // namespace wendrel
