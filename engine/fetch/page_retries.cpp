#include "engine/fetch/page_retries.h"

#include <optional>

#include "engine/fetch/pause_length.h"

namespace wendrel {

namespace {

constexpr int kInternalServerError = 500;
constexpr int kBadGateway = 502;
constexpr int kGatewayTimeout = 504;

bool IsAnsweredWith(const FetchResult& result, int status) {
    return result.end == FetchEnd::answered && result.status == status;
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

// A pause of the site's that the run will not hold for, on an answer that
// would be asked again.
bool AsksTooLongAPause(const FetchResult& result) {
    const bool wouldAskAgain = IsRefusal(result) || IsFailure(result);
    return wouldAskAgain && (result.retryAfterSeconds == kUnreadableRetryAfter ||
                             std::chrono::seconds(result.retryAfterSeconds) > kMaxRetryAfter);
}

}  // namespace

bool IsRefusal(const FetchResult& result) {
    return result.end == FetchEnd::answered && IsRefusalStatus(result.status);
}

FetchedPage FetchWithRetries(PageFetcher& fetcher, Pause& pause, const PageText& address,
                             AbandonSignal& abandon, SiteBackOff& backOff, long long turn) {
    FetchedPage fetched;
    // A page never asked for was not read.
    fetched.unread = true;
    int failures = 0;
    int refusals = 0;
    int refusalsWithPause = 0;
    std::optional<std::chrono::steady_clock::time_point> firstRefused;
    while (backOff.Enter(turn)) {
        FetchResult& result = fetched.lastAttempt;
        try {
            result = fetcher.ReadUrl(address, fetched.page, abandon);
        } catch (...) {
            backOff.Ended(turn, false);
            throw;
        }
        fetched.unread = IsUnread(result);
        if (AsksTooLongAPause(result)) {
            fetched.pauseTooLong = true;
            backOff.Ended(turn, false);
            backOff.StopAsking();
            break;
        }
        if (IsRefusal(result)) {
            const auto now = pause.Now();
            firstRefused = firstRefused.value_or(now);
            const std::optional<std::chrono::milliseconds> sitesPause = SitesPause(result);
            refusalsWithPause += sitesPause ? 1 : 0;
            const bool timeLeft =
                ++refusals < kLeastRefusals || now - *firstRefused < kMaxRetryAfter;
            const bool askedAgain = timeLeft && refusalsWithPause < kMaxRefusals;
            backOff.Refused(turn, sitesPause, askedAgain);
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
