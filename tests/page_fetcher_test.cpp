#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#include <wininet.h>
#endif

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "engine/fetch/page_fetcher.h"
#include "engine/fetch/page_retries.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::steady_clock;

// The time-out the tests fetch with. A fetch that the time-out ends takes at
// least kWaited (a refused or reset one returns at once) and stays under kBound.
constexpr milliseconds kTestTimeOut{2000};
constexpr milliseconds kWaited = kTestTimeOut / 2;
constexpr seconds kBound{10};
constexpr int kConnections = 4;

using testing::Pattern;

class PageFetcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(site.empty()) << "the test site is not running (CTest starts it)";
    }

    // The page and result of one fetch into a page that held text before.
    struct Fetch {
        PageText page;
        int result;
        steady_clock::duration took;
        FetchEnd end = FetchEnd::answered;
        int status = 0;
        int retryAfter = -1;
        NoAnswerCause cause = NoAnswerCause::none;
    };
    Fetch Read(const PageText& address) { return ReadWith(fetcher, address); }
    static Fetch ReadWith(PageFetcher& by, const PageText& address) {
        Fetch fetch{"text of an earlier page", -1, {}};
        const auto start = steady_clock::now();
        const FetchResult result = by.ReadUrl(address, fetch.page);
        fetch.result = result.bytes;
        fetch.end = result.end;
        fetch.status = result.status;
        fetch.retryAfter = result.retryAfterSeconds;
        fetch.cause = result.cause;
        fetch.took = steady_clock::now() - start;
        return fetch;
    }

    // The request lines and headers the site saw for requests whose line holds tag.
    std::vector<std::string> Seen(const std::string& tag) {
        return testing::SeenRequests(fetcher, site, tag);
    }

    // The times, in seconds, at which the site saw requests whose line holds tag.
    std::vector<double> AttemptTimes(const std::string& tag) {
        PageText text;
        fetcher.ReadUrl(site + "/attempts?match=" + tag, text);
        std::vector<double> times;
        std::istringstream in(text);
        for (double time = 0; in >> time;) {
            times.push_back(time);
        }
        return times;
    }

    static std::string Tag() {
        return ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    const PageText site = testing::TestSiteBase();
    const std::unique_ptr<SystemPageFetcher> m_fetcher = testing::TestSiteFetcher(kTestTimeOut);
    SystemPageFetcher& fetcher = *m_fetcher;
};

struct BodyCase {
    const char* path;
    int result;
    PageText page;
};

TEST_F(PageFetcherTest, HandsBackTheBodyCutAtItsFirstNul) {
    const PageText secure = testing::SecureBase();
    const BodyCase cases[] = {
        {"/body/1024", 1024, Pattern(1024)},
        {"/body/3000", 3000, Pattern(3000)},
        {"/chunked", 2500, Pattern(2500)},
        {"/body/0", 0, ""},
        {"/nul", 5, "ab"},
        // 없는 쪽: an error page is a page like any other.
        {"/missing", 24, "<html>404 \xBE\xF8\xB4\xC2 \xC2\xCA</html>"},
        {"/redirect", 3000, Pattern(3000)},
    };
    for (const PageText& base : {site, secure}) {
        for (const BodyCase& expected : cases) {
            SCOPED_TRACE(base + expected.path);
            const Fetch fetch = Read(base + expected.path);
            EXPECT_EQ(fetch.result, expected.result);
            EXPECT_EQ(fetch.page, expected.page);
        }
    }
}

TEST_F(PageFetcherTest, AddressThatCannotBeOpenedEmptiesThePage) {
    const PageText addresses[] = {
        testing::RefusedBase() + "/body/3000",
        "http://",
        "no address",
        "ftp://127.0.0.1/body/3000",
        "file:///etc/hostname",
    };
    for (const PageText& address : addresses) {
        SCOPED_TRACE(address);
        const Fetch fetch = Read(address);
        EXPECT_EQ(fetch.result, 0);
        EXPECT_EQ(fetch.page, "");
    }
}

TEST_F(PageFetcherTest, SendsOneGetWithTheUserAgentAndNoHeaderOfItsOwn) {
    // Not even the cookie the site handed out a page before.
    Read(site + "/cookie");
    Read(site + "/body/0?" + Tag());

    const std::vector<std::string> seen = Seen(Tag());

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "GET /body/0?" + Tag() + " HTTP/1.1");
    EXPECT_EQ(seen[1], "Host: " + site.substr(sizeof "http://" - 1));
    EXPECT_EQ(seen[2], "User-Agent: Read URL");
}

