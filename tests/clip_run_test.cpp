#include "engine/clip_run.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <map>
#include <new>
#include <string>
#include <vector>

#include "engine/failure.h"
#include "engine/store/clip_store.h"
#include "engine/store/site_record.h"
#include "engine/text/site_spelling.h"
#include "tests/case_name.h"
#include "tests/fakes.h"

namespace wendrel {
namespace {

using testing::CleanedArticle;
using testing::FakeDialog;
using testing::FakeDisk;
using testing::FakeSite;
using testing::kBase;
using testing::kDateLabel;

constexpr char kClipPath[] = "C:\\Clips\\2008-07-16.html";

PageText Reading(int number) {
    return "Reading..." + FakeSite::ArticleAddress(number);
}

class ClipRunTest : public ::testing::Test {
  protected:
    void Run() { RunClip(dialog, site, disk, kBase); }
    PageText Clip() const { return disk.files.at(kClipPath); }

    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
};

TEST_F(ClipRunTest, CollectsNewestFirstDownToTheSinceDate) {
    site.SetNewest(5);
    site.SetArticle(5, testing::ArticlePage("2008-07-18", "T5", "B5"));
    site.SetArticle(4, testing::ArticlePage("2008-07-17", "T4", "B4"));
    site.SetArticle(3, testing::ArticlePage("2008-07-16", "T3", "B3"));
    site.SetArticle(2, testing::ArticlePage("2008-07-15", "T2", "B2"));
    site.SetArticle(1, testing::ArticlePage("2008-07-14", "T1", "B1"));

    Run();

    EXPECT_EQ(Clip(), CleanedArticle(5, "T5", "B5") + CleanedArticle(4, "T4", "B4") +
                          CleanedArticle(3, "T3", "B3"));
    EXPECT_EQ(disk.leftoversRemoved, std::vector<PageText>{"C:\\Clips\\"});
    EXPECT_EQ(site.requests,
              (std::vector<PageText>{FakeSite::ListAddress(), FakeSite::ArticleAddress(5),
                                     FakeSite::ArticleAddress(4), FakeSite::ArticleAddress(3),
                                     FakeSite::ArticleAddress(2)}));
    EXPECT_EQ(dialog.statuses,
              (std::vector<PageText>{"Reading...", Reading(5), Reading(4), Reading(3), Reading(2),
                                     std::string("Saved to ") + kClipPath}));
    EXPECT_EQ(dialog.cursorsShown, 1);
    EXPECT_EQ(dialog.cursorsRemoved, 1);
}

TEST_F(ClipRunTest, SinceDateAfterTheNewestArticleWritesAnEmptyClip) {
    site.SetNewest(9);
    site.SetArticle(9, testing::ArticlePage("2008-07-15", "T", "B"));

    Run();

    EXPECT_EQ(Clip(), "");
    EXPECT_EQ(site.requests.size(), 2u);
    EXPECT_EQ(dialog.statuses.back(), std::string("Saved to ") + kClipPath);
}

TEST_F(ClipRunTest, CleansLayoutMarkupFromTheClip) {
    site.SetNewest(1);
    site.SetArticle(1, testing::ArticlePage(
                           "2008-07-16", "<font size=4>Title</font>",
                           "<div class=a><a href=\"x\">link</a></div><script>// fontSet();</script>"
                           "<P align=justify />end"));

    Run();

    EXPECT_EQ(Clip(), CleanedArticle(1, "Title", "link<br>end"));
}

struct DateCase {
    const char* name;
    PageText page;
    bool stops;
};

class RegistrationDateTest : public ClipRunTest, public ::testing::WithParamInterface<DateCase> {};

TEST_P(RegistrationDateTest, StopsOnlyAtARecognisedEarlierDate) {
    site.SetNewest(2);
    site.SetArticle(2, GetParam().page);
    site.SetArticle(1, testing::ArticlePage("2001-01-01", "", ""));

    Run();

    const bool walkedOn = site.requests.back() == FakeSite::ArticleAddress(1);
    EXPECT_EQ(walkedOn, !GetParam().stops);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RegistrationDateTest,
    ::testing::Values(
        DateCase{"EarlierDate", testing::ArticlePage("2008-07-15", "", ""), true},
        DateCase{"SameDate", testing::ArticlePage("2008-07-16", "", ""), false},
        DateCase{"OneDigitMonthIsNoDate", testing::ArticlePage("2008-7-15", "", ""), false},
        DateCase{"DateWithoutSpaceIsNoDate", PageText(kDateLabel) + ">2008-07-15<", false},
        DateCase{"DateRightAfterLabelElement", PageText(kDateLabel) + "</b>2008-07-15 x", true},
        // Without the label the search falls back to the page's first bytes.
        DateCase{"NoLabelFirstSpaceAtTen", "2008-07-15 <p>text</p>", true},
        DateCase{"NoLabelFirstSpaceElsewhere", "2008-07-15x <p>text</p>", false},
        DateCase{"EmptyPage", "", false}),
    CaseName());

struct ContentCase {
    const char* name;
    PageText page;
    PageText content;
};

class ArticleContentTest : public ClipRunTest, public ::testing::WithParamInterface<ContentCase> {};

TEST_P(ArticleContentTest, CollectsFromTitleUpToEndMarker) {
    site.SetNewest(1);
    site.SetArticle(1, GetParam().page);

    Run();

    EXPECT_EQ(Clip(),
              "<b><br><hr><br>" + FakeSite::ArticleAddress(1) + "<br></b>" + GetParam().content);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ArticleContentTest,
    ::testing::Values(
        ContentCase{"BothMarkers",
                    "head<!-- #####  news title ##### -->T<!-- ##### news text - auto END ##### "
                    "-->tail",
                    "<!-- #####  news title ##### -->T"},
        ContentCase{"NoTitleMarkerTakesHeadThroughEndMarkersFirstByte",
                    "head<!-- ##### news text - auto END ##### -->tail", "head<"},
        ContentCase{"NoEndMarker", "head<!-- #####  news title ##### -->T", ""},
        ContentCase{"EndMarkerFirst",
                    "<!-- ##### news text - auto END ##### -->x<!-- #####  news title ##### -->",
                    ""},
        ContentCase{"UnfetchablePage", "", ""}),
    CaseName());

struct LinkCase {
    const char* name;
    PageText written;  // the site as the user wrote it
    PageText listPage;
    int newest;  // 0: the page counts as having no article link
};

class NewestArticleTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(NewestArticleTest, ReadsTheNumberOfTheFirstArticleLink) {
    const LinkCase& c = GetParam();
    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
    const PageText base = SiteSpelling(c.written);
    site.pages[base + "/kisa/list/total/home01.html"] = c.listPage;
    WalkLimits limits;
    limits.siteAsWritten = c.written;

