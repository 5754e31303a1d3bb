// windows.h must come before wininet.h.
// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <algorithm>
#include <chrono>
#include <exception>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

#include "engine/fetch/page_fetcher.h"

namespace wendrel {

namespace {

// What a failed call's error says of the site.
NoAnswerCause CauseOf(DWORD error) {
    switch (error) {
        case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
        case ERROR_INTERNET_SEC_CERT_CN_INVALID:
        case ERROR_INTERNET_INVALID_CA:
        case ERROR_INTERNET_SEC_CERT_ERRORS:
        case ERROR_INTERNET_SEC_CERT_NO_REV:
        case ERROR_INTERNET_SEC_CERT_REV_FAILED:
        case ERROR_INTERNET_SEC_INVALID_CERT:
        case ERROR_INTERNET_SEC_CERT_REVOKED:
            return NoAnswerCause::certificateNotTrusted;
        case ERROR_INTERNET_NAME_NOT_RESOLVED:
            return NoAnswerCause::hostNotFound;
        case ERROR_INTERNET_CANNOT_CONNECT:
            return NoAnswerCause::connectionRefused;
        case ERROR_INTERNET_TIMEOUT:
        case WSAETIMEDOUT:
            return NoAnswerCause::timedOut;
        default:
            return NoAnswerCause::connectionBroken;
    }
}

// What a connection and its request need of an address.
struct Target {
    std::string host;
    INTERNET_PORT port;
    bool secure;
    std::string object;  // path and query
};

std::optional<Target> TargetOf(const PageText& address) {
    URL_COMPONENTSA parts{};
    parts.dwStructSize = sizeof parts;
    // Non-zero lengths with null buffers ask for pointers into the address.
    parts.dwHostNameLength = 1;
    parts.dwUrlPathLength = 1;
    parts.dwExtraInfoLength = 1;
    if (!InternetCrackUrlA(address.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) ||
        parts.dwHostNameLength == 0) {
        return std::nullopt;
    }
    Target target{std::string(parts.lpszHostName, parts.dwHostNameLength), parts.nPort,
                  parts.nScheme == INTERNET_SCHEME_HTTPS,
                  std::string(parts.lpszUrlPath, parts.dwUrlPathLength) +
                      std::string(parts.lpszExtraInfo, parts.dwExtraInfoLength)};
    if (target.object.empty()) {
        target.object = "/";
    }
    return target;
}

// Wine ignores time-outs on the root handle and honours them on the request
// handle; Windows honours both.
void SetTimeOuts(HINTERNET handle, std::chrono::milliseconds timeOut) {
    auto milliseconds = static_cast<DWORD>(timeOut.count());
    for (DWORD option : {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_RECEIVE_TIMEOUT}) {
        InternetSetOptionA(handle, option, &milliseconds, sizeof milliseconds);
    }
}

int StatusCode(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
        return 0;
    }
    return static_cast<int>(status);
}

bool IsRedirect(int status) {
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
           status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB ||
           status == HTTP_STATUS_PERMANENT_REDIRECT;
}

// A header of the answer as WinInet holds it; empty when it has none.
std::string HeaderText(HINTERNET request, DWORD header) {
    DWORD size = 0;
    HttpQueryInfoA(request, header, nullptr, &size, nullptr);
    if (size == 0) {
        return {};
    }
    std::string text(size, '\0');
    if (!HttpQueryInfoA(request, header, text.data(), &size, nullptr)) {
        return {};
    }
    text.resize(size);
    return text;
}

// The pause the answer's Retry-After asks for, either form.
int RetryAfterSeconds(HINTERNET request) {
    return wendrel::RetryAfterSeconds(HeaderText(request, HTTP_QUERY_RETRY_AFTER),
                                      HeaderText(request, HTTP_QUERY_DATE));
}

// The address a redirect points to, resolved against the address that gave
// it; nothing when the answer names none.
std::optional<PageText> RedirectTarget(HINTERNET request, const PageText& address) {
    const std::string location = HeaderText(request, HTTP_QUERY_LOCATION);
    if (location.empty()) {
        return std::nullopt;
    }
    DWORD combinedSize = 0;
    InternetCombineUrlA(address.c_str(), location.c_str(), nullptr, &combinedSize, ICU_NO_ENCODE);
    std::string combined(combinedSize + 1, '\0');
    if (!InternetCombineUrlA(address.c_str(), location.c_str(), combined.data(), &combinedSize,
                             ICU_NO_ENCODE)) {
        return std::nullopt;
    }
    combined.resize(combinedSize);
    return combined;
}

// One WinInet handle and the duty to close it. It is moved from owner to
// owner, never copied, so that exactly one of them closes it.
class InternetHandle {
  public:
    InternetHandle() = default;
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~InternetHandle() { Close(); }
    InternetHandle(InternetHandle&& other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr)) {}
    InternetHandle& operator=(InternetHandle&& other) noexcept {
        Close();
        m_handle = std::exchange(other.m_handle, nullptr);
        return *this;
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return m_handle; }

