#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <vector>

#include "engine/page_fetcher.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using std::chrono::steady_clock;
using testing::Pattern;

// The time-out the tests fetch with. A fetch that the time-out ends takes at
// least kWaited (a refused or reset one returns at once) and stays under kBound.
constexpr milliseconds kTestTimeOut{2000};
constexpr milliseconds kWaited = kTestTimeOut / 2;
constexpr seconds kBound{10};

// A loopback port whose queue of connections is full: the system drops every
// further connection request unanswered, so a connect waits for ever.
class PortThatNeverAccepts {
  public:
    PortThatNeverAccepts() {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        m_listener = socket(AF_INET, SOCK_STREAM, 0);
        socklen_t length = sizeof address;
        bind(m_listener, reinterpret_cast<sockaddr*>(&address), length);
        listen(m_listener, 0);
        getsockname(m_listener, reinterpret_cast<sockaddr*>(&address), &length);
        m_port = ntohs(address.sin_port);
        // A queue of length 0 holds one connection; more fill it for certain.
        for (int& filler : m_fillers) {
            filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
            connect(filler, reinterpret_cast<sockaddr*>(&address), length);
        }
    }
    ~PortThatNeverAccepts() {
        for (int filler : m_fillers) {
            close(filler);
        }
        close(m_listener);
    }
    PortThatNeverAccepts(const PortThatNeverAccepts&) = delete;
    PortThatNeverAccepts& operator=(const PortThatNeverAccepts&) = delete;

    PageText Base() const { return "http://127.0.0.1:" + std::to_string(m_port); }

  private:
    int m_listener = -1;
    int m_fillers[3] = {-1, -1, -1};
    int m_port = 0;
};

class CurlPageFetcherTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(site.empty()) << "the test site is not running (CTest starts it)";
    }

    // The page and result of one fetch into a page that held text before.
    struct Fetch {
        PageText page;
        int result;
        steady_clock::duration took;
    };
    Fetch Read(const PageText& address) {
        Fetch fetch{"text of an earlier page", -1, {}};
        const auto start = steady_clock::now();
        fetch.result = fetcher.ReadUrl(address, fetch.page).bytes;
        fetch.took = steady_clock::now() - start;
        return fetch;
    }

    std::vector<std::string> Seen(const std::string& tag) {
        return testing::SeenRequests(fetcher, site, tag);
    }

    static std::string Tag() {
        return ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    const PageText site = testing::TestSiteBase();
    CurlPageFetcher fetcher{kTestTimeOut};
};

struct BodyCase {
    const char* path;
    int result;
    PageText page;
};

TEST_F(CurlPageFetcherTest, HandsBackTheBodyCutAtItsFirstNul) {
    const BodyCase cases[] = {
        {"/body/1024", 1024, Pattern(1024)},
        {"/body/3000", 3000, Pattern(3000)},
        {"/chunked", 2500, Pattern(2500)},
        {"/body/0", 0, ""},
        {"/nul", 5, "ab"},
        // 없는 쪽: an error page is a page like any other.
        {"/missing", 24, "<html>404 \xBE\xF8\xB4\xC2 \xC2\xCA</html>"},
        {"/redirect", 3000, Pattern(3000)},
        // Closed after 2048 of 4096 declared bytes, or reset after them.
        {"/cut", 2048, Pattern(2048)},
        {"/reset?after=2048", 2048, Pattern(2048)},
        {"/reset?after=0", 0, ""},
    };
    for (const BodyCase& expected : cases) {
        SCOPED_TRACE(expected.path);
        const Fetch fetch = Read(site + expected.path);
        EXPECT_EQ(fetch.result, expected.result);
        EXPECT_EQ(fetch.page, expected.page);
    }
}

TEST_F(CurlPageFetcherTest, AddressThatCannotBeOpenedEmptiesThePage) {
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

TEST_F(CurlPageFetcherTest, SendsOneGetWithTheUserAgentAndNoHeaderOfItsOwn) {
    // A proxy named by the environment is passed by: the fetch goes straight
    // to the site, or it would fail against this refused address.
    setenv("http_proxy", testing::RefusedBase().c_str(), 1);
    const Fetch fetch = Read(site + "/body/0?" + Tag());
    unsetenv("http_proxy");

    const std::vector<std::string> seen = Seen(Tag());
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "GET /body/0?" + Tag() + " HTTP/1.1");
    EXPECT_EQ(seen[1], "Host: " + site.substr(sizeof "http://" - 1));
    EXPECT_EQ(seen[2], "User-Agent: Read URL");
    EXPECT_EQ(fetch.result, 0);
}

TEST_F(CurlPageFetcherTest, RedirectLoopEndsAfterTenRedirectsWithAnEmptyPage) {
    const Fetch fetch = Read(site + "/loop?" + Tag());

    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.page, "");
    const std::vector<std::string> seen = Seen(Tag());
    const auto requests = std::count_if(seen.begin(), seen.end(), [](const std::string& line) {
        return line.rfind("GET /loop?", 0) == 0;
    });
    EXPECT_EQ(requests, 1 + CurlPageFetcher::kMaxRedirects);
}

TEST_F(CurlPageFetcherTest, EveryFetchEndsByTheClock) {
    const PortThatNeverAccepts neverAccepts;
    const BodyCase cases[] = {
        {"/silent", 0, ""},
        // 1500 bytes arrive, then nothing: all of them are kept.
        {"/stall", 1500, Pattern(1500)},
    };
    for (const BodyCase& expected : cases) {
        SCOPED_TRACE(expected.path);
        const Fetch fetch = Read(site + expected.path);
        EXPECT_EQ(fetch.result, expected.result);
        EXPECT_EQ(fetch.page, expected.page);
        EXPECT_GE(fetch.took, kWaited);
        EXPECT_LT(fetch.took, kBound);
    }
    SCOPED_TRACE("a connect that is never answered");
    const Fetch fetch = Read(neverAccepts.Base() + "/body/3000");
    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.page, "");
    EXPECT_GE(fetch.took, kWaited);
    EXPECT_LT(fetch.took, kBound);
}

}  // namespace
}  // namespace wendrel