    RunClip(dialog, site, disk, base, limits);

    if (c.newest == 0) {
        EXPECT_EQ(site.requests.size(), 1u);
        EXPECT_TRUE(disk.files.empty());
        EXPECT_EQ(dialog.statuses.back(),
                  "No articles found at " + base + "/kisa/list/total/home01.html");
    } else {
        ASSERT_GE(site.requests.size(), 2u);
        EXPECT_EQ(site.requests[1], base + "/arti/" + std::to_string(c.newest) + ".html");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewestArticleTest,
    ::testing::Values(
        LinkCase{"PlainLink", kBase, "<a href=\"http://news.test/arti/1234.html\">", 1234},
        LinkCase{"SectionNamesBeforeNumber", kBase,
                 "x <a href=\"http://news.test/arti/society/local/4321.html\">", 4321},
        LinkCase{"LettersAfterDigits", kBase, "http://news.test/arti/55abc.html", 55},
        LinkCase{"HugeNumberHeldAtLimit", kBase, "http://news.test/arti/99999999999.html",
                 2147483647},
        LinkCase{"BaseWithPortDigits", "http://127.0.0.1:8080",
                 "<a href=\"http://127.0.0.1:8080/arti/321.html\">", 321},
        // Found as written; the articles are asked for by the one spelling.
        LinkCase{"HostInCapitals", "HTTP://News.Test/",
                 "<a href=\"HTTP://News.Test/arti/12.html\">", 12},
        LinkCase{"NoLink", kBase, "<html>nothing here</html>", 0},
        LinkCase{"EmptyListPage", kBase, "", 0},
        LinkCase{"NoDigitAfterLink", kBase, "http://news.test/arti/x.html", 0},
        LinkCase{"NoDotAfterDigits", kBase, "http://news.test/arti/123", 0},
        LinkCase{"NumberZero", kBase, "http://news.test/arti/0.html", 0}),
    CaseName());

TEST_F(ClipRunTest, FirstArticleLinkWins) {
    site.pages[FakeSite::ListAddress()] =
        "http://news.test/arti/77.html http://news.test/arti/99.html";
    site.SetArticle(77, testing::ArticlePage("2001-01-01", "", ""));

    Run();

    EXPECT_EQ(site.requests[1], FakeSite::ArticleAddress(77));
}

TEST_F(ClipRunTest, ListPageWithoutArticlesKeepsAnEarlierClip) {
    disk.files[kClipPath] = "earlier clip";

    Run();

    EXPECT_EQ(Clip(), "earlier clip");
    EXPECT_EQ(dialog.cursorsRemoved, 1);
}

TEST_F(ClipRunTest, WalkEndsAtArticleOne) {
    site.SetNewest(3);
    for (int number = 1; number <= 3; ++number) {
        site.SetArticle(number, testing::ArticlePage("2009-01-01", "T", "B"));
    }

    Run();

    EXPECT_EQ(site.requests.back(), FakeSite::ArticleAddress(1));
    EXPECT_EQ(site.requests.size(), 4u);
    EXPECT_EQ(Clip(), CleanedArticle(3, "T", "B") + CleanedArticle(2, "T", "B") +
                          CleanedArticle(1, "T", "B"));
}

TEST_F(ClipRunTest, GivesUpAfterFiftyPagesInARowWithoutADate) {
    site.SetNewest(1000);
    // A dated page in the middle resets the count; unfetchable pages count.
    site.SetArticle(980, testing::ArticlePage("2009-01-01", "T", "B"));

    Run();

    EXPECT_EQ(site.requests.size(), 1u + 21 + kMaxPagesWithoutDate);
    EXPECT_EQ(site.requests.back(), FakeSite::ArticleAddress(930));
    EXPECT_EQ(dialog.statuses.back(),
              std::string("Saved to ") + kClipPath + " (stopped: 50 pages in a row had no date)");
    EXPECT_NE(Clip().find(CleanedArticle(980, "T", "B")), PageText::npos);
}

TEST_F(ClipRunTest, UnfetchableArticleIsCollectedEmptyAndTheWalkGoesOn) {
    site.SetNewest(3);
    site.SetArticle(3, testing::ArticlePage("2008-07-20", "T3", "B3"));
    site.SetArticle(1, testing::ArticlePage("2008-07-01", "T1", "B1"));

    Run();

    EXPECT_EQ(Clip(), CleanedArticle(3, "T3", "B3") + "<b><br><hr><br>" +
                          FakeSite::ArticleAddress(2) + "<br></b>");
}

const testing::Answer kNoAnswer{FetchEnd::noAnswer, 0, "", -1};
const testing::Answer kBusy{FetchEnd::answered, 503, "busy", -1};
const testing::Answer kNotFound{FetchEnd::answered, 404, "", -1};
const testing::Answer kUndated{FetchEnd::answered, 200, "no date here", -1};
const testing::Answer kRedirectLoop{FetchEnd::tooManyRedirects, 0, "", -1};
const testing::Answer kFailing{FetchEnd::answered, 500, "failing", -1};
const testing::Answer kLongPause{FetchEnd::answered, 429, "slow down", 120};
const testing::Answer kUnreadablePause{FetchEnd::answered, 502, "", kUnreadableRetryAfter};

// A dated page of the site's layout but for marker.
testing::Answer Without(const PageText& marker) {
    PageText page = testing::ArticlePage("2008-07-20", "T", "B");
    page.erase(page.find(marker), marker.size());
    return {FetchEnd::answered, 200, page, -1};
}
const testing::Answer kNoTitle = Without(testing::kTitleMarker);
const testing::Answer kNoEnd = Without(testing::kEndMarker);

struct NoteCase {
    const char* name;
    int newest;
    std::map<int, testing::Answer> answers;  // the rest are dated pages
    PageText notes;
    int lastArticle;
};

class StatusNoteTest : public ::testing::TestWithParam<NoteCase> {};

TEST_P(StatusNoteTest, SavedStatusCarriesEveryNoteInOneParenthesis) {
    const NoteCase& c = GetParam();
    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
    testing::FakePause pause;
    site.SetNewest(c.newest);
    for (int number = 1; number <= c.newest; ++number) {
        site.SetArticle(number, testing::ArticlePage("2008-07-20", "T", "B"));
    }
    for (const auto& [number, answer] : c.answers) {
        site.answers[FakeSite::ArticleAddress(number)] = {answer};
    }

    RunClip(dialog, site, disk, kBase, WalkLimits{}, pause);

    EXPECT_EQ(dialog.statuses.back(), std::string("Saved to ") + kClipPath + c.notes);
    EXPECT_EQ(site.requests.back(), FakeSite::ArticleAddress(c.lastArticle));
}

std::map<int, testing::Answer> Many(int from, int to, const testing::Answer& answer) {
    std::map<int, testing::Answer> answers;
    for (int number = from; number <= to; ++number) {
        answers[number] = answer;
    }
    return answers;
}

// a, with b's answers in place of a's.
std::map<int, testing::Answer> Joined(std::map<int, testing::Answer> a,
                                      const std::map<int, testing::Answer>& b) {
    for (const auto& [number, answer] : b) {
        a[number] = answer;
    }
    return a;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, StatusNoteTest,
    ::testing::Values(
        NoteCase{"NothingToAdd", 3, {{2, kNotFound}}, "", 1},
        NoteCase{"OnePageUnread", 3, {{2, kNoAnswer}}, " (1 page could not be read)", 1},
        NoteCase{"PagesUnread",
                 9,
                 {{8, kBusy}, {5, kRedirectLoop}, {2, kNoAnswer}},
                 " (3 pages could not be read)",
                 1},
        NoteCase{"FourInARowAreNoStop", 9, Joined(Many(5, 8, kNoAnswer), {{3, kBusy}}),
                 " (5 pages could not be read)", 1},
        NoteCase{"FiveInARowStop", 20, Joined(Many(11, 15, kNoAnswer), {{18, kBusy}}),
                 " (stopped: the site did not answer 5 times in a row (the connection broke); 6 "
                 "pages could not be read)",
                 11},
        NoteCase{"FiveErrorsInARowStop", 9, Many(3, 7, kFailing),
                 " (stopped: the site answered with an error 5 times in a row (HTTP status 500); "
                 "5 pages could not be read)",
                 3},
        // The site is not asked again sooner than it asked.
        NoteCase{"LongPauseStops",
                 9,
                 {{7, kLongPause}},
                 " (stopped: the site asked for a pause of 120 s; 1 page could not be read)",
                 7},
        NoteCase{"UnreadablePauseStops",
                 9,
                 {{8, kUnreadablePause}},
                 " (stopped: the site asked for a long pause; 1 page could not be read)",
                 8},
        NoteCase{"UndatedStopWithUnreadPages", 60,
                 Joined(Many(1, 55, kUndated), {{40, kNoAnswer}, {30, kBusy}}),
                 " (stopped: 50 pages in a row had no date; 2 pages could not be read)", 6},
        NoteCase{"PageWithoutTitleMarker", 3, {{2, kNoTitle}}, " (1 page had no article text)", 1},
        NoteCase{"PagesWithoutEndMarker",
                 9,
                 {{8, kNoEnd}, {5, kNoEnd}, {4, kUndated}},
                 " (2 pages had no article text)",
                 1},
        // Unread and undated pages tell nothing of the layout.
        NoteCase{"EveryDatedPageWithoutText", 4,
                 Joined(Many(1, 4, kNoTitle), {{3, kNoAnswer}, {2, kUndated}}),
                 " (1 page could not be read; 2 pages had no article text; the site's page layout "
                 "may have changed)",
                 1}),
    CaseName());

struct EarlierClipCase {
    const char* name;
    std::map<int, testing::Answer> answers;  // of articles 9 to 1; the rest are dated pages
    bool listAnswered;
    std::map<PageText, PageText> filesBefore;
    PageText status;
    std::map<PageText, PageText> filesAfter;
    ClipOutcome outcome;
    // What another run saves while this one waits for the folder.
    std::map<PageText, PageText> savedMeanwhile{};
};

constexpr char kIncompletePath[] = "C:\\Clips\\2008-07-16 (incomplete).html";
constexpr char kSecondPath[] = "C:\\Clips\\2008-07-16 (2).html";
const PageText kEarlier = "earlier clip";  // no clip of ours: never replaced
// The words and the cause are the last page's.
PageText NothingSaved(const PageText& why) {
    return "Nothing saved (stopped: the site " + why + "))";
}
PageText SavedCutShort(const PageText& path) {
    return "Saved to " + path +
           " (stopped: the site did not answer 5 times in a row (the connection broke); 5 pages "
           "could not be read)";
}
const PageText kCutWalk = CleanedArticle(9, "T", "B") + CleanedArticle(8, "T", "B") +
                          testing::UnreadArticle(7) + testing::UnreadArticle(6) +
                          testing::UnreadArticle(5) + testing::UnreadArticle(4) +
                          testing::UnreadArticle(3);
// Articles to down to from of the site, newest first.
PageText Articles(int to, int from) {
    PageText clip;
    for (int number = to; number >= from; --number) {
        clip += CleanedArticle(number, "T", "B");
    }
    return clip;
}
const PageText kWholeWalk = Articles(9, 1);
const PageText kElsewhere = CleanedArticle("http://elsewhere.test", 5, "E", "X");
const PageText kSaved = std::string("Saved to ") + kClipPath;
const testing::Answer kBeforeSince{FetchEnd::answered, 200,
                                   testing::ArticlePage("2008-07-15", "T", "B"), -1};
// Blocks of an article's text shaped like an entry's head but for an article
// address.
const PageText kEntryLikeText =
    "B<b><br><hr><br>Related<br></b>R<b><br><hr><br>http://elsewhere.test/arti/1.htm<br></b>S";
const PageText kElsewhereEntryLike =
    CleanedArticle("http://elsewhere.test", 5, "E", kEntryLikeText) +
    CleanedArticle("http://elsewhere.test", 4, "E", kEntryLikeText);
PageText EntryLikeArticles() {
    PageText clip;
    for (int number = 9; number >= 1; --number) {
        clip += CleanedArticle(number, "T", kEntryLikeText);
    }
    return clip;
}
// Three megabytes of headers: minutes of work for a search from each header
// to the next footer.
const PageText kHeadersOnly = CleanedArticle("http://elsewhere.test", 5, "E", "X") + [] {
    PageText headers;
    for (int i = 0; i < 200000; ++i) {
        headers += "<b><br><hr><br>";
    }
    return headers;
}();

class EarlierClipTest : public ClipRunTest,
                        public ::testing::WithParamInterface<EarlierClipCase> {};

TEST_P(EarlierClipTest, NoArticleOnDiskIsLost) {
    const EarlierClipCase& c = GetParam();
    testing::FakePause pause;
    site.SetNewest(9);
    for (int number = 1; number <= 9; ++number) {
        site.SetArticle(number, testing::ArticlePage("2008-07-20", "T", "B"));
    }
    for (const auto& [number, answer] : c.answers) {
        site.answers[FakeSite::ArticleAddress(number)] = {answer};
    }
    if (!c.listAnswered) {
        site.answers[FakeSite::ListAddress()] = {
            {FetchEnd::noAnswer, 0, site.pages.at(FakeSite::ListAddress()), -1}};
    }
    disk.files = c.filesBefore;
    disk.filesOfTheOtherRun = c.savedMeanwhile;
    disk.triesWhileAnotherRunSaves = c.savedMeanwhile.empty() ? 0 : 3;

    EXPECT_EQ(RunClip(dialog, site, disk, kBase, WalkLimits{INT_MAX, 4}, pause), c.outcome);

    EXPECT_EQ(dialog.statuses.back(), c.status);
    EXPECT_EQ(disk.files, c.filesAfter);
    const auto waiting = std::count(dialog.statuses.begin(), dialog.statuses.end(),
                                    "Waiting while another run saves to C:\\Clips\\");
    EXPECT_EQ(waiting, c.savedMeanwhile.empty() ? 0 : 1);
}

// Two lines a case: the site and the files before the run, then what it ends with.
// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, EarlierClipTest, ::testing::Values(
    EarlierClipCase{"FirstFivePagesUnanswered", Many(5, 9, kNoAnswer), true, {{kClipPath, kEarlier}},
                    NothingSaved("did not answer 5 times in a row (the connection broke"), {{kClipPath, kEarlier}}, ClipOutcome::noAnswer},
    EarlierClipCase{"FirstFivePagesRefused", Many(5, 9, kBusy), true, {},
                    NothingSaved("refused 5 times in a row (HTTP status 503"), {}, ClipOutcome::noAnswer},
    EarlierClipCase{"CutWalkGoesBesideFilesThatAreNoClips", Many(3, 7, kNoAnswer), true,
                    {{kClipPath, kEarlier}, {kIncompletePath, "earlier incomplete"}},
                    SavedCutShort(kSecondPath), {{kClipPath, kEarlier}, {kIncompletePath, "earlier incomplete"},
                    {kSecondPath, kCutWalk}}, ClipOutcome::savedWithNotes},
    EarlierClipCase{"CutWalkKeepsWhatTheEarlierClipHeld", Many(3, 7, kNoAnswer), true, {{kClipPath, kWholeWalk}},
                    SavedCutShort(kClipPath), {{kClipPath, kWholeWalk}}, ClipOutcome::savedWithNotes},
    EarlierClipCase{"ArticlesTheWalkLacksFollowIt", {}, true, {{kClipPath, kElsewhere}},
                    kSaved, {{kClipPath, kWholeWalk + kElsewhere}}, ClipOutcome::saved},
    EarlierClipCase{"AnUnreadPageKeepsItsEarlierContent", {{7, kNoAnswer}}, true, {{kClipPath, CleanedArticle(7, "Old", "X")}},
                    kSaved + " (1 page could not be read)",
                    {{kClipPath, Articles(9, 8) + CleanedArticle(7, "Old", "X") + Articles(6, 1)}}, ClipOutcome::savedWithNotes},
    EarlierClipCase{"APageWithoutTextKeepsItsEarlierContent", {{7, kNoTitle}}, true, {{kClipPath, CleanedArticle(7, "Old", "X")}},
                    kSaved + " (1 page had no article text)",
                    {{kClipPath, Articles(9, 8) + CleanedArticle(7, "Old", "X") + Articles(6, 1)}}, ClipOutcome::savedWithNotes},
    EarlierClipCase{"TextShapedLikeAnEntryStaysInItsArticle", Many(1, 9, {FetchEnd::answered, 200, testing::ArticlePage("2008-07-20", "T", kEntryLikeText), -1}), true,
                    {{kClipPath, kElsewhereEntryLike}}, kSaved, {{kClipPath, EntryLikeArticles() + kElsewhereEntryLike}}, ClipOutcome::saved},
    EarlierClipCase{"HeadersWithoutEntriesMergeInOnePass", {}, true, {{kClipPath, kHeadersOnly}},
                    kSaved, {{kClipPath, kWholeWalk + kHeadersOnly}}, ClipOutcome::saved},
    EarlierClipCase{"AnEarlierSpellingNamesTheSameArticle", {}, true, {{kClipPath, CleanedArticle("HTTP://News.Test", 5, "Old", "X")}},
                    kSaved, {{kClipPath, kWholeWalk}}, ClipOutcome::saved},
    // The other run's articles are read under the lock, not before the wait.
    EarlierClipCase{"AnotherRunSavesWhileThisOneWaits", {}, true, {},
                    kSaved, {{kClipPath, kWholeWalk + kElsewhere}}, ClipOutcome::saved, {{kClipPath, kElsewhere}}},
    EarlierClipCase{"AnUnchangedSiteWritesTheSameBytes", {}, true, {{kClipPath, kWholeWalk}},
                    kSaved, {{kClipPath, kWholeWalk}}, ClipOutcome::saved},
    // The day file of --new runs held 9 to 2; a run since the day stops at 3.
    EarlierClipCase{"APlainRunAfterANewDayFile", {{3, kBeforeSince}}, true, {{kClipPath, Articles(9, 2)}},
                    kSaved, {{kClipPath, Articles(9, 2)}}, ClipOutcome::saved},
    EarlierClipCase{"AFileThatIsNoClipStays", {}, true, {{kClipPath, kEarlier}},
                    "Saved to " + PageText(kSecondPath), {{kClipPath, kEarlier}, {kSecondPath, kWholeWalk}}, ClipOutcome::saved},
    EarlierClipCase{"CutWalkWithoutAnEarlierClipTakesItsName", Many(3, 7, kNoAnswer), true, {},
                    SavedCutShort(kClipPath), {{kClipPath, kCutWalk}}, ClipOutcome::savedWithNotes},
    // Even when what arrived of it names an article.
    EarlierClipCase{"ListPageUnanswered", {}, false, {{kClipPath, kEarlier}},
                    "No answer from " + FakeSite::ListAddress() + " (the connection broke)", {{kClipPath, kEarlier}},
                    ClipOutcome::noAnswer}),
    CaseName());
// clang-format on

// Where a stop is asked: from the start, once a number of article pages was
// judged, once article 7 was first asked for (its retry waits a real second),
// or while another run holds the folder.
enum class StopAt { start, judged3, judged7, retrying7, waitingForTheFolder };

struct StopCase {
    const char* name;
    StopAt at;
    std::map<int, testing::Answer> answers;  // of articles 9 to 1; the rest are dated pages
    PageText status;
    PageText clip;    // of the date, which held article 2 before the run
    PageText record;  // the record file, which held "http://news.test 2 1"
    ClipOutcome outcome;
};

const PageText kOldTwo = CleanedArticle(2, "Old", "X");
constexpr char kRecordPath[] = "C:\\Clips\\wendrel-record.txt";
const PageText kRecordBefore = PageText(kBase) + " 2 1\r\n";
const PageText kStoppedSaved = kSaved + " (stopped by the user";

class StopTest : public ClipRunTest, public ::testing::WithParamInterface<StopCase> {
  protected:
    std::function<bool()> StopWhen(StopAt at) {
        switch (at) {
            case StopAt::start:
                return [] { return true; };
            case StopAt::judged3:
                return [this] { return dialog.progress.size() >= 3; };
            case StopAt::judged7:
                return [this] { return dialog.progress.size() >= 7; };
            case StopAt::retrying7:
                return [this] { return site.RequestsFor(FakeSite::ArticleAddress(7)) > 0; };
            case StopAt::waitingForTheFolder:
                return [this] { return dialog.statuses.back().rfind("Waiting", 0) == 0; };
        }
        return {};
    }
};

// A --new run from the record at 2, owing 1: the walk reads 9 down to 3, then 1.
TEST_P(StopTest, KeepsWhatWasReadAndMovesTheRecordOnlyOverWhatWasJudged) {
    const StopCase& c = GetParam();
    SystemPause pause;
    site.SetNewest(9);
    for (int number = 1; number <= 9; ++number) {
        site.SetArticle(number, testing::ArticlePage("2008-07-20", "T", "B"));
    }
    for (const auto& [number, answer] : c.answers) {
        site.answers[FakeSite::ArticleAddress(number)] = {answer};
    }
    disk.files = {{kClipPath, kOldTwo}, {kRecordPath, kRecordBefore}};
    if (c.at == StopAt::waitingForTheFolder) {
        disk.lockedFolders.insert("C:\\Clips\\");
    }
    dialog.stopWhen = StopWhen(c.at);
    SiteRecord record(disk, "C:\\Clips\\", kBase);
    WalkLimits limits;
    limits.floor = 2;
    limits.owed = {1};
    limits.walkSince = PageText();
    limits.record = &record;

    EXPECT_EQ(RunClip(dialog, site, disk, kBase, limits, pause), c.outcome);

    EXPECT_EQ(dialog.statuses.back(), c.status);
    EXPECT_EQ(disk.files,
              (std::map<PageText, PageText>{{kClipPath, c.clip}, {kRecordPath, c.record}}));
    EXPECT_EQ(dialog.cursorsRemoved, 1);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Cases, StopTest, ::testing::Values(
    StopCase{"BeforeTheFirstArticlePage", StopAt::start, {},
             "Nothing saved (stopped by the user)", kOldTwo, kRecordBefore, ClipOutcome::stopped},
    StopCase{"AfterSomePages", StopAt::judged3, {{8, kRedirectLoop}},
             kStoppedSaved + "; 1 page could not be read)",
             Articles(9, 9) + testing::UnreadArticle(8) + Articles(7, 7) + kOldTwo, kRecordBefore,
             ClipOutcome::savedWithNotes},
    // Every new page judged: the record moves over them, and 1 is still owed.
    StopCase{"BeforeThePagesOwed", StopAt::judged7, {},
             kStoppedSaved + ")", Articles(9, 3) + kOldTwo, PageText(kBase) + " 9 1\r\n",
             ClipOutcome::savedWithNotes},
    StopCase{"WhileAPageIsRetried", StopAt::retrying7, {{7, kNoAnswer}},
             kStoppedSaved + ")", Articles(9, 8) + kOldTwo, kRecordBefore, ClipOutcome::savedWithNotes},
    StopCase{"WhileAnotherRunHoldsTheFolder", StopAt::waitingForTheFolder, {},
             "Nothing saved (stopped by the user while another run saved to C:\\Clips\\)", kOldTwo,
             kRecordBefore, ClipOutcome::stopped}),
    CaseName());
// clang-format on

TEST(ClipRunRetryTest, OneConnectionAsksAgainForTheSamePageBeforeTheNext) {
    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
    testing::FakePause pause;
    site.SetNewest(2);
    site.SetArticle(2, testing::ArticlePage("2008-07-20", "T2", "B2"));
    site.SetArticle(1, testing::ArticlePage("2008-07-20", "T1", "B1"));
    site.answers[FakeSite::ArticleAddress(2)] = {
        kNoAnswer,
        kBusy,
        {FetchEnd::answered, 200, site.pages.at(FakeSite::ArticleAddress(2)), -1}};

    RunClip(dialog, site, disk, kBase, WalkLimits{}, pause);

    EXPECT_EQ(site.requests,
              (std::vector<PageText>{FakeSite::ListAddress(), FakeSite::ArticleAddress(2),
                                     FakeSite::ArticleAddress(2), FakeSite::ArticleAddress(2),
                                     FakeSite::ArticleAddress(1)}));
    EXPECT_EQ(dialog.statuses, (std::vector<PageText>{"Reading...", Reading(2), Reading(1),
                                                      std::string("Saved to ") + kClipPath}));
    EXPECT_EQ(disk.files.at(kClipPath),
              CleanedArticle(2, "T2", "B2") + CleanedArticle(1, "T1", "B1"));
}

TEST_F(ClipRunTest, AListPageThatAsksForALongPauseEndsTheRun) {
    testing::FakePause pause;
    site.SetNewest(2);
    site.answers[FakeSite::ListAddress()] = {kLongPause};

    EXPECT_EQ(RunClip(dialog, site, disk, kBase, WalkLimits{}, pause), ClipOutcome::noAnswer);

    EXPECT_EQ(dialog.statuses.back(), "No answer from " + FakeSite::ListAddress() +
                                          " (the site asked for a pause of 120 s)");
    EXPECT_EQ(site.requests.size(), 1u);
}

TEST_F(ClipRunTest, TellsHowTheRunEnded) {
    EXPECT_EQ(RunClip(dialog, site, disk, kBase), ClipOutcome::noArticles);

    site.SetNewest(2);
    site.SetArticle(2, testing::ArticlePage("2008-07-16", "T2", "B2"));
    site.SetArticle(1, testing::ArticlePage("2008-07-15", "T1", "B1"));
    EXPECT_EQ(RunClip(dialog, site, disk, kBase), ClipOutcome::saved);

    site.SetNewest(kMaxPagesWithoutDate + 10);
    EXPECT_EQ(RunClip(dialog, site, disk, kBase), ClipOutcome::savedWithNotes);
}

// The time after the date comes with it where it is one: hh:mm, h:mm:ss.
TEST_F(ClipRunTest, ReportsEveryJudgedArticleWithItsDateAndTime) {
    testing::FakePause pause;
    const auto withTime = [](const PageText& date, const PageText& time) {
        PageText page = testing::ArticlePage(date, "T", "B");
        return page.replace(page.find(" 09:30"), 6, " " + time);
    };
    site.SetNewest(4);
    site.SetArticle(4, testing::ArticlePage("2008-07-17", "T4", "B4"));
    site.answers[FakeSite::ArticleAddress(3)] = {kNoAnswer};
    site.SetArticle(2, withTime("2008-07-16", "9:05:59"));
    site.SetArticle(1, withTime("2008-07-15", "12:3x"));

    RunClip(dialog, site, disk, kBase, WalkLimits{}, pause);

    std::vector<std::string> seen;
    for (const WalkProgress& step : dialog.progress) {
        seen.push_back(std::to_string(step.articlesRead) + " " + step.address + " [" + step.date +
                       "|" + step.time + "] " + std::to_string(step.pagesUnread));
    }
    // The article that ends the walk was read too.
    EXPECT_EQ(seen, (std::vector<std::string>{
                        "1 " + FakeSite::ArticleAddress(4) + " [2008-07-17|09:30] 0",
                        "2 " + FakeSite::ArticleAddress(3) + " [|] 1",
                        "3 " + FakeSite::ArticleAddress(2) + " [2008-07-16|9:05:59] 1",
                        "4 " + FakeSite::ArticleAddress(1) + " [2008-07-15|] 1",
                    }));
}

struct PathCase {
    const char* name;
    PageText folder;
    CalendarDate since;
    PageText path;
    char separator = '\\';
};

class ClipPathTest : public ::testing::TestWithParam<PathCase> {};

TEST_P(ClipPathTest, NamesTheClipAfterTheSinceDate) {
    const PathCase& c = GetParam();
    FakeDialog dialog;
    FakeSite site;
    FakeDisk disk;
    dialog.folder = c.folder;
    dialog.since = c.since;
    disk.separator = c.separator;
    disk.folders = {c.path.substr(0, c.path.rfind(c.separator) + 1)};
    site.SetNewest(1);

    RunClip(dialog, site, disk, kBase);

    EXPECT_EQ(disk.files.count(c.path), 1u);
    EXPECT_EQ(dialog.statuses.back(), "Saved to " + c.path);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ClipPathTest,
    ::testing::Values(
        PathCase{"SeparatorAdded", "D:\\News", {2008, 7, 16}, "D:\\News\\2008-07-16.html"},
        PathCase{"NoSecondSeparator", "D:\\", {2008, 7, 16}, "D:\\2008-07-16.html"},
        PathCase{"EmptyFolder", "", {2008, 7, 16}, "\\2008-07-16.html"},
        PathCase{"KoreanFolder",
                 "C:\\\xB1\xE2\xBB\xE7",
                 {2010, 1, 2},
                 "C:\\\xB1\xE2\xBB\xE7\\2010-01-02.html"},
        // Every date the picker offers stands as picked.
        PathCase{"Before1900", "C:\\Clips", {1850, 3, 4}, "C:\\Clips\\1850-03-04.html"},
        PathCase{"Before1970", "C:\\Clips", {1969, 12, 31}, "C:\\Clips\\1969-12-31.html"},
        PathCase{"After3000", "C:\\Clips", {3001, 1, 1}, "C:\\Clips\\3001-01-01.html"},
        // A POSIX writer joins with "/" by the same rule, and there a "\\" is
        // part of a name.
        PathCase{"SlashAdded", "out", {2008, 7, 16}, "out/2008-07-16.html", '/'},
        PathCase{"NoSecondSlash", "/srv/clips/", {2008, 7, 16}, "/srv/clips/2008-07-16.html", '/'},
        PathCase{"BackslashInAName", "out\\", {2008, 7, 16}, "out\\/2008-07-16.html", '/'},
        PathCase{"EmptyFolderWithSlash", "", {2008, 7, 16}, "/2008-07-16.html", '/'}),
    CaseName());

// Only trying the folder tells that it takes no file; a walk of many minutes
// must not end there.
TEST_F(ClipRunTest, FolderThatTakesNoFileFailsBeforeAnyRequest) {
    disk.unwritableFolders.insert("C:\\Clips\\");
    site.SetNewest(1);

    EXPECT_THROW(Run(), FileFailure);
    EXPECT_TRUE(site.requests.empty());
}

TEST_F(ClipRunTest, MissingFolderFailsBeforeAnyRequest) {
    dialog.folder = "C:\\Gone";
    site.SetNewest(1);

    try {
        Run();
        FAIL() << "no failure";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.Cause(), FileCause::badPath);
        EXPECT_EQ(failure.Path(), "C:\\Gone\\2008-07-16.html");
        // %1에 잘못된 경로가 있습니다.
        EXPECT_STREQ(failure.what(),
                     "C:\\Gone\\2008-07-16.html\xBF\xA1 \xC0\xDF\xB8\xF8\xB5\xC8 \xB0\xE6\xB7\xCE"
                     "\xB0\xA1 \xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.");
    }
    EXPECT_TRUE(site.requests.empty());
    EXPECT_EQ(dialog.statuses, std::vector<PageText>{"Reading..."});
    EXPECT_EQ(dialog.cursorsRemoved, 1);
}

