// The clip run's only access to the network.
#pragma once

#include <chrono>

#include "engine/text.h"

namespace wendrel {

class PageFetcher {
  public:
    virtual ~PageFetcher() = default;

    // Replaces page with the body found at address, cut at its first NUL; a
    // page that cannot be fetched becomes empty. Returns the body bytes received.
    virtual int ReadUrl(const PageText& address, PageText& page) = 0;
};

#ifdef _WIN32
// Fetches through WinInet as user agent "Read URL", always from the server.
// Connecting, sending and each wait for more of the answer give up after
// timeOut, and at most kMaxRedirects redirects are followed, so that no site
// can hold a run for ever. What arrived before a time-out is kept.
class InternetPageFetcher final : public PageFetcher {
  public:
    static constexpr std::chrono::milliseconds kDefaultTimeOut{30000};
    static constexpr int kMaxRedirects = 10;

    explicit InternetPageFetcher(std::chrono::milliseconds timeOut = kDefaultTimeOut);

    int ReadUrl(const PageText& address, PageText& page) override;

  private:
    std::chrono::milliseconds m_timeOut;
};
using SystemPageFetcher = InternetPageFetcher;
#else
// Fetches through libcurl as user agent "Read URL" with no other header of its
// own, straight from the server whatever proxy the environment names. Each
// fetch ends by the clock within timeOut, the connection included, and follows
// at most kMaxRedirects redirects, as the Windows fetcher does. What arrived
// before a time-out or a broken connection is kept.
class CurlPageFetcher final : public PageFetcher {
  public:
    static constexpr std::chrono::milliseconds kDefaultTimeOut{30000};
    static constexpr int kMaxRedirects = 10;

    explicit CurlPageFetcher(std::chrono::milliseconds timeOut = kDefaultTimeOut);

    int ReadUrl(const PageText& address, PageText& page) override;

  private:
    std::chrono::milliseconds m_timeOut;
};
using SystemPageFetcher = CurlPageFetcher;
#endif

}  // namespace wendrel
