#include "engine/page_fetcher.h"

#include <string>

namespace wendrel {

namespace {

// More digits than this cannot be a pause anyone waits for, and would not fit.
constexpr std::size_t kMaxRetryAfterDigits = 9;

}  // namespace

int RetryAfterSeconds(std::string_view value) {
    if (value.empty() || value.size() > kMaxRetryAfterDigits ||
        value.find_first_not_of("0123456789") != std::string_view::npos) {
        return -1;
    }
    return std::stoi(std::string(value));
}

}  // namespace wendrel