    void Close() {
        if (m_handle != nullptr) {
            InternetCloseHandle(std::exchange(m_handle, nullptr));
        }
    }

  private:
    HINTERNET m_handle = nullptr;
};

// An attempt's lock and the change its waiting side waits for, of Windows' own
// kind: they need no kernel object. The standard library's made and closed
// three of them for every attempt and took each wait and wake to Wine's
// server: ten of the thirty-odd calls there that a page cost.
class AttemptLock {
  public:
    void lock() { AcquireSRWLockExclusive(&m_lock); }
    void unlock() { ReleaseSRWLockExclusive(&m_lock); }

    // With the lock held: waits until done holds or deadline passes.
    template <typename Done>
    void WaitUntil(std::chrono::steady_clock::time_point deadline, const Done& done) {
        while (!done()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) {
                return;
            }
            SleepConditionVariableSRW(
                &m_changed, &m_lock,
                static_cast<DWORD>(std::min<long long>(left.count(), INFINITE - 1)), 0);
        }
    }

    // With the lock held.
    void Changed() { WakeAllConditionVariable(&m_changed); }

  private:
    SRWLOCK m_lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_changed = CONDITION_VARIABLE_INIT;
};

// One attempt, shared by the thread that performs it and the thread that
// waits for it. WinInet under Wine neither honours a connect time-out nor
// returns from a blocked connect when its handles are closed, so the waiting
// side gives up by the clock and leaves; the performing thread ends whenever
// WinInet lets it, touching nothing but this.
class Attempt {
  public:
    // The handles of the hop under way: its connection and the request on it.
    enum class Handle { connection, request };

