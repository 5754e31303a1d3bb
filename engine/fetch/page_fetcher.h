// The clip run's only access to the network.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

#include "engine/fetch/abandon_signal.h"
#include "engine/fetch/lingering_threads.h"
#include "engine/text/text.h"

namespace wendrel {

// How one fetch ended. The fetcher only reports it; whether to try again, and
// whether the page counts as read, is the run's to judge.
enum class FetchEnd {
    answered,  // the server sent a status line, its headers and the whole body
    // Refused, reset or timed out, cut before the headers or the body ended,
    // or a redirect's next hop had no answer. The page holds what arrived of
    // the body being read, if anything did: a redirect's own body is never
    // read.
    noAnswer,
    tooManyRedirects,  // the redirects went past the fetcher's limit
    // The body went past kMaxPageBytes: the page holds its first
    // kMaxPageBytes, and the rest was never read.
    tooLarge,
};

// What every fetcher of the system tells the server it is, and the most it
// takes of a body at once.
constexpr char kUserAgent[] = "Read URL";
constexpr int kReadSize = 1024;

// Whether an answer with status is the site asking the run to slow down:
// 429 (too many requests) or 503 (service unavailable).
bool IsRefusalStatus(int status);

// Why a fetch had no answer, as far as the fetcher can tell.
enum class NoAnswerCause {
    none,                   // it had an answer
    certificateNotTrusted,  // any failure of the site's certificate: issuer, name, dates
    hostNotFound,
    connectionRefused,
    timedOut,
    connectionBroken,  // closed, reset or cut short, or anything else
};

struct FetchResult {
    int bytes = 0;  // body bytes received, the NUL and what follows it included
    FetchEnd end = FetchEnd::answered;
    int status = 0;  // the HTTP status of the last answer seen; 0 when none came
    // The pause the answer's Retry-After asks for, in seconds;
    // kNoRetryAfter or kUnreadableRetryAfter.
    int retryAfterSeconds = -1;
    NoAnswerCause cause = NoAnswerCause::none;  // for FetchEnd::noAnswer
};

// An answer without a Retry-After, or with an empty one.
constexpr int kNoRetryAfter = -1;
// A Retry-After that is no pause the run can read: neither a count of seconds
// of at most kMaxRetryAfterSeconds nor an HTTP date (IMF-fixdate).
constexpr int kUnreadableRetryAfter = -2;
// Nine digits: more cannot be a pause anyone waits for, and would not fit. A
// date further ahead asks for this.
constexpr int kMaxRetryAfterSeconds = 999999999;

// The seconds a Retry-After header's value asks for. A date counts from the
// answer's Date header when that can be read, from now otherwise; a date
// already passed asks for none.
int RetryAfterSeconds(std::string_view value, std::string_view answerDate,
                      std::chrono::system_clock::time_point now);
// The same, from the system's clock.
int RetryAfterSeconds(std::string_view value, std::string_view answerDate);

// The body of one answer as it arrives, for the fetchers: held within
// PageFetcher::kMaxPageBytes, so that a page that never ends costs no more
// memory than the largest page.
class PageBody {
  public:
    // Appends count bytes; false when they go past the bound, and then only
    // those up to it are kept.
    bool Append(const char* bytes, std::size_t count);
    int Size() const { return static_cast<int>(m_bytes.size()); }
    void Clear() { m_bytes.clear(); }
    // Hands the body over as page, cut at its first NUL; the body is empty
    // afterwards.
    void HandOverTo(PageText& page);

  private:
    std::string m_bytes;
};

class PageFetcher {
  public:
    // Bounds of every fetch of the system's fetchers, so that no site can hold
    // a run for ever.
    static constexpr std::chrono::milliseconds kDefaultTimeOut{30000};
    static constexpr int kMaxRedirects = 10;
    // No article is near this size; a page that never ends must not take the
    // run's memory with it.
    static constexpr int kMaxPageBytes = 16 * 1024 * 1024;

    virtual ~PageFetcher() = default;

    // Replaces page with the body found at address, cut at its first NUL; a
    // page that cannot be fetched becomes empty. Several threads may fetch at
    // once. Once abandon is raised the fetch ends soon, as one without answer.
    virtual FetchResult ReadUrl(const PageText& address, PageText& page,
                                AbandonSignal& abandon) = 0;

    // The run fetches up to count pages of one site at once from now on; a
    // fetcher that limits its connections per server lets this many through.
    virtual void AllowConnections(int count) { static_cast<void>(count); }

    // One fetch that nothing abandons.
    FetchResult ReadUrl(const PageText& address, PageText& page) {
        AbandonSignal never;
        return ReadUrl(address, page, never);
    }
};

#ifdef _WIN32
struct InternetSession;

// Fetches through WinInet as user agent "Read URL", always from the server and
// never into the system cache.
// The fetches share one session, so that connections to the site are kept
// alive from one page to the next.
// Each fetch ends by the clock within timeOut, the connection included, and
// follows at most kMaxRedirects redirects. What arrived before a time-out is
// kept. WinInet under Wine reads a close as the end of the body: a body cut
// short of its Content-Length is told by its length, and one that announced
// none must not be empty unless it is a refusal (429, 503), but a chunked body
// cut between its chunks ends as an answer. A site's certificate must chain to
// a certificate authority of the system's store; one that fails is never
// taken.
class InternetPageFetcher final : public PageFetcher {
  public:
    explicit InternetPageFetcher(std::chrono::milliseconds timeOut = kDefaultTimeOut);

    using PageFetcher::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal& abandon) override;
    // Sets WinInet's per-server connection limit, which holds for the process.
    void AllowConnections(int count) override;

  private:
    std::chrono::milliseconds m_timeOut;
    // Shared with attempts that the clock gave up on, which may end later.
    std::shared_ptr<InternetSession> m_session;
    LingeringThreads m_attemptThreads;
};
using SystemPageFetcher = InternetPageFetcher;
#else
// Fetches through libcurl as user agent "Read URL" with no other header of its
// own, straight from the server whatever proxy the environment names. Each
// fetch ends by the clock within timeOut, the connection included, and follows
// at most kMaxRedirects redirects, as the Windows fetcher does. What arrived
// before a time-out or a broken connection is kept. A site's certificate must
// chain to a certificate authority of the system's, or of caFile (PEM) when
// one is named, as curl's --cacert; a certificate that fails is never taken.
class CurlPageFetcher final : public PageFetcher {
  public:
    explicit CurlPageFetcher(std::chrono::milliseconds timeOut = kDefaultTimeOut,
                             std::string caFile = {});

    using PageFetcher::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal& abandon) override;

  private:
    std::chrono::milliseconds m_timeOut;
    std::string m_caFile;
};
using SystemPageFetcher = CurlPageFetcher;
#endif

}  // namespace wendrel
