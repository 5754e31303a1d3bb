#include "engine/fetch/page_fetcher.h"

#include <algorithm>
#include <string>
#include <utility>

namespace wendrel {

namespace {

// More digits than this cannot be a pause anyone waits for, and would not fit.
constexpr std::size_t kMaxRetryAfterDigits = 9;
constexpr int kTooManyRequests = 429;
constexpr int kServiceUnavailable = 503;

}  // namespace

bool IsRefusalStatus(int status) {
    return status == kTooManyRequests || status == kServiceUnavailable;
}

int RetryAfterSeconds(std::string_view value) {
    if (value.empty() || value.size() > kMaxRetryAfterDigits ||
        value.find_first_not_of("0123456789") != std::string_view::npos) {
        return -1;
    }
    return std::stoi(std::string(value));
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
