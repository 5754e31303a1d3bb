#include "engine/unread_cause.h"

#include <string>

namespace wendrel {

namespace {

PageText ConnectionWords(NoAnswerCause cause) {
    switch (cause) {
        case NoAnswerCause::certificateNotTrusted:
            return "the site's certificate is not trusted";
        case NoAnswerCause::hostNotFound:
            return "host name not found";
        case NoAnswerCause::connectionRefused:
            return "connection refused";
        case NoAnswerCause::timedOut:
            return "timed out";
        case NoAnswerCause::none:
        case NoAnswerCause::connectionBroken:
            break;
    }
    return "the connection broke";
}

PageText CauseWords(const FetchResult& lastAttempt) {
    switch (lastAttempt.end) {
        case FetchEnd::noAnswer:
            return ConnectionWords(lastAttempt.cause);
        case FetchEnd::tooManyRedirects:
            return "too many redirects";
        case FetchEnd::tooLarge:
            return "the page is too large";
        case FetchEnd::answered:
            break;
    }
    return "HTTP status " + std::to_string(lastAttempt.status);
}

}  // namespace

PageText UnreadCause(const FetchResult& lastAttempt) {
    return " (" + CauseWords(lastAttempt) + ")";
}

PageText UnreadCause(const FetchedPage& fetched) {
    return fetched.pauseTooLong ? " (" + AskedPauseWords(fetched.lastAttempt) + ")"
                                : UnreadCause(fetched.lastAttempt);
}

PageText AskedPauseWords(const FetchResult& lastAttempt) {
    if (lastAttempt.retryAfterSeconds < 0) {
        return "the site asked for a long pause";
    }
    return "the site asked for a pause of " + std::to_string(lastAttempt.retryAfterSeconds) + " s";
}

PageText UnreadRowWords(int pages, const FetchResult& lastAttempt) {
    const PageText times = std::to_string(pages) + " times in a row";
    switch (lastAttempt.end) {
        case FetchEnd::noAnswer:
            return "the site did not answer " + times + UnreadCause(lastAttempt);
        case FetchEnd::answered:
            return (IsRefusal(lastAttempt) ? "the site refused "
                                           : "the site answered with an error ") +
                   times + UnreadCause(lastAttempt);
        case FetchEnd::tooManyRedirects:
        case FetchEnd::tooLarge:
            break;
    }
    return std::to_string(pages) + " pages in a row could not be read" + UnreadCause(lastAttempt);
}

}  // namespace wendrel