TEST_F(PageFetcherTest, RedirectLoopEndsAfterTenRedirectsWithAnEmptyPage) {
    const Fetch fetch = Read(site + "/loop?" + Tag());

    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.page, "");
    const std::vector<std::string> seen = Seen(Tag());
    const auto requests = std::count_if(seen.begin(), seen.end(), [](const std::string& line) {
        return line.rfind("GET /loop?", 0) == 0;
    });
    EXPECT_EQ(requests, 1 + SystemPageFetcher::kMaxRedirects);
}

// 1500 bytes of /stall arrive, then nothing. WinInet's read waits to fill its
// 1024 bytes and fails with the rest; libcurl hands over whatever arrived.
// Wine reads a chunked body cut between its chunks as a whole one; it reads
// headers cut short as ended, and WinInet's fetcher tells them by the empty
// body with no length.
#ifdef _WIN32
constexpr int kStallKept = 1024;
constexpr FetchEnd kChunkedCutEnd = FetchEnd::answered;
#else
constexpr int kStallKept = 1500;
constexpr FetchEnd kChunkedCutEnd = FetchEnd::noAnswer;
#endif

enum class Takes {
    noTime,    // the site ends it at once, under kWaited
    theClock,  // the time-out ends it, from kWaited to kBound
    aWhile,    // under kBound with the usual time-out: Wine reads 16 MiB in over a second
};

struct EndingCase {
    PageText address;
    FetchEnd end;
    int bytes;  // received; the page is that much of the site's pattern
    Takes takes;
};

// The endings over HTTP and over HTTPS. The redirects to addresses that never
// answer are the site's; those addresses alone are not, and come once.
std::vector<EndingCase> EndingCases(const PageText& site) {
    const PageText refused = testing::RefusedBase();
    const PageText unaccepting = testing::UnacceptingBase();
    return {
        {site + "/cut", FetchEnd::noAnswer, 2048, Takes::noTime},
        {site + "/chunked?cut=1", kChunkedCutEnd, 1900, Takes::noTime},
        {site + "/headers-cut", FetchEnd::noAnswer, 0, Takes::noTime},
        {site + "/reset?after=2048", FetchEnd::noAnswer, 2048, Takes::noTime},
        {site + "/reset?after=0", FetchEnd::noAnswer, 0, Takes::noTime},
        {site + "/stall", FetchEnd::noAnswer, kStallKept, Takes::theClock},
        {site + "/silent", FetchEnd::noAnswer, 0, Takes::theClock},
        {site + "/redirect?to=" + refused + "/body/3000", FetchEnd::noAnswer, 0, Takes::noTime},
        {site + "/redirect?to=" + unaccepting + "/body/3000", FetchEnd::noAnswer, 0,
         Takes::theClock},
        {site + "/redirect?to=" + site + "/stall", FetchEnd::noAnswer, kStallKept, Takes::theClock},
        {site + "/redirect?to=" + site + "/cut", FetchEnd::noAnswer, 2048, Takes::noTime},
        {site + "/endless", FetchEnd::tooLarge, PageFetcher::kMaxPageBytes, Takes::aWhile},
        {site + "/endless?chunked=1", FetchEnd::tooLarge, PageFetcher::kMaxPageBytes,
         Takes::aWhile},
    };
}

TEST_F(PageFetcherTest, EveryEndingKeepsWhatArrivedWithinTheClock) {
    ASSERT_FALSE(testing::UnacceptingBase().empty());
    std::vector<EndingCase> cases = EndingCases(site);
    const std::size_t plainRows = cases.size();
    const std::vector<EndingCase> secure = EndingCases(testing::SecureBase());
    cases.insert(cases.end(), secure.begin(), secure.end());
    cases.push_back({testing::RefusedBase() + "/body/3000", FetchEnd::noAnswer, 0, Takes::noTime});
    cases.push_back(
        {testing::UnacceptingBase() + "/body/3000", FetchEnd::noAnswer, 0, Takes::theClock});
    const std::unique_ptr<SystemPageFetcher> patient =
        testing::TestSiteFetcher(PageFetcher::kDefaultTimeOut);
    std::vector<Fetch> fetches(cases.size());
    const auto readRows = [&](bool clockRows, std::size_t begin, std::size_t end) {
        for (std::size_t row = begin; row < end; ++row) {
            if ((cases[row].takes == Takes::theClock) == clockRows) {
                fetches[row] = ReadWith(cases[row].takes == Takes::aWhile ? *patient : fetcher,
                                        cases[row].address);
            }
        }
    };
    // The rows that the clock ends only wait: each scheme's go on a thread of
    // their own, one at a time, beside the rest.
    std::thread plainClock(readRows, true, 0, plainRows);
    std::thread secureClock(readRows, true, plainRows, cases.size());
    readRows(false, 0, cases.size());
    plainClock.join();
    secureClock.join();
    for (std::size_t row = 0; row < cases.size(); ++row) {
        const EndingCase& expected = cases[row];
        const Fetch& fetch = fetches[row];
        SCOPED_TRACE(expected.address);
        EXPECT_EQ(fetch.end, expected.end);
        EXPECT_EQ(fetch.result, expected.bytes);
        // Not EXPECT_EQ: a failure would print 16 MiB.
        EXPECT_TRUE(fetch.page == Pattern(expected.bytes)) << fetch.page.size() << " bytes";
        // Nor may the page's memory go past the bound.
        EXPECT_LE(fetch.page.capacity(), static_cast<std::size_t>(PageFetcher::kMaxPageBytes));
        if (expected.takes != Takes::aWhile) {
            EXPECT_EQ(fetch.took >= kWaited, expected.takes == Takes::theClock);
        }
        EXPECT_LT(fetch.took, kBound);
    }
}