// Every name the clip may take counts, the longest "(incomplete)".
TEST_F(ClipRunTest, PathThatDoesNotEndWithin260BytesIsABadPath) {
    dialog.folder = "C:\\" + PageText(228, 'x');  // 260 bytes with that name: one too many
    disk.folders.insert(dialog.folder + "\\");
    EXPECT_THROW(Run(), FileFailure);
    EXPECT_TRUE(site.requests.empty());

    dialog.folder = "C:\\" + PageText(227, 'x');
    disk.folders.insert(dialog.folder + "\\");
    site.SetNewest(1);
    Run();
    EXPECT_EQ(disk.files.size(), 1u);
}

// A lock that cannot be had at all ends the run before the site is asked; one
// another run holds is waited for when saving.
TEST_F(ClipRunTest, LockThatCannotBeTakenFailsBeforeAnyRequest) {
    disk.unlockableFolders.insert("C:\\Clips\\");
    site.SetNewest(1);

    try {
        Run();
        FAIL() << "no failure";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.Path(), "C:\\Clips\\.wendrel-lock");
    }
    EXPECT_TRUE(site.requests.empty());

    disk.unlockableFolders.clear();
    disk.lockedFolders.insert("C:\\Clips\\");
    EXPECT_NO_THROW(ClipStore(disk, "C:\\Clips\\", "2008-07-16").Check());
}

