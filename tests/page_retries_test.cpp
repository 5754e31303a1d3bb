#include "engine/fetch/page_retries.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <iterator>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/fetch/site_back_off.h"
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
const Answer kCut{FetchEnd::noAnswer, 200, "first half", -1};
const Answer kTooLarge{FetchEnd::tooLarge, 200, "first 16 MiB", -1};
const Answer kPage = Status(200);

struct RetryCase {
    const char* name;
    std::deque<Answer> answers;
    int attempts;
    std::vector<milliseconds> delays;
    PageText page;
    bool unread;
    bool pauseTooLong = false;
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
    EXPECT_EQ(fetched.pauseTooLong, c.pauseTooLong);
}

const std::vector<milliseconds> kBothDelays{seconds(1), seconds(3)};
// Refusals without a Retry-After double the gap before the page's next start
// until a page is answered; the last refusal comes 31.5 s after the first.
const std::vector<milliseconds> kRefusalDelays{milliseconds(500), seconds(1), seconds(2),
                                               seconds(4),        seconds(8), seconds(16)};

INSTANTIATE_TEST_SUITE_P(
    Cases, FetchWithRetriesTest,
    ::testing::Values(
        RetryCase{"FirstAnswerStands", {kPage}, 1, {}, "served 200", false},
        RetryCase{"NotFoundIsTheSitesAnswer", {Status(404)}, 1, {}, "served 404", false},
        RetryCase{"OtherErrorsAreAnswersToo", {Status(403), kPage}, 1, {}, "served 403", false},
        RetryCase{"RedirectLoopIsNotTriedAgain", {kRedirects, kPage}, 1, {}, "", true},
        RetryCase{"NoAnswerThenPage", {kNoAnswer, kPage}, 2, {seconds(1)}, "served 200", false},
        RetryCase{"NoAnswerToTheEnd", {kNoAnswer}, 3, kBothDelays, "", true},
        RetryCase{"CutToTheEndKeepsWhatArrived", {kCut}, 3, kBothDelays, "first half", true},
        RetryCase{"TooLargeIsNotTriedAgain", {kTooLarge, kPage}, 1, {}, "first 16 MiB", true},
        RetryCase{"ThirdAttemptReads",
                  {kNoAnswer, Status(502), kPage},
                  3,
                  kBothDelays,
                  "served 200",
                  false},
        // clang-format off
        RetryCase{"RefusedForThirtySecondsKeepsTheBodyServed", {Status(503)}, 7, kRefusalDelays,
                  "served 503", true},
        RetryCase{"PausesOfNoLengthEndTheirRefusals", {Status(429, 0)}, kMaxRefusals,
                  std::vector<milliseconds>(kMaxRefusals, milliseconds(0)), "served 429", true},
        RetryCase{"EveryFailingStatus", {Status(500), Status(502), Status(504)}, 3, kBothDelays,
                  "served 504", true},
        // Refusals and failures each count against their own bound.
        RetryCase{"RefusalsAreNoFailures",
                  {Status(429), kNoAnswer, Status(503), Status(500), Status(429), kPage}, 6,
                  {milliseconds(500), seconds(1), seconds(1), seconds(3), seconds(2)},
                  "served 200", false},
        RetryCase{"ThirdFailureEndsAmidRefusals",
                  {kNoAnswer, Status(429), kNoAnswer, kNoAnswer, kPage}, 4,
                  {seconds(1), milliseconds(500), seconds(3)}, "", true},
        // clang-format on
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
        // The run never asks sooner than the site asked.
        RetryCase{"LongerRetryAfterEndsThePage",
                  {Status(503, 31), kPage},
                  1,
                  {},
                  "served 503",
                  true,
                  true},
        RetryCase{"UnreadableRetryAfterOnAFailureEndsThePage",
                  {Status(502, kUnreadableRetryAfter), kPage},
                  1,
                  {},
                  "served 502",
                  true,
                  true},
        RetryCase{"FailureAfterATransientOneIsNotTriedAgain",
                  {kNoAnswer, Status(404), kPage},
                  2,
                  {seconds(1)},
                  "served 404",
                  false}),
    CaseName());

