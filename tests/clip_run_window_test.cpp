// The window of concurrent fetches against the one-at-a-time walk, over sites
// drawn from fixed seeds: failing, undated and early pages at random places.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <map>
#include <mutex>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "engine/clip_run.h"
#include "engine/fetch/page_retries.h"
#include "engine/wait/polled_wait.h"
#include "tests/fakes.h"
#include "tests/reference_walk.h"

namespace wendrel {
namespace {

using testing::Answer;
using testing::FakeDialog;
using testing::FakeDisk;
using testing::FakePause;
using testing::FakeSite;
using testing::kBase;

constexpr char kClipPath[] = "C:\\Clips\\2008-07-16.html";
// The native tree sweeps every seed; under Wine a few catch what the platform's
// threads and time would change.
#ifdef _WIN32
constexpr int kSeeds = 10;
#else
constexpr int kSeeds = 150;
#endif

// One article of a drawn site: the answers it gives in turn, the last for good.
struct DrawnArticle {
    std::deque<Answer> answers;
};

Answer Page(const PageText& body, int status = 200) {
    return Answer{FetchEnd::answered, status, body, -1};
}

Answer NoAnswer() {
    return Answer{FetchEnd::noAnswer, 0, "", -1};
}

// A site whose failures come in runs now and then, long enough at times for
// the two stops, with the since date's cut-off somewhere in it.
class DrawnSite {
  public:
    explicit DrawnSite(unsigned seed) : m_random(seed) {
        m_newest = Draw(1, 90);
        const int cutOff = Draw(0, 1) == 0 ? 0 : Draw(1, m_newest);
        const int failurePercent = Draw(0, 3) == 0 ? 60 : 12;
        const int undatedPercent = Draw(0, 3) == 0 ? 97 : 15;
        for (int number = m_newest; number >= 1; --number) {
            m_articles[number] =
                DrawArticle(number, number <= cutOff, failurePercent, undatedPercent);
        }
    }

    int Newest() const { return m_newest; }

    void Serve(FakeSite& site) const {
        site.SetNewest(m_newest);
        for (const auto& [number, article] : m_articles) {
            site.answers[FakeSite::ArticleAddress(number)] = article.answers;
        }
    }

    // Refusals (429, 503) and other failures each have their own bound; the
    // last drawn answer is never a failure.
    int Attempts(int number) const {
        int refusals = 0;
        int failures = 0;
        int attempts = 0;
        for (const Answer& answer : m_articles.at(number).answers) {
            ++attempts;
            const bool refused = answer.status == 503 || answer.status == 429;
            if ((refused && ++refusals == kMaxRefusals) ||
                (answer.end == FetchEnd::noAnswer && ++failures == kMaxAttempts) ||
                (!refused && answer.end != FetchEnd::noAnswer)) {
                break;
            }
        }
        return attempts;
    }

    PageText FinalPage(int number) const { return FinalAnswer(number).body; }

    bool Unread(int number) const {
        const Answer& last = FinalAnswer(number);
        return last.end != FetchEnd::answered || last.status == 503 || last.status == 429;
    }

    // The walk gave up at last for want of answers before it read any page.
    bool SavesNothing(int last) const {
        for (int number = m_newest; number >= last; --number) {
            if (!Unread(number)) {
                return false;
            }
        }
        return m_newest - last + 1 == kMaxUnreadInARow;
    }

  private:
    const Answer& FinalAnswer(int number) const {
        return m_articles.at(number).answers[static_cast<std::size_t>(Attempts(number) - 1)];
    }

    int Draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }

    DrawnArticle DrawArticle(int number, bool early, int failurePercent, int undatedPercent) {
        const PageText date = early ? "2008-07-1" + std::to_string(Draw(0, 5))
                                    : "2008-07-" + std::to_string(Draw(16, 28));
        const PageText title = "T" + std::to_string(number);
        const PageText page = Draw(1, 100) <= undatedPercent
                                  ? testing::kTitleMarker + title + testing::kEndMarker
                                  : testing::ArticlePage(date, title, "B");
        DrawnArticle article;
        if (Draw(1, 100) > failurePercent) {
            article.answers.push_back(Page(page));
            return article;
        }
        // Failed attempts, then maybe the page: up to three of them fail.
        const int failures = Draw(1, 3);
        for (int i = 0; i < failures; ++i) {
            switch (Draw(0, 3)) {
                case 0:
                    article.answers.push_back(NoAnswer());
                    break;
                case 1:
                    article.answers.push_back(Page("busy", 503));
                    break;
                case 2:
                    article.answers.push_back(Page("slow down", 429));
                    break;
                default:
                    article.answers.push_back(Page("", 404));
                    return article;
            }
        }
        article.answers.push_back(Page(page));
        return article;
    }

