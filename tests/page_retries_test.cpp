#include "engine/page_retries.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "tests/case_name.h"
#include "tests/fakes.h"

namespace wendrel {
namespace {

using std::chrono::milliseconds;
using std::chrono::seconds;
using testing::Answer;
using testing::FakePause;
using testing::FakeSite;

constexpr char kAddress[] = "http://news.test/arti/7.html";

Answer Status(int status, int retryAfter = -1) {
    return Answer{FetchEnd::answered, status, "served " + std::to_string(status), retryAfter};
}

const Answer kNoAnswer{FetchEnd::noAnswer, 0, "", -1};
const Answer kRedirects{FetchEnd::tooManyRedirects, 0, "", -1};
const Answer kPage = Status(200);

struct RetryCase {
    const char* name;
    std::deque<Answer> answers;
    int attempts;
    std::vector<milliseconds> delays;
    PageText page;
    bool unread;
};

class FetchWithRetriesTest : public ::testing::TestWithParam<RetryCase> {};

TEST_P(FetchWithRetriesTest, TriesTransientFailuresAgainAfterAPause) {
    const RetryCase& c = GetParam();
    FakeSite site;
    FakePause pause;
    AbandonSignal abandon;
    site.answers[kAddress] = c.answers;

    const FetchedPage fetched = FetchWithRetries(site, pause, kAddress, abandon);

    EXPECT_EQ(static_cast<int>(site.requests.size()), c.attempts);
    EXPECT_EQ(pause.delays, c.delays);
    EXPECT_EQ(fetched.page, c.page);
    EXPECT_EQ(fetched.unread, c.unread);
}

const std::vector<milliseconds> kBothDelays{seconds(1), seconds(3)};

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchWithRetriesTest,
    ::testing::Values(
        RetryCase{"FirstAnswerStands", {kPage}, 1, {}, "served 200", false},
        RetryCase{"NotFoundIsTheSitesAnswer", {Status(404)}, 1, {}, "served 404", false},
        RetryCase{"OtherErrorsAreAnswersToo", {Status(403), kPage}, 1, {}, "served 403", false},
        RetryCase{"RedirectLoopIsNotTriedAgain", {kRedirects, kPage}, 1, {}, "", true},
        RetryCase{"NoAnswerThenPage", {kNoAnswer, kPage}, 2, {seconds(1)}, "served 200", false},
        RetryCase{"NoAnswerToTheEnd", {kNoAnswer}, 3, kBothDelays, "", true},
        RetryCase{"ThirdAttemptReads",
                  {kNoAnswer, Status(502), kPage},
                  3,
                  kBothDelays,
                  "served 200",
                  false},
        RetryCase{
            "BusyToTheEndKeepsTheBodyServed", {Status(503)}, 3, kBothDelays, "served 503", true},
        RetryCase{"EveryTransientStatus",
                  {Status(429), Status(500), Status(504)},
                  3,
                  kBothDelays,
                  "served 504",
                  true},
        RetryCase{"RetryAfterTakesThePlaceOfTheDelays",
                  {Status(503, 7), Status(429, 0), kPage},
                  3,
                  {seconds(7), seconds(0)},
                  "served 200",
                  false},
        RetryCase{"RetryAfterOfThirtySecondsIsHonoured",
                  {Status(503, 30), kPage},
                  2,
                  {seconds(30)},
                  "served 200",
                  false},
        RetryCase{"LongerRetryAfterGetsTheOwnDelay",
                  {Status(503, 31), kPage},
                  2,
                  {seconds(1)},
                  "served 200",
                  false},
        RetryCase{"FailureAfterATransientOneIsNotTriedAgain",
                  {kNoAnswer, Status(404), kPage},
                  2,
                  {seconds(1)},
                  "served 404",
                  false}),
    CaseName());

TEST(FetchWithRetriesAbandonTest, NoAttemptFollowsAnAbandonedPause) {
    FakeSite site;
    FakePause pause;
    AbandonSignal abandon;
    site.answers[kAddress] = {kNoAnswer};
    abandon.Raise();

    const FetchedPage fetched = FetchWithRetries(site, pause, kAddress, abandon);

    EXPECT_EQ(site.requests.size(), 1u);
    EXPECT_TRUE(fetched.unread);
}

}  // namespace
}  // namespace wendrel
