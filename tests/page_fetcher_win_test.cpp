#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#include "engine/page_fetcher.h"
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

using testing::Pattern;

class InternetPageFetcherTest : public ::testing::Test {
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
        fetch.result = fetcher.ReadUrl(address, fetch.page);
        fetch.took = steady_clock::now() - start;
        return fetch;
    }

    // The request lines and headers the site saw for requests whose line holds tag.
    std::vector<std::string> Seen(const std::string& tag) {
        return testing::SeenRequests(fetcher, site, tag);
    }

    static std::string Tag() {
        return ::testing::UnitTest::GetInstance()->current_test_info()->name();
    }

    const PageText site = testing::TestSiteBase();
    InternetPageFetcher fetcher{kTestTimeOut};
};

struct BodyCase {
    const char* path;
    int result;
    PageText page;
};

TEST_F(InternetPageFetcherTest, HandsBackTheBodyCutAtItsFirstNul) {
    const BodyCase cases[] = {
        {"/body/1024", 1024, Pattern(1024)},
        {"/body/3000", 3000, Pattern(3000)},
        {"/chunked", 2500, Pattern(2500)},
        {"/body/0", 0, ""},
        {"/nul", 5, "ab"},
        // 없는 쪽: an error page is a page like any other.
        {"/missing", 24, "<html>404 \xBE\xF8\xB4\xC2 \xC2\xCA</html>"},
        {"/redirect", 3000, Pattern(3000)},
        // Closed after 2048 of 4096 declared bytes: a normal end to the client.
        {"/cut", 2048, Pattern(2048)},
        // A reset fails the read: what came before it stays.
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

TEST_F(InternetPageFetcherTest, AddressThatCannotBeOpenedEmptiesThePage) {
    const PageText addresses[] = {
        testing::RefusedBase() + "/body/3000",
        "http://",
        "no address",
        "ftp://127.0.0.1/body/3000",
    };
    for (const PageText& address : addresses) {
        SCOPED_TRACE(address);
        const Fetch fetch = Read(address);
        EXPECT_EQ(fetch.result, 0);
        EXPECT_EQ(fetch.page, "");
    }
}

TEST_F(InternetPageFetcherTest, SendsOneGetWithTheUserAgentAndNoHeaderOfItsOwn) {
    Read(site + "/body/0?" + Tag());

    const std::vector<std::string> seen = Seen(Tag());

    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0], "GET /body/0?" + Tag() + " HTTP/1.1");
    EXPECT_EQ(seen[1], "Host: " + site.substr(sizeof "http://" - 1));
    EXPECT_EQ(seen[2], "User-Agent: Read URL");
}

TEST_F(InternetPageFetcherTest, RedirectLoopEndsAfterTenRedirectsWithAnEmptyPage) {
    const Fetch fetch = Read(site + "/loop?" + Tag());

    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.page, "");
    const std::vector<std::string> seen = Seen(Tag());
    const auto requests = std::count_if(seen.begin(), seen.end(), [](const std::string& line) {
        return line.rfind("GET /loop?", 0) == 0;
    });
    EXPECT_EQ(requests, 1 + InternetPageFetcher::kMaxRedirects);
}

TEST_F(InternetPageFetcherTest, SilentServerEndsTheFetchAtTheTimeOut) {
    const Fetch fetch = Read(site + "/silent");

    EXPECT_EQ(fetch.result, 0);
    EXPECT_EQ(fetch.page, "");
    EXPECT_GE(fetch.took, kWaited);
    EXPECT_LT(fetch.took, kBound);
}

TEST_F(InternetPageFetcherTest, StalledBodyKeepsThePiecesReadBeforeTheTimeOut) {
    // 1500 bytes arrive, then nothing: the read that waits for the rest fails.
    const Fetch fetch = Read(site + "/stall");

    EXPECT_EQ(fetch.result, 1024);
    EXPECT_EQ(fetch.page, Pattern(1024));
    EXPECT_GE(fetch.took, kWaited);
    EXPECT_LT(fetch.took, kBound);
}

}  // namespace
}  // namespace wendrel
