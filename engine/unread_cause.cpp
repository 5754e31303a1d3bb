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

}  // namespace wendrel
