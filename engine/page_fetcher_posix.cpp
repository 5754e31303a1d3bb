#include <curl/curl.h>

#include <climits>
#include <cstddef>
#include <mutex>
#include <new>
#include <string>

#include "engine/failure.h"
#include "engine/page_fetcher.h"

namespace wendrel {

namespace {

constexpr char kUserAgent[] = "Read URL";
// The smallest receive buffer libcurl takes, and the most it then hands over
// at once.
constexpr long kReadSize = 1024;
// The page's positions are signed 32-bit offsets.
constexpr std::size_t kMaxBodyBytes = INT_MAX;

// libcurl's process-wide set-up must run once, before any thread fetches.
void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

class EasyHandle {
  public:
    EasyHandle() : m_handle(curl_easy_init()) {}
    ~EasyHandle() { curl_easy_cleanup(m_handle); }
    EasyHandle(const EasyHandle&) = delete;
    EasyHandle& operator=(const EasyHandle&) = delete;

    CURL* Get() const { return m_handle; }
    explicit operator bool() const { return m_handle != nullptr; }

  private:
    CURL* m_handle;
};

class HeaderList {
  public:
    explicit HeaderList(const char* header) : m_list(curl_slist_append(nullptr, header)) {}
    ~HeaderList() { curl_slist_free_all(m_list); }
    HeaderList(const HeaderList&) = delete;
    HeaderList& operator=(const HeaderList&) = delete;

    curl_slist* Get() const { return m_list; }

  private:
    curl_slist* m_list;
};

// The body as it arrives. libcurl is C: a failure inside its callback is kept
// here and stops the transfer, to be thrown once libcurl has returned.
struct Body {
    std::string bytes;
    bool outOfMemory = false;
};

size_t AppendPiece(char* piece, size_t size, size_t count, void* userData) {
    auto& body = *static_cast<Body*>(userData);
    const size_t length = size * count;
    if (length > kMaxBodyBytes - body.bytes.size()) {
        body.outOfMemory = true;
        return 0;
    }
    try {
        body.bytes.append(piece, length);
    } catch (const std::bad_alloc&) {
        body.outOfMemory = true;
        return 0;
    }
    return length;
}

// One GET that asks nothing of the server beyond the page: the user agent and
// the host are the only headers, no proxy of the environment is used, and the
// whole transfer, connection included, ends by the clock at timeOut.
void SetRequest(CURL* easy, const PageText& address, const HeaderList& noAccept,
                std::chrono::milliseconds timeOut, Body& body) {
    curl_easy_setopt(easy, CURLOPT_URL, address.c_str());
    curl_easy_setopt(easy, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, noAccept.Get());
    curl_easy_setopt(easy, CURLOPT_PROXY, "");
    curl_easy_setopt(easy, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(CurlPageFetcher::kMaxRedirects));
    curl_easy_setopt(easy, CURLOPT_TIMEOUT_MS, static_cast<long>(timeOut.count()));
    // Threads fetch at once: a time-out must not come as a signal.
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReadSize);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, AppendPiece);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &body);
}

}  // namespace

CurlPageFetcher::CurlPageFetcher(std::chrono::milliseconds timeOut) : m_timeOut(timeOut) {
    InitialiseCurlOnce();
}

int CurlPageFetcher::ReadUrl(const PageText& address, PageText& page) {
    page.clear();
    const EasyHandle easy;
    if (!easy) {
        throw MemoryFailure();
    }
    // An empty value drops the header libcurl would add.
    const HeaderList noAccept("Accept:");
    Body body;
    SetRequest(easy.Get(), address, noAccept, m_timeOut, body);
    const CURLcode code = curl_easy_perform(easy.Get());
    if (body.outOfMemory || code == CURLE_OUT_OF_MEMORY) {
        throw MemoryFailure();
    }
    if (code == CURLE_TOO_MANY_REDIRECTS) {
        return 0;
    }
    // A reset, a cut or a stall after part of the body keeps what came.
    page.assign(body.bytes, 0, body.bytes.find('\0'));
    return static_cast<int>(body.bytes.size());
}

}  // namespace wendrel
