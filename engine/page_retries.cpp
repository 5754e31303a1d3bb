#include "engine/page_retries.h"

namespace wendrel {

namespace {

constexpr int kTooManyRequests = 429;
constexpr int kInternalServerError = 500;
constexpr int kBadGateway = 502;
constexpr int kServiceUnavailable = 503;
constexpr int kGatewayTimeout = 504;

// Answers that a moment later may well be different.
bool IsTransientStatus(int status) {
    return status == kTooManyRequests || status == kInternalServerError || status == kBadGateway ||
           status == kServiceUnavailable || status == kGatewayTimeout;
}

bool IsTransient(const FetchResult& result) {
    return result.end == FetchEnd::noAnswer ||
           (result.end == FetchEnd::answered && IsTransientStatus(result.status));
}

// A 404 is the site's own answer; a redirect loop will not mend itself.
bool IsUnread(const FetchResult& result) {
    return result.end == FetchEnd::tooManyRedirects || IsTransient(result);
}

std::chrono::milliseconds DelayBefore(int retry, const FetchResult& result) {
    const std::chrono::seconds asked(result.retryAfterSeconds);
    if (result.retryAfterSeconds >= 0 && asked <= kMaxRetryAfter) {
        return asked;
    }
    return kRetryDelays[retry];
}

}  // namespace

FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon) {
    FetchedPage fetched;
    FetchResult result = fetcher.ReadUrl(address, fetched.page, abandon);
    for (int retry = 0; retry < kMaxAttempts - 1 && IsTransient(result); ++retry) {
        pause.For(DelayBefore(retry, result), abandon);
        if (abandon.Raised()) {
            break;
        }
        result = fetcher.ReadUrl(address, fetched.page, abandon);
    }
    fetched.unread = IsUnread(result);
    return fetched;
}

}  // namespace wendrel
