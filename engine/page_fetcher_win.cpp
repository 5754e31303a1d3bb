// windows.h must come before wininet.h.
// clang-format off
#include <windows.h>
#include <wininet.h>
// clang-format on

#include <climits>
#include <initializer_list>
#include <optional>
#include <string>

#include "engine/failure.h"
#include "engine/page_fetcher.h"

namespace wendrel {

namespace {

constexpr char kUserAgent[] = "Read URL";
constexpr DWORD kReadSize = 1024;
// The page's positions are signed 32-bit offsets.
constexpr std::size_t kMaxBodyBytes = INT_MAX;

class InternetHandle {
  public:
    explicit InternetHandle(HINTERNET handle) : m_handle(handle) {}
    ~InternetHandle() {
        if (m_handle != nullptr) {
            InternetCloseHandle(m_handle);
        }
    }
    InternetHandle(const InternetHandle&) = delete;
    InternetHandle& operator=(const InternetHandle&) = delete;

    HINTERNET Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

  private:
    HINTERNET m_handle;
};

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

bool IsRedirect(HINTERNET request) {
    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                        nullptr)) {
        return false;
    }
    return status == HTTP_STATUS_MOVED || status == HTTP_STATUS_REDIRECT ||
           status == HTTP_STATUS_REDIRECT_METHOD || status == HTTP_STATUS_REDIRECT_KEEP_VERB ||
           status == HTTP_STATUS_PERMANENT_REDIRECT;
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

// Reads to the end of the body; a failed read (a reset, a time-out) ends it as
// the end does, keeping what came before it.
std::string ReadBody(HINTERNET request) {
    std::string body;
    char piece[kReadSize];
    DWORD count = 0;
    // A failed read may report a count; only a successful one delivers bytes.
    while (InternetReadFile(request, piece, kReadSize, &count) && count > 0) {
        if (count > kMaxBodyBytes - body.size()) {
            throw MemoryFailure();
        }
        body.append(piece, count);
    }
    return body;
}

// One fetch that answers for itself: the connection and request handles are
// closed when it ends.
class Exchange {
  public:
    Exchange(HINTERNET root, const Target& target, std::chrono::milliseconds timeOut)
        : m_connection(InternetConnectA(root, target.host.c_str(), target.port, nullptr, nullptr,
                                        INTERNET_SERVICE_HTTP, 0, 0)),
          m_request(OpenRequest(target)) {
        if (m_request) {
            SetTimeOuts(m_request.Get(), timeOut);
        }
    }

    bool Send() { return m_request && HttpSendRequestA(m_request.Get(), nullptr, 0, nullptr, 0); }
    HINTERNET Request() const { return m_request.Get(); }

  private:
    HINTERNET OpenRequest(const Target& target) const {
        if (!m_connection) {
            return nullptr;
        }
        // Redirects are followed by hand: Wine would follow a loop for ever.
        DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT;
        if (target.secure) {
            flags |= INTERNET_FLAG_SECURE;
        }
        return HttpOpenRequestA(m_connection.Get(), "GET", target.object.c_str(), nullptr, nullptr,
                                nullptr, flags, 0);
    }

    InternetHandle m_connection;
    InternetHandle m_request;
};

}  // namespace

InternetPageFetcher::InternetPageFetcher(std::chrono::milliseconds timeOut) : m_timeOut(timeOut) {}

int InternetPageFetcher::ReadUrl(const PageText& address, PageText& page) {
    page.clear();
    const InternetHandle root(
        InternetOpenA(kUserAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!root) {
        return 0;
    }
    SetTimeOuts(root.Get(), m_timeOut);
    PageText current = address;
    for (int redirects = 0; redirects <= kMaxRedirects; ++redirects) {
        const std::optional<Target> target = TargetOf(current);
        if (!target) {
            return 0;
        }
        Exchange exchange(root.Get(), *target, m_timeOut);
        if (!exchange.Send()) {
            return 0;
        }
        const std::optional<PageText> next = IsRedirect(exchange.Request())
                                                 ? RedirectTarget(exchange.Request(), current)
                                                 : std::nullopt;
        if (!next) {
            const std::string body = ReadBody(exchange.Request());
            page.assign(body, 0, body.find('\0'));
            return static_cast<int>(body.size());
        }
        current = *next;
    }
    return 0;
}

}  // namespace wendrel