    // Hands handle over to the attempt, which closes it from now on; false,
    // with handle closed, when the waiting side has already given up.
    bool HandOver(InternetHandle handle, Handle which) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        if (m_givenUp || handle.Get() == nullptr) {
            return false;
        }
        HandleOf(which) = std::move(handle);
        return true;
    }

    // Calls call with the hop's handle unless the waiting side has given up;
    // false when it gave up before or during the call. The performing thread
    // calls WinInet with the attempt's handles only through here: Wine gives a
    // closed handle's number to the next handle opened, so a call made after
    // another thread closed its handle could act on another attempt's.
    template <typename Call>
    bool CallWith(Handle which, const Call& call) {
        const HINTERNET handle = EnterCall(which);
        if (handle == nullptr) {
            return false;
        }
        try {
            call(handle);
        } catch (...) {
            LeaveCall();
            throw;
        }
        return LeaveCall();
    }

    // Ends a redirect's hop: its request would otherwise hold one of the
    // connections to the server that the next hop may need.
    void EndHop() {
        const std::lock_guard<AttemptLock> lock(m_lock);
        CloseHandles();
    }

    // A new hop of a redirect: what the last one read is not the page.
    void StartHop(int status, int retryAfterSeconds) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_status = status;
        m_retryAfterSeconds = retryAfterSeconds;
        m_body.Clear();
    }

    // The error of the call that ended the attempt without an answer.
    void Failed(DWORD error) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_cause = CauseOf(error);
    }

    // False when the body went past the bound.
    bool Append(const char* bytes, DWORD count) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        // The page has been handed over: nothing more is its.
        return m_givenUp || m_body.Append(bytes, count);
    }

    int BodySize() const {
        const std::lock_guard<AttemptLock> lock(m_lock);
        return m_body.Size();
    }

    // From the performing thread, on every path.
    void Finish(FetchEnd end, std::exception_ptr failure) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_end = end;
        m_failure = std::move(failure);
        m_finished = true;
        CloseHandles();
        m_lock.Changed();
    }

    // From the waiting side when the signal is raised.
    void Abandon() {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_abandoned = true;
        m_lock.Changed();
    }

    // Waits until the attempt finishes, is abandoned or deadline passes, and
    // hands back the page as far as it came.
    FetchResult Await(std::chrono::steady_clock::time_point deadline, PageText& page) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_lock.WaitUntil(deadline, [this] { return m_finished || m_abandoned; });
        if (!m_finished) {
            GiveUp();
        }
        // Wine's own time-out on the request ends its call as a broken
        // connection (12030), and on a busy machine that may come before this
        // wait wakes: an attempt without an answer by the deadline timed out,
        // whichever side saw it first.
        if (!m_finished ||
            (m_end == FetchEnd::noAnswer && std::chrono::steady_clock::now() >= deadline)) {
            m_cause = NoAnswerCause::timedOut;
        }
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        const FetchResult result{m_body.Size(), m_end, m_status, m_retryAfterSeconds,
                                 m_end == FetchEnd::noAnswer ? m_cause : NoAnswerCause::none};
        m_body.HandOverTo(page);
        return result;
    }

  private:
    InternetHandle& HandleOf(Handle which) {
        return which == Handle::connection ? m_connection : m_request;
    }

    HINTERNET EnterCall(Handle which) {
        const std::lock_guard<AttemptLock> lock(m_lock);
        if (m_givenUp) {
            return nullptr;
        }
        m_inCall = true;
        return HandleOf(which).Get();
    }

    // Closes what the waiting side gave up on while the call was running but
    // could not close safely itself.
    bool LeaveCall() {
        const std::lock_guard<AttemptLock> lock(m_lock);
        m_inCall = false;
        if (m_givenUp) {
            CloseHandles();
        }
        return !m_givenUp;
    }

    // With the lock held. The handles are closed here only while a call is
    // in progress: on Windows that ends the call, and Wine keeps the number of
    // a handle closed during a call until the call returns. Between calls the
    // performing thread closes them itself, before its next call (LeaveCall,
    // EnterCall). What stays open is the moment between EnterCall and WinInet
    // taking the handle: a handle closed just then may be opened anew by
    // another attempt, which then loses the bytes the late call reads; its
    // body falls short of its length, and it is retried like any cut body.
    void GiveUp() {
        m_givenUp = true;
        if (m_inCall) {
            CloseHandles();
        }
    }

    // With the lock held; the child first.
    void CloseHandles() {
        m_request.Close();
        m_connection.Close();
    }

    mutable AttemptLock m_lock;
    InternetHandle m_connection;
    InternetHandle m_request;
    bool m_inCall = false;  // a WinInet call holds the handles: only then may GiveUp close them
    bool m_finished = false;
    bool m_abandoned = false;
    bool m_givenUp = false;
    // Until the performing thread finishes, the attempt has no answer.
    FetchEnd m_end = FetchEnd::noAnswer;
    int m_status = 0;
    int m_retryAfterSeconds = -1;
    // Closed, cut or reset, unless a failed call said otherwise.
    NoAnswerCause m_cause = NoAnswerCause::connectionBroken;
    PageBody m_body;
    std::exception_ptr m_failure;
};