TEST(RetryAfterSecondsTest, ReadsSecondsAndHttpDatesFromTheAnswersDate) {
    constexpr char kDate[] = "Wed, 21 Oct 2026 07:28:00 GMT";
    // 2026-10-21 07:27:00 UTC, for an answer whose Date cannot be read.
    const std::chrono::system_clock::time_point now{seconds(1792567620)};
    const struct {
        const char* value;
        const char* date;
        int seconds;
    } cases[] = {
        {"7", kDate, 7},
        {" 30 ", "", 30},
        {"", kDate, kNoRetryAfter},
        {"999999999", kDate, 999999999},
        {"1000000000", kDate, kUnreadableRetryAfter},
        {"-5", kDate, kUnreadableRetryAfter},
        {"soon", kDate, kUnreadableRetryAfter},
        {"Wed, 21 Oct 2026 07:29:00 GMT", kDate, 60},
        {"Wed, 21 Oct 2026 07:29:00 GMT", "yesterday", 120},
        {"Wed, 21 Oct 2026 07:27:59 GMT", kDate, 0},
        {"Fri, 01 Jan 2027 00:00:10 GMT", "Thu, 31 Dec 2026 23:59:50 GMT", 20},
        {"Wed, 01 Mar 2028 00:00:00 GMT", "Tue, 29 Feb 2028 00:00:00 GMT", 86400},
        {"Fri, 31 Dec 9999 23:59:59 GMT", kDate, kMaxRetryAfterSeconds},
        {"Wed, 21 Oct 2026 07:29:00 UTC", kDate, kUnreadableRetryAfter},
        {"Wednesday, 21-Oct-26 07:29:00 GMT", kDate, kUnreadableRetryAfter},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.value) + " at " + c.date);
        EXPECT_EQ(RetryAfterSeconds(c.value, c.date, now), c.seconds);
    }
}

TEST(FetchWithRetriesAbandonTest, NoAttemptOnceAbandoned) {
    FakeSite site;
    FakePause pause;
    AbandonSignal abandon;
    site.answers[kAddress] = {kNoAnswer};
    abandon.Raise();

    const FetchedPage fetched = FetchWithRetries(site, pause, kAddress, abandon);

    EXPECT_EQ(site.requests.size(), 0u);
    EXPECT_TRUE(fetched.unread);
}

struct WidthCase {
    int width;
    // The ends of the requests in turn: r refused with a pause of the site's,
    // n refused without one, p plainly answered, f failed.
    std::string ends;
    int widthAfter;
    // The waits before the starts, as the pace asked for them.
    std::vector<milliseconds> gaps{};
};

// A hold of the site's, which none of the gaps below equals.
constexpr seconds kHold{7};

