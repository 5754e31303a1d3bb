// windows.h must come before wininet.h.
// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <climits>
#include <condition_variable>
#include <exception>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "engine/failure.h"
#include "engine/page_fetcher.h"

namespace wendrel {

namespace {

constexpr char kUserAgent[] = "Read URL";
constexpr DWORD kReadSize = 1024;
// The page's positions are signed 32-bit offsets.
constexpr std::size_t kMaxBodyBytes = INT_MAX;

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

// The answer's Retry-After when it is a count of seconds; -1 otherwise.
int RetryAfterSeconds(HINTERNET request) {
    char text[32] = "";
    DWORD size = sizeof text;
    if (!HttpQueryInfoA(request, HTTP_QUERY_RETRY_AFTER, text, &size, nullptr)) {
        return -1;
    }
    return wendrel::RetryAfterSeconds(std::string_view(text, size));
}

// The address a redirect points to, resolved against the address that gave
// it; nothing when the answer names none.
std::optional<PageText> RedirectTarget(HINTERNET request, const PageText& address) {
    DWORD size = 0;
    HttpQueryInfoA(request, HTTP_QUERY_LOCATION, nullptr, &size, nullptr);
    if (size == 0) {
        return std::nullopt;
    }
    std::string location(size, '\0');
    if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location.data(), &size, nullptr)) {
        return std::nullopt;
    }
    location.resize(size);
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

// One attempt, shared by the thread that performs it and the thread that
// waits for it. WinInet under Wine neither honours a connect time-out nor
// returns from a blocked connect when its handles are closed, so the waiting
// side gives up by the clock, closes the handles (which ends the call on
// Windows) and leaves; the performing thread ends whenever WinInet lets it,
// touching nothing but this.
class Attempt {
  public:
    // Keeps handle to be closed by whichever side ends the attempt; false,
    // with handle closed, when the waiting side has already given up.
    bool Keep(HINTERNET handle) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (m_givenUp || handle == nullptr) {
            if (handle != nullptr) {
                InternetCloseHandle(handle);
            }
            return false;
        }
        m_handles.push_back(handle);
        return true;
    }

    bool GivenUp() const {
        const std::lock_guard<std::mutex> lock(m_mutex);
        return m_givenUp;
    }

    // Ends a redirect's hop: its request would otherwise hold one of the
    // connections to the server that the next hop may need.
    void CloseHop() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        CloseHandles();
    }

    // A new hop of a redirect: what the last one read is not the page.
    void StartHop(int status, int retryAfterSeconds) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_result = FetchResult{0, FetchEnd::answered, status, retryAfterSeconds};
        m_body.clear();
    }

    void Append(const char* bytes, DWORD count) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (count > kMaxBodyBytes - m_body.size()) {
            throw MemoryFailure();
        }
        m_body.append(bytes, count);
    }

    // From the performing thread, on every path.
    void Finish(FetchEnd end, std::exception_ptr failure) {
        const std::lock_guard<std::mutex> lock(m_mutex);
        if (end != FetchEnd::answered) {
            m_result.end = end;
        }
        m_failure = std::move(failure);
        m_finished = true;
        CloseHandles();
        m_changed.notify_all();
    }

    // From the waiting side when the signal is raised.
    void Abandon() {
        const std::lock_guard<std::mutex> lock(m_mutex);
        m_abandoned = true;
        m_changed.notify_all();
    }

    // Waits until the attempt finishes, is abandoned or deadline passes, and
    // hands back the page as far as it came.
    FetchResult Await(std::chrono::steady_clock::time_point deadline, PageText& page) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait_until(lock, deadline, [this] { return m_finished || m_abandoned; });
        if (!m_finished) {
            m_givenUp = true;
            CloseHandles();
        }
        if (m_failure) {
            std::rethrow_exception(m_failure);
        }
        FetchResult result = m_result;
        result.bytes = static_cast<int>(m_body.size());
        page.assign(m_body, 0, m_body.find('\0'));
        return result;
    }

  private:
    // Children first: the request, then the connection.
    void CloseHandles() {
        while (!m_handles.empty()) {
            InternetCloseHandle(m_handles.back());
            m_handles.pop_back();
        }
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<HINTERNET> m_handles;
    bool m_finished = false;
    bool m_abandoned = false;
    bool m_givenUp = false;
    // Until headers arrive the attempt has no answer.
    FetchResult m_result{0, FetchEnd::noAnswer, 0, -1};
    std::string m_body;
    std::exception_ptr m_failure;
};

HINTERNET OpenRequest(HINTERNET connection, const Target& target) {
    // Redirects are followed by hand: Wine would follow a loop for ever. Pages
    // are neither answered from the cache nor written to it.
    DWORD flags =
        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT;
    if (target.secure) {
        flags |= INTERNET_FLAG_SECURE;
    }
    return HttpOpenRequestA(connection, "GET", target.object.c_str(), nullptr, nullptr, nullptr,
                            flags, 0);
}

// Reads to the end of the body; a failed read (a reset, a time-out) ends it as
// the end does, keeping what came before it.
void ReadBody(Attempt& attempt, HINTERNET request) {
    char piece[kReadSize];
    DWORD count = 0;
    // A failed read may report a count; only a successful one delivers bytes.
    while (!attempt.GivenUp() && InternetReadFile(request, piece, kReadSize, &count) && count > 0) {
        attempt.Append(piece, count);
    }
}

// Sends one request of the attempt; its handles stay with the attempt.
HINTERNET Send(Attempt& attempt, HINTERNET root, const Target& target,
               std::chrono::milliseconds timeOut) {
    const HINTERNET connection = InternetConnectA(root, target.host.c_str(), target.port, nullptr,
                                                  nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    if (!attempt.Keep(connection)) {
        return nullptr;
    }
    const HINTERNET request = OpenRequest(connection, target);
    if (!attempt.Keep(request)) {
        return nullptr;
    }
    SetTimeOuts(request, timeOut);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0) || attempt.GivenUp()) {
        return nullptr;
    }
    return request;
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
        if (!target) {
            return FetchEnd::noAnswer;
        }
        const HINTERNET request = Send(attempt, root, *target, timeOut);
        if (request == nullptr) {
            return FetchEnd::noAnswer;
        }
        const int status = StatusCode(request);
        // Wine reports a connection closed before a byte of answer as sent,
        // with no status line.
        if (status == 0) {
            return FetchEnd::noAnswer;
        }
        attempt.StartHop(status, RetryAfterSeconds(request));
        const std::optional<PageText> next =
            IsRedirect(status) ? RedirectTarget(request, current) : std::nullopt;
        if (!next) {
            ReadBody(attempt, request);
            return FetchEnd::answered;
        }
        current = *next;
        attempt.CloseHop();
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
        if (root != nullptr) {
            SetTimeOuts(root, timeOut);
        }
    }
    ~InternetSession() {
        if (root != nullptr) {
            InternetCloseHandle(root);
        }
    }
    InternetSession(const InternetSession&) = delete;
    InternetSession& operator=(const InternetSession&) = delete;

    HINTERNET root;
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
        PerformAndFinish(attempt, session->root, address, timeOut);
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