struct EndCase {
    PageText address;
    FetchEnd end;
    int status;
    int retryAfter;
    NoAnswerCause cause = NoAnswerCause::none;
};

// The port of an address that ends in one.
PageText PortOf(const PageText& base) {
    return base.substr(base.rfind(':'));
}

TEST_F(PageFetcherTest, ReportsHowEachFetchEndedAndWhyThereWasNoAnswer) {
    const PageText secure = testing::SecureBase();
    ASSERT_FALSE(secure.empty());
    const PageText refused = testing::RefusedBase();
    const auto noAnswer = [](const PageText& address, NoAnswerCause cause) {
        return EndCase{address, FetchEnd::noAnswer, 0, -1, cause};
    };
    const EndCase cases[] = {
        {site + "/body/3000?case=0", FetchEnd::answered, 200, -1},
        {site + "/missing?", FetchEnd::answered, 404, -1},
        {site + "/flaky?fail=9&how=503&retry_after=7&case=1", FetchEnd::answered, 503, 7},
        {site + "/flaky?fail=9&how=429&retry_after=Wed,%2021%20Oct&case=2", FetchEnd::answered, 429,
         kUnreadableRetryAfter},
        // An HTTP date counts from the answer's own Date.
        {site + "/flaky?fail=9&how=503&retry_in=7&case=7", FetchEnd::answered, 503, 7},
        // A refusal needs no body.
        {site + "/flaky?fail=9&how=503&empty=1&case=4", FetchEnd::answered, 503, -1},
        {secure + "/flaky?fail=9&how=429&empty=1&case=5", FetchEnd::answered, 429, -1},
        {site + "/loop?ends", FetchEnd::tooManyRedirects, 302, -1},
        {secure + "/body/3000?case=6", FetchEnd::answered, 200, -1},
        noAnswer(site + "/flaky?fail=9&how=close&case=3", NoAnswerCause::connectionBroken),
        noAnswer(testing::UntrustedBase() + "/body/3000?", NoAnswerCause::certificateNotTrusted),
        // The certificate names localhost alone.
        noAnswer("https://127.0.0.1" + PortOf(secure) + "/body/3000?",
                 NoAnswerCause::certificateNotTrusted),
        noAnswer(refused + "/body/3000?", NoAnswerCause::connectionRefused),
        noAnswer("https://localhost" + PortOf(refused) + "/body/3000?",
                 NoAnswerCause::connectionRefused),
        noAnswer(testing::UnknownHostBase() + "/body/3000?", NoAnswerCause::hostNotFound),
        noAnswer(site + "/silent?", NoAnswerCause::timedOut),
        noAnswer(secure + "/silent?", NoAnswerCause::timedOut),
    };
    for (const EndCase& expected : cases) {
        SCOPED_TRACE(expected.address);
        const Fetch fetch = Read(expected.address + "&" + Tag());
        EXPECT_EQ(fetch.end, expected.end);
        EXPECT_EQ(fetch.cause, expected.cause);
        if (expected.end != FetchEnd::noAnswer) {
            EXPECT_EQ(fetch.status, expected.status);
            EXPECT_EQ(fetch.retryAfter, expected.retryAfter);
        }
    }
}

TEST_F(PageFetcherTest, AbandonedFetchReturnsWithoutWaitingForTheTimeOut) {
    AbandonSignal abandon;
    std::thread raiser([&abandon] {
        std::this_thread::sleep_for(milliseconds(200));
        abandon.Raise();
    });
    PageText page = "earlier";
    const auto start = steady_clock::now();

    const FetchResult result = fetcher.ReadUrl(site + "/silent", page, abandon);

    const auto took = steady_clock::now() - start;
    raiser.join();
    EXPECT_EQ(result.end, FetchEnd::noAnswer);
    EXPECT_EQ(page, "");
    EXPECT_LT(took, kWaited);
}

#ifdef _WIN32
DWORD ConnectionsPerServer() {
    DWORD connections = 0;
    DWORD size = sizeof connections;
    InternetQueryOptionA(nullptr, INTERNET_OPTION_MAX_CONNS_PER_SERVER, &connections, &size);
    return connections;
}