    std::mt19937 m_random;
    int m_newest = 0;
    std::map<int, DrawnArticle> m_articles;
};

struct WindowRun {
    PageText clip;  // empty when nothing was saved
    std::vector<PageText> statuses;
    std::vector<PageText> requests;
};

WindowRun RunWithWindow(const DrawnSite& drawn, int connections) {
    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
    FakePause pause;
    drawn.Serve(site);
    RunClip(dialog, site, disk, kBase, WalkLimits{INT_MAX, connections}, pause);
    return {disk.files.count(kClipPath) != 0 ? disk.files.at(kClipPath) : PageText(),
            dialog.statuses, site.requests};
}

// Article numbers asked for below the article the walk stopped at.
std::set<PageText> AskedPast(const std::vector<PageText>& requests, int last) {
    std::set<PageText> past;
    for (int number = last - 1; number >= 1; --number) {
        if (std::count(requests.begin(), requests.end(), FakeSite::ArticleAddress(number)) > 0) {
            past.insert(FakeSite::ArticleAddress(number));
        }
    }
    return past;
}

TEST(ClipRunWindowTest, EveryWindowWritesTheOneAtATimeClipAndStopsAtTheSameArticle) {
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        const DrawnSite drawn(seed);
        int last = 0;
        const PageText expected = reference::ClipOfWalk(
            kBase, drawn.Newest(), "2008-07-16", [&](int n) { return drawn.FinalPage(n); },
            [&](int n) { return drawn.Unread(n); }, &last);

        const WindowRun one = RunWithWindow(drawn, 1);
        ASSERT_EQ(one.clip, drawn.SavesNothing(last) ? PageText() : expected);
        ASSERT_EQ(one.statuses.back().rfind("Nothing saved", 0) == 0, drawn.SavesNothing(last));
        std::vector<PageText> sequential{FakeSite::ListAddress()};
        for (int number = drawn.Newest(); number >= last; --number) {
            sequential.insert(sequential.end(), drawn.Attempts(number),
                              FakeSite::ArticleAddress(number));
        }
        ASSERT_EQ(one.requests, sequential);

        for (int connections = 2; connections <= kMaxConnections; ++connections) {
            SCOPED_TRACE("connections " + std::to_string(connections));
            const WindowRun window = RunWithWindow(drawn, connections);
            EXPECT_EQ(window.clip, one.clip);
            EXPECT_EQ(window.statuses, one.statuses);
            EXPECT_LE(AskedPast(window.requests, last).size(),
                      static_cast<std::size_t>(connections - 1));
        }
    }
}

// Blocks every fetch past the stop until the run abandons it.
class StuckPastTheStop : public FakeSite {
  public:
    explicit StuckPastTheStop(int stop) : m_stop(stop) {}

    using FakeSite::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal& abandon) override {
        if (address == ArticleAddress(m_stop - 1) || address == ArticleAddress(m_stop - 2)) {
            stuck.fetch_add(1);
            while (!abandon.Raised()) {
                abandon.WaitFor(std::chrono::milliseconds(1000));
            }
            abandoned.fetch_add(1);
            page.clear();
            return {0, FetchEnd::noAnswer, 0, -1};
        }
        return FakeSite::ReadUrl(address, page, abandon);
    }

    std::atomic<int> stuck{0};
    std::atomic<int> abandoned{0};

  private:
    int m_stop;
};

TEST(ClipRunWindowTest, FetchesPastTheStopAreAbandonedAndTheRunReturns) {
    StuckPastTheStop site(8);
    FakeDialog dialog;
    FakeDisk disk;
    FakePause pause;
    site.SetNewest(10);
    site.SetArticle(10, testing::ArticlePage("2008-07-20", "T", "B"));
    site.SetArticle(9, testing::ArticlePage("2008-07-20", "T", "B"));
    site.SetArticle(8, testing::ArticlePage("2008-07-01", "T", "B"));

    RunClip(dialog, site, disk, kBase, WalkLimits{INT_MAX, 4}, pause);

    EXPECT_EQ(dialog.statuses.back(), std::string("Saved to ") + kClipPath);
    // A fetch still queued when the walk stopped is never started at all.
    EXPECT_EQ(site.abandoned.load(), site.stuck.load());
}

TEST(ClipRunWindowTest, PausesPastTheStopEndWithTheRun) {
    FakeSite site;
    FakeDialog dialog;
    FakeDisk disk;
    SystemPause pause;
    site.SetNewest(3);
    site.SetArticle(3, testing::ArticlePage("2008-07-01", "T", "B"));
    site.answers[FakeSite::ArticleAddress(2)] = {Page("busy", 503)};
    site.answers[FakeSite::ArticleAddress(2)].front().retryAfterSeconds = 30;
    const auto started = std::chrono::steady_clock::now();

    RunClip(dialog, site, disk, kBase, WalkLimits{INT_MAX, 2}, pause);

    EXPECT_LT(std::chrono::steady_clock::now() - started, kMaxRetryAfter);
    EXPECT_EQ(dialog.statuses.back(), std::string("Saved to ") + kClipPath);
}

// A fetch that takes a few of the window's wait slices.
class SlowSite : public FakeSite {
  public:
    using FakeSite::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal& abandon) override {
        abandon.WaitFor(kStopPollEvery * 4);
        return FakeSite::ReadUrl(address, page, abandon);
    }
};

TEST(ClipRunWindowTest, TheRunAsksWhetherToStopWhileItWaitsForAPage) {
    SlowSite site;
    FakeDialog dialog;
    FakeDisk disk;
    site.SetNewest(1);

    RunClip(dialog, site, disk, kBase);

    // Once before the page, and then at least every slice of the wait.
    EXPECT_GE(dialog.stopQuestions, 1 + 3);
}

}  // namespace
}  // namespace wendrel