HINTERNET OpenRequest(HINTERNET connection, const Target& target) {
    // Redirects are followed by hand: Wine would follow a loop for ever. Pages
    // are neither answered from the cache nor written to it, and carry no
    // cookie: a header the run never asks for (libcurl sends none either), and
    // one Wine looks up in its disk cache, five locked index searches a
    // request: most of the time a walk spent a page beyond the site's own.
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                  INTERNET_FLAG_NO_AUTO_REDIRECT | INTERNET_FLAG_NO_COOKIES;
    if (target.secure) {
        flags |= INTERNET_FLAG_SECURE;
    }
    return HttpOpenRequestA(connection, "GET", target.object.c_str(), nullptr, nullptr, nullptr,
                            flags, 0);
}

// Sends one request of the attempt, its handles handed over to the attempt;
// false when it had no answer.
bool Send(Attempt& attempt, HINTERNET root, const Target& target,
          std::chrono::milliseconds timeOut) {
    if (!attempt.HandOver(
            InternetHandle(InternetConnectA(root, target.host.c_str(), target.port, nullptr,
                                            nullptr, INTERNET_SERVICE_HTTP, 0, 0)),
            Attempt::Handle::connection)) {
        return false;
    }
    InternetHandle request;
    if (!attempt.CallWith(Attempt::Handle::connection,
                          [&request, &target](HINTERNET connection) {
                              request = InternetHandle(OpenRequest(connection, target));
                          }) ||
        !attempt.HandOver(std::move(request), Attempt::Handle::request)) {
        return false;
    }
    BOOL sent = FALSE;
    DWORD error = 0;
    if (!attempt.CallWith(Attempt::Handle::request, [&sent, &error, timeOut](HINTERNET handle) {
            SetTimeOuts(handle, timeOut);
            sent = HttpSendRequestA(handle, nullptr, 0, nullptr, 0);
            error = GetLastError();
        })) {
        return false;
    }
    if (!sent) {
        attempt.Failed(error);
    }
    return sent;
}

// The length the answer announces for its body; nothing when it announces
// none. Wine knows no 64-bit form of the query; a length past 32 bits is past
// the bound on a page anyway.
std::optional<DWORD> ContentLength(HINTERNET request) {
    DWORD length = 0;
    DWORD size = sizeof length;
    if (!HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &size,
                        nullptr)) {
        return std::nullopt;
    }
    return length;
}

// Whether the hop's body arrived whole. WinInet reads an early close as the
// end, so only an announced length tells a cut body from a whole one. Wine
// takes a close before the blank line that ends the headers for their end,
// the cut header dropped: such an answer has neither length nor body. A
// refusal needs no body, and its status line did arrive: an empty one is the
// site's answer all the same. Wine also reads a chunked body cut between
// chunks as whole, and tells no difference.
bool IsWhole(int bytes, std::optional<DWORD> length, int status) {
    if (length) {
        return static_cast<DWORD>(bytes) == *length;
    }
    return bytes > 0 || IsRefusalStatus(status);
}

// Reads the hop's body to its end, past the bound, or to a failed read (a
// reset, a time-out).
FetchEnd ReadBody(Attempt& attempt, std::optional<DWORD> length, int status) {
    char piece[kReadSize] = {};
    for (;;) {
        DWORD count = 0;
        BOOL read = FALSE;
        DWORD error = 0;
        if (!attempt.CallWith(Attempt::Handle::request,
                              [&piece, &count, &read, &error](HINTERNET request) {
                                  read = InternetReadFile(request, piece, kReadSize, &count);
                                  error = GetLastError();
                              })) {
            return FetchEnd::noAnswer;
        }
        // A failed read may report a count; only a successful one delivers bytes.
        if (!read) {
            attempt.Failed(error);
            return FetchEnd::noAnswer;
        }
        if (count == 0) {
            return IsWhole(attempt.BodySize(), length, status) ? FetchEnd::answered
                                                               : FetchEnd::noAnswer;
        }
        if (!attempt.Append(piece, count)) {
            return FetchEnd::tooLarge;
        }
    }
}