// Another run that keeps the folder past the wait: nothing is written, and
// the failure names the file that could not be saved.
TEST(ClipStoreTest, ALockNotHadWithinTheWaitIsALockViolation) {
    FakeDisk disk;
    disk.lockedFolders.insert("C:\\Clips\\");
    ClipStore store(disk, "C:\\Clips\\", "2008-07-16", std::chrono::milliseconds(100));
    int waits = 0;

    try {
        store.Save(
            "clip", {}, false,
            [&waits] {
                ++waits;
                return false;
            },
            nullptr, JudgedArticles(0));
        FAIL() << "no failure";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.Cause(), FileCause::lockViolation);
        EXPECT_EQ(failure.Path(), kClipPath);
    }
    EXPECT_GT(waits, 0);
    EXPECT_TRUE(disk.files.empty());
}

class FailingDisk : public FakeDisk {
  public:
    void Write(const PageText& path, std::string_view) override {
        throw FileFailure(FileCause::diskFull, path);
    }
};

TEST(ClipRunFailureTest, WriteFailureReachesTheCallerWithTheCursorRemoved) {
    FakeDialog dialog;
    FakeSite site;
    FailingDisk disk;
    site.SetNewest(1);

    EXPECT_THROW(RunClip(dialog, site, disk, kBase), FileFailure);
    EXPECT_EQ(dialog.cursorsRemoved, 1);
    EXPECT_EQ(dialog.statuses.back(), Reading(1));
}