// WinInet's own limit is two connections per server (Wine reports it, though
// it does not hold to it); a window of four needs four. The limit holds for
// the process, so it is put back afterwards.
class ConnectionsAllowed {
  public:
    ConnectionsAllowed(PageFetcher& fetcher, int count)
        : m_fetcher(fetcher), m_before(ConnectionsPerServer()) {
        m_fetcher.AllowConnections(count);
        EXPECT_EQ(ConnectionsPerServer(), static_cast<DWORD>(count));
    }
    ~ConnectionsAllowed() { m_fetcher.AllowConnections(static_cast<int>(m_before)); }
    ConnectionsAllowed(const ConnectionsAllowed&) = delete;
    ConnectionsAllowed& operator=(const ConnectionsAllowed&) = delete;

  private:
    PageFetcher& m_fetcher;
    DWORD m_before;
};

// A cache entry per page would fill the user's profile with every article ever
// clipped, and writing it costs Wine more than the page's own fetch.
TEST_F(PageFetcherTest, PagesLeaveNoEntryInTheSystemCache) {
    const PageText address = site + "/body/3000?" + Tag();
    ASSERT_EQ(Read(address).page, Pattern(3000));

    DWORD size = 0;
    EXPECT_FALSE(GetUrlCacheEntryInfoA(address.c_str(), nullptr, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}
#else
// libcurl has no limit of its own: every fetch has a connection.
class ConnectionsAllowed {
  public:
    ConnectionsAllowed(PageFetcher& fetcher, int count) { fetcher.AllowConnections(count); }
};

TEST_F(PageFetcherTest, ProxyOfTheEnvironmentIsPassedBy) {
    setenv("http_proxy", testing::RefusedBase().c_str(), 1);
    const Fetch fetch = Read(site + "/body/3000?" + Tag());
    unsetenv("http_proxy");

    EXPECT_EQ(fetch.page, Pattern(3000));
}
#endif

TEST_F(PageFetcherTest, AllowedConnectionsAreOpenAtOnce) {
    const ConnectionsAllowed allowed(fetcher, kConnections);

    std::vector<std::thread> threads;
    threads.reserve(kConnections);
    for (int i = 0; i < kConnections; ++i) {
        threads.emplace_back([this, i] {
            PageText page;
            fetcher.ReadUrl(site + "/hold?ms=600&tag=" + Tag() + "&i=" + std::to_string(i), page);
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    PageText overlap;
    fetcher.ReadUrl(site + "/overlap?match=" + Tag(), overlap);
    EXPECT_EQ(overlap, std::to_string(kConnections));
}

struct RetryCase {
    const char* path;
    int attempts;
    // The least time between one attempt and the next, as the site saw them.
    std::vector<double> gaps;
    PageText page;
    bool unread;
};

// The engine's retries through the real fetcher and real pauses.
TEST_F(PageFetcherTest, TransientFailuresAreTriedAgainAfterTheirDelays) {
    const RetryCase cases[] = {
        {"/flaky?fail=2&how=close", 3, {0.95, 2.95}, Pattern(3000), false},
        {"/flaky?fail=1&how=503&retry_after=2", 2, {1.95}, Pattern(3000), false},
        {"/flaky?fail=9&how=500&retry_after=0", 3, {0, 0}, "failed 500", true},
        {"/flaky?fail=9&how=404", 1, {}, "failed 404", false},
    };
    SystemPause pause;
    for (const RetryCase& expected : cases) {
        SCOPED_TRACE(expected.path);
        const std::string tag = Tag() + std::to_string(&expected - cases);
        AbandonSignal abandon;

        const FetchedPage fetched =
            FetchWithRetries(fetcher, pause, site + expected.path + "&" + tag, abandon);

        EXPECT_EQ(fetched.page, expected.page);
        EXPECT_EQ(fetched.unread, expected.unread);
        const std::vector<double> times = AttemptTimes(tag);
        ASSERT_EQ(static_cast<int>(times.size()), expected.attempts);
        for (std::size_t i = 0; i < expected.gaps.size(); ++i) {
            EXPECT_GE(times[i + 1] - times[i], expected.gaps[i]) << "before attempt " << i + 2;
        }
    }
}

TEST_F(PageFetcherTest, RedirectLoopIsUnreadAndNotTriedAgain) {
    SystemPause pause;
    AbandonSignal abandon;

    const FetchedPage fetched = FetchWithRetries(fetcher, pause, site + "/loop?" + Tag(), abandon);

    EXPECT_TRUE(fetched.unread);
    EXPECT_EQ(AttemptTimes(Tag()).size(), 1u + SystemPageFetcher::kMaxRedirects);
}

}  // namespace
}  // namespace wendrel