TEST(SiteBackOffTest, RefusalsHalveTheWindowOrWidenTheGapAndPlainAnswersUndoIt) {
    const std::string eight(SiteBackOff::kWidenAfter, 'p');
    const std::string sevenAndFailure = eight.substr(1) + "f";
    const std::string sixteen = eight + eight;
    std::string everySecond;
    for (int i = 0; i < 12; ++i) {
        everySecond += "np";
    }
    // Halving down to none, from wherever the gap stands.
    const std::vector<milliseconds> fromHalfASecond{milliseconds(500), milliseconds(250),
                                                    milliseconds(125), milliseconds(63),
                                                    milliseconds(32),  milliseconds(16)};
    std::vector<milliseconds> outage{milliseconds(500), seconds(1), seconds(2), seconds(4),
                                     seconds(8),        seconds(4), seconds(2), seconds(1)};
    outage.insert(outage.end(), fromHalfASecond.begin(), fromHalfASecond.end());
    const WidthCase cases[] = {
        {8, "r", 4},
        {8, "rrr", 1},
        {5, "r", 2},
        {4, "r" + eight, 3},
        {4, "rr" + eight + eight, 3},
        {4, "rr" + sevenAndFailure + eight, 2},
        {4, "rr" + eight + "r", 1},
        {1, "r" + eight, 1},
        // A site that never refuses, or says how long to wait, is never paced.
        {4, eight + "f" + eight, 4},
        {4, "np", 4, {milliseconds(500)}},
        {4, "nnp", 4, {milliseconds(500), seconds(1)}},
        // Refused after an answer at the gap: the floor goes a sixteenth above
        // the gap answered.
        {4, "npnp", 4, {milliseconds(500), milliseconds(250), milliseconds(532)}},
        // A failure narrows nothing.
        {4, "nfp", 4, {milliseconds(500), milliseconds(500)}},
        // A lone refusal: unpaced again after six answered pages.
        {4, "n" + eight, 4, fromHalfASecond},
        // Refused five times in 7.5 s, then answered.
        {4, "nnnnn" + sixteen, 4, outage},
        // A wider gap that leaves every second request refused: the pace is
        // not their cause, and the gap goes.
        {4,
         everySecond + eight,
         4,
         {milliseconds(500), milliseconds(250), milliseconds(532), milliseconds(532),
          milliseconds(532), milliseconds(266), milliseconds(266), milliseconds(133),
          milliseconds(133), milliseconds(67), milliseconds(67), milliseconds(34), milliseconds(34),
          milliseconds(17), milliseconds(17)}},
    };
    for (const WidthCase& expected : cases) {
        SCOPED_TRACE(std::to_string(expected.width) + " " + expected.ends);
        FakePause pause;
        AbandonSignal abandon;
        SiteBackOff backOff(pause, abandon, expected.width);
        for (const char end : expected.ends) {
            ASSERT_TRUE(backOff.Enter(0));
            if (end == 'r' || end == 'n') {
                backOff.Refused(0, end == 'r' ? std::optional<milliseconds>(kHold) : std::nullopt,
                                true);
            } else {
                backOff.Ended(0, end == 'p');
            }
        }
        EXPECT_EQ(backOff.Width(), expected.widthAfter);
        std::vector<milliseconds> gaps;
        std::copy_if(pause.delays.begin(), pause.delays.end(), std::back_inserter(gaps),
                     [](milliseconds delay) { return delay != kHold; });
        EXPECT_EQ(gaps, expected.gaps);
    }
}

// Holds the refused request's pause until the test lifts it.
class HeldPause : public Pause {
  public:
    std::promise<void> held;
    std::promise<void> lifted;

    void For(std::chrono::milliseconds, AbandonSignal&) override {
        held.set_value();
        m_lifted.wait();
    }

  private:
    std::future<void> m_lifted = lifted.get_future();
};

// Page turn asked for on a thread of its own, ending plainly once it starts.
std::thread AskFor(SiteBackOff& backOff, long long turn, std::atomic<bool>& started) {
    return std::thread([&backOff, turn, &started] {
        started = backOff.Enter(turn);
        backOff.Ended(turn, true);
    });
}

TEST(SiteBackOffTest, APageWaitsForEveryPageAskedBeforeItAndForARefusalsPause) {
    HeldPause pause;
    AbandonSignal abandon;
    SiteBackOff backOff(pause, abandon, 4);
    std::atomic<bool> started[] = {false, false};
    std::thread later = AskFor(backOff, 1, started[0]);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(started[0].load());
    ASSERT_TRUE(backOff.Enter(0));
    later.join();
    EXPECT_TRUE(started[0].load());

    std::future<void> held = pause.held.get_future();
    std::thread refused([&backOff] { backOff.Refused(0, seconds(1), false); });
    held.wait();
    std::thread other = AskFor(backOff, 2, started[1]);
    std::this_thread::sleep_for(milliseconds(100));
    EXPECT_FALSE(started[1].load());
    pause.lifted.set_value();
    other.join();
    refused.join();
    EXPECT_TRUE(started[1].load());
}

TEST(SiteBackOffTest, ARefusedPageKeepsItsTurnAheadOfEveryLaterPage) {
    FakePause pause;
    AbandonSignal abandon;
    SiteBackOff backOff(pause, abandon, 4);
    std::atomic<bool> later{false};
    ASSERT_TRUE(backOff.Enter(0));
    backOff.Refused(0, std::nullopt, true);
    std::thread next = AskFor(backOff, 1, later);
    while (!backOff.Waits(1)) {
        std::this_thread::yield();
    }
    EXPECT_FALSE(later.load());
    ASSERT_TRUE(backOff.Enter(0));
    next.join();
    EXPECT_TRUE(later.load());
}

}  // namespace
}  // namespace wendrel