class ExhaustedSite : public FakeSite {
  public:
    using FakeSite::ReadUrl;
    FetchResult ReadUrl(const PageText&, PageText&, AbandonSignal&) override {
        throw std::bad_alloc();
    }
};

TEST(ClipRunFailureTest, RunningOutOfMemoryIsAMemoryFailure) {
    FakeDialog dialog;
    ExhaustedSite site;
    FakeDisk disk;

    try {
        RunClip(dialog, site, disk, kBase);
        FAIL() << "no failure";
    } catch (const MemoryFailure& failure) {
        // 메모리가 부족합니다.
        EXPECT_STREQ(failure.what(),
                     "\xB8\xDE\xB8\xF0\xB8\xAE\xB0\xA1 \xBA\xCE\xC1\xB7\xC7\xD5\xB4\xCF\xB4\xD9.");
    }
    EXPECT_EQ(dialog.cursorsRemoved, 1);
}

// The clip's bound, tried at a size a test can afford: a clip exactly at the
// bound is written, one byte over fails before anything is written.
TEST_F(ClipRunTest, ClipMayGrowUpToItsBoundAndNoFurther) {
    site.SetNewest(2);
    site.SetArticle(2, testing::ArticlePage("2008-07-17", "T2", "B2"));
    site.SetArticle(1, testing::ArticlePage("2008-07-16", "T1", "B1"));
    RunClip(dialog, site, disk, kBase);
    disk.files.clear();
    const PageText uncleaned = "<b><br><hr><br>" + FakeSite::ArticleAddress(2) + "<br></b>" +
                               testing::kTitleMarker + "T2" + testing::kTextMarker + "B2";
    const std::size_t twoArticles = 2 * uncleaned.size();

    RunClip(dialog, site, disk, kBase, WalkLimits{twoArticles});
    EXPECT_EQ(disk.files.size(), 1u);

    disk.files[kClipPath] = "earlier";
    EXPECT_THROW(RunClip(dialog, site, disk, kBase, WalkLimits{twoArticles - 1}), MemoryFailure);
    EXPECT_EQ(disk.files.at(kClipPath), "earlier");
    EXPECT_EQ(dialog.cursorsRemoved, dialog.cursorsShown);
}

}  // namespace
}  // namespace wendrel
