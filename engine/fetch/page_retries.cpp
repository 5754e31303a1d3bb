#include "engine/fetch/page_retries.h"

#include <optional>

#include "engine/fetch/pause_length.h"

namespace wendrel {

namespace {

constexpr int kTooManyRequests = 429;
constexpr int kInternalServerError = 500;
constexpr int kBadGateway = 502;
constexpr int kServiceUnavailable = 503;
constexpr int kGatewayTimeout = 504;

bool IsAnsweredWith(const FetchResult& result, int status) {
    return result.end == FetchEnd::answered && result.status == status;
}

// The site asks the run to slow down.
bool IsRefusal(const FetchResult& result) {
    return IsAnsweredWith(result, kTooManyRequests) || IsAnsweredWith(result, kServiceUnavailable);
}

// Endings that a moment later may well be different.
bool IsFailure(const FetchResult& result) {
    return result.end == FetchEnd::noAnswer || IsAnsweredWith(result, kInternalServerError) ||
           IsAnsweredWith(result, kBadGateway) || IsAnsweredWith(result, kGatewayTimeout);
}

// A 404 is the site's own answer; a redirect loop will not mend itself, and a
// page past the bound would only be cut again.
bool IsUnread(const FetchResult& result) {
    return result.end == FetchEnd::tooManyRedirects || result.end == FetchEnd::tooLarge ||
           IsRefusal(result) || IsFailure(result);
}

// The pause the site asks for, when it asks for one the run waits out.
std::optional<std::chrono::milliseconds> SitesPause(const FetchResult& result) {
    const std::chrono::seconds asked(result.retryAfterSeconds);
    if (result.retryAfterSeconds >= 0 && asked <= kMaxRetryAfter) {
        return asked;
    }
    return std::nullopt;
}

}  // namespace

FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon, SiteBackOff& backOff, long long turn) {
    FetchedPage fetched;
    // A page never asked for was not read.
    fetched.unread = true;
    int failures = 0;
    int refusals = 0;
    while (backOff.Enter(turn)) {
        FetchResult& result = fetched.lastAttempt;
        try {
            result = fetcher.ReadUrl(address, fetched.page, abandon);
        } catch (...) {
            backOff.Ended(turn, false);
            throw;
        }
        fetched.unread = IsUnread(result);
        if (IsRefusal(result)) {
            const bool askedAgain = ++refusals < kMaxRefusals;
            backOff.Refused(turn, SitesPause(result), askedAgain);
            if (!askedAgain) {
                break;
            }
        } else if (IsFailure(result)) {
            backOff.Ended(turn, false);
            if (++failures == kMaxAttempts) {
                break;
            }
            pause.For(SitesPause(result).value_or(PauseLength(kRetryDelays[failures - 1])),
                      abandon);
        } else {
            backOff.Ended(turn, result.end == FetchEnd::answered);
            break;
        }
    }
    return fetched;
}

FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon) {
    SiteBackOff alone(pause, abandon, 1);
    return FetchWithRetries(fetcher, pause, address, abandon, alone, 0);
}

}  // namespace wendrel
