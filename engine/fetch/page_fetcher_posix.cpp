#include <curl/curl.h>

#include <cstddef>
#include <mutex>
#include <new>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "engine/failure.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/text/ascii_text.h"

namespace wendrel {

namespace {

// How long one wait for the network lasts at most; an abandon wakes it sooner.
constexpr int kPollMilliseconds = 1000;
constexpr std::string_view kRetryAfterName = "retry-after:";
constexpr std::string_view kDateName = "date:";

// libcurl's process-wide set-up must run once, before any thread fetches.
void InitialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

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

// What one transfer has received so far. libcurl is C: a failure inside its
// callbacks is kept here and stops the transfer, to be thrown once libcurl
// has returned.
struct Transfer {
    PageBody body;
    bool outOfMemory = false;
    // The body went past the bound, and the transfer was stopped there.
    bool tooLarge = false;
    // Whether the latest answer's headers have ended, so that it is an answer.
    bool headersEnded = false;
    std::string retryAfter;
    std::string date;  // what a date form of Retry-After counts from
};

// Every answer of a redirect's chain starts with its status line; only the
// last one's headers count.
size_t OnHeaderLine(char* bytes, size_t size, size_t count, void* userData) {
    auto& transfer = *static_cast<Transfer*>(userData);
    const std::string_view line(bytes, size * count);
    if (line.substr(0, 5) == "HTTP/") {
        transfer.headersEnded = false;
        transfer.retryAfter.clear();
        transfer.date.clear();
    } else if (Trimmed(line).empty()) {
        transfer.headersEnded = true;
    } else if (SameIgnoringCase(line.substr(0, kRetryAfterName.size()), kRetryAfterName)) {
        transfer.retryAfter = Trimmed(line.substr(kRetryAfterName.size()));
    } else if (SameIgnoringCase(line.substr(0, kDateName.size()), kDateName)) {
        transfer.date = Trimmed(line.substr(kDateName.size()));
    }
    return line.size();
}

size_t AppendPiece(char* piece, size_t size, size_t count, void* userData) {
    auto& transfer = *static_cast<Transfer*>(userData);
    const size_t length = size * count;
    try {
        transfer.tooLarge = !transfer.body.Append(piece, length);
    } catch (const std::bad_alloc&) {
        transfer.outOfMemory = true;
        return 0;
    }
    return transfer.tooLarge ? 0 : length;
}

// libcurl reports an early end of the body as an error: a close or reset
// before its announced end or its last chunk, a time-out, a redirect's next
// hop that failed. A close before the blank line that ends the headers it
// takes for an answer without a body: only the headers' end tells.
FetchEnd EndOf(std::optional<CURLcode> code, const Transfer& transfer) {
    if (transfer.tooLarge) {
        return FetchEnd::tooLarge;
    }
    if (code == CURLE_TOO_MANY_REDIRECTS) {
        return FetchEnd::tooManyRedirects;
    }
    return code == CURLE_OK && transfer.headersEnded ? FetchEnd::answered : FetchEnd::noAnswer;
}

NoAnswerCause CauseOf(std::optional<CURLcode> code) {
    switch (code.value_or(CURLE_ABORTED_BY_CALLBACK)) {
        case CURLE_PEER_FAILED_VERIFICATION:
        case CURLE_SSL_CACERT_BADFILE:
        case CURLE_SSL_ISSUER_ERROR:
        case CURLE_SSL_INVALIDCERTSTATUS:
            return NoAnswerCause::certificateNotTrusted;
        case CURLE_COULDNT_RESOLVE_HOST:
            return NoAnswerCause::hostNotFound;
        case CURLE_COULDNT_CONNECT:
            return NoAnswerCause::connectionRefused;
        case CURLE_OPERATION_TIMEDOUT:
            return NoAnswerCause::timedOut;
        default:
            return NoAnswerCause::connectionBroken;
    }
}

// One GET that asks nothing of the server beyond the page: the user agent and
// the host are the only headers, no proxy of the environment is used, and the
// whole transfer, connection included, ends by the clock at timeOut.
void SetRequest(CURL* easy, const PageText& address, const HeaderList& noAccept,
                std::chrono::milliseconds timeOut, const std::string& caFile, Transfer& transfer) {
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
    // The smallest receive buffer libcurl takes, and the most it then hands
    // over at once.
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, static_cast<long>(kReadSize));
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, OnHeaderLine);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, &transfer);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, AppendPiece);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, &transfer);
    if (!caFile.empty()) {
        curl_easy_setopt(easy, CURLOPT_CAINFO, caFile.c_str());
    }
}