// What a hop's answer says before its body.
struct Answer {
    int status = 0;
    int retryAfterSeconds = -1;
    std::optional<PageText> redirect;
    std::optional<DWORD> length;
};

Answer AnswerOf(HINTERNET request, const PageText& address) {
    Answer answer;
    answer.status = StatusCode(request);
    answer.retryAfterSeconds = RetryAfterSeconds(request);
    if (IsRedirect(answer.status)) {
        answer.redirect = RedirectTarget(request, address);
    }
    answer.length = ContentLength(request);
    return answer;
}

// The attempt's requests, the redirects followed, up to the end of the body.
FetchEnd Perform(Attempt& attempt, HINTERNET root, const PageText& address,
                 std::chrono::milliseconds timeOut) {
    if (root == nullptr) {
        return FetchEnd::noAnswer;
    }
    PageText current = address;
    for (int redirects = 0; redirects <= InternetPageFetcher::kMaxRedirects; ++redirects) {
        const std::optional<Target> target = TargetOf(current);
        if (!target || !Send(attempt, root, *target, timeOut)) {
            return FetchEnd::noAnswer;
        }
        Answer answer;
        // Wine reports a connection closed before a byte of answer as sent,
        // with no status line.
        if (!attempt.CallWith(
                Attempt::Handle::request,
                [&answer, &current](HINTERNET request) { answer = AnswerOf(request, current); }) ||
            answer.status == 0) {
            return FetchEnd::noAnswer;
        }
        attempt.StartHop(answer.status, answer.retryAfterSeconds);
        if (!answer.redirect) {
            return ReadBody(attempt, answer.length, answer.status);
        }
        current = *answer.redirect;
        attempt.EndHop();
    }
    return FetchEnd::tooManyRedirects;
}

void PerformAndFinish(const std::shared_ptr<Attempt>& attempt, HINTERNET root,
                      const PageText& address, std::chrono::milliseconds timeOut) {
    FetchEnd end = FetchEnd::noAnswer;
    std::exception_ptr failure;
    try {
        end = Perform(*attempt, root, address, timeOut);
    } catch (...) {
        failure = std::current_exception();
    }
    attempt->Finish(end, failure);
}

}  // namespace

struct InternetSession {
    explicit InternetSession(std::chrono::milliseconds timeOut)
        : root(InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0)) {
        if (root.Get() != nullptr) {
            SetTimeOuts(root.Get(), timeOut);
        }
    }

    InternetHandle root;
};

InternetPageFetcher::InternetPageFetcher(std::chrono::milliseconds timeOut)
    : m_timeOut(timeOut), m_session(std::make_shared<InternetSession>(timeOut)) {}

FetchResult InternetPageFetcher::ReadUrl(const PageText& address, PageText& page,
                                         AbandonSignal& abandon) {
    page.clear();
    const auto deadline = std::chrono::steady_clock::now() + m_timeOut;
    auto attempt = std::make_shared<Attempt>();
    const AbandonSignal::Hook hook(abandon, [&attempt] { attempt->Abandon(); });
    // The job keeps the attempt and the session alive for as long as WinInet
    // holds it.
    m_attemptThreads.Run([attempt, session = m_session, address, timeOut = m_timeOut] {
        PerformAndFinish(attempt, session->root.Get(), address, timeOut);
    });
    return attempt->Await(deadline, page);
}

void InternetPageFetcher::AllowConnections(int count) {
    auto connections = static_cast<DWORD>(count);
    for (DWORD option :
         {INTERNET_OPTION_MAX_CONNS_PER_SERVER, INTERNET_OPTION_MAX_CONNS_PER_1_0_SERVER}) {
        InternetSetOptionA(nullptr, option, &connections, sizeof connections);
    }
}

}  // namespace wendrel