// One transfer on a handle set of its own, so that another thread can wake
// the wait for the network when the fetch is abandoned.
class Exchange {
  public:
    Exchange() : m_easy(curl_easy_init()), m_multi(curl_multi_init()) {
        if (m_easy == nullptr || m_multi == nullptr) {
            Release();
            throw MemoryFailure();
        }
    }
    ~Exchange() { Release(); }
    Exchange(const Exchange&) = delete;
    Exchange& operator=(const Exchange&) = delete;

    CURL* Easy() const { return m_easy; }

    // From any thread.
    void Wake() { curl_multi_wakeup(m_multi); }

    // Runs the transfer to its end, or until abandon is raised: then nothing.
    std::optional<CURLcode> Perform(const AbandonSignal& abandon) {
        curl_multi_add_handle(m_multi, m_easy);
        int running = 1;
        while (!abandon.Raised()) {
            curl_multi_perform(m_multi, &running);
            if (running == 0) {
                return Result();
            }
            curl_multi_poll(m_multi, nullptr, 0, kPollMilliseconds, nullptr);
        }
        return std::nullopt;
    }

    int Status() const {
        long status = 0;
        curl_easy_getinfo(m_easy, CURLINFO_RESPONSE_CODE, &status);
        return static_cast<int>(status);
    }

  private:
    CURLcode Result() const {
        int queued = 0;
        const CURLMsg* message = curl_multi_info_read(m_multi, &queued);
        return message != nullptr && message->msg == CURLMSG_DONE ? message->data.result
                                                                  : CURLE_RECV_ERROR;
    }

    void Release() {
        if (m_multi != nullptr && m_easy != nullptr) {
            curl_multi_remove_handle(m_multi, m_easy);
        }
        curl_easy_cleanup(m_easy);
        curl_multi_cleanup(m_multi);
    }

    CURL* m_easy;
    CURLM* m_multi;
};

}  // namespace

CurlPageFetcher::CurlPageFetcher(std::chrono::milliseconds timeOut, std::string caFile)
    : m_timeOut(timeOut), m_caFile(std::move(caFile)) {
    InitialiseCurlOnce();
}

FetchResult CurlPageFetcher::ReadUrl(const PageText& address, PageText& page,
                                     AbandonSignal& abandon) {
    page.clear();
    Exchange exchange;
    // An empty value drops the header libcurl would add.
    const HeaderList noAccept("Accept:");
    Transfer transfer;
    SetRequest(exchange.Easy(), address, noAccept, m_timeOut, m_caFile, transfer);
    std::optional<CURLcode> code;
    {
        const AbandonSignal::Hook hook(abandon, [&exchange] { exchange.Wake(); });
        code = exchange.Perform(abandon);
    }
    if (transfer.outOfMemory || code == CURLE_OUT_OF_MEMORY) {
        throw MemoryFailure();
    }
    const FetchEnd end = EndOf(code, transfer);
    const FetchResult result{transfer.body.Size(), end, exchange.Status(),
                             RetryAfterSeconds(transfer.retryAfter, transfer.date),
                             end == FetchEnd::noAnswer ? CauseOf(code) : NoAnswerCause::none};
    transfer.body.HandOverTo(page);
    return result;
}

}  // namespace wendrel
