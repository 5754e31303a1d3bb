#include "cli/clip_command.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "cli/console_front_end.h"
#include "cli/new_command.h"
#include "cli/site_wait.h"
#include "engine/clip_run.h"
#include "engine/failure.h"
#include "tests/fakes.h"

namespace wendrel::cli {
namespace {

using wendrel::testing::ArticlePage;
using wendrel::testing::CleanedArticle;
using wendrel::testing::FakeDisk;
using wendrel::testing::FakeSite;

#ifdef _WIN32
// The console under Wine's Korean locale shows code page 949, as the engine
// writes its texts.
// C:\Clips\2008-07-16.html에 잘못된 경로가 있습니다.
constexpr char kBadPathLine[] =
    "C:\\Clips\\2008-07-16.html\xBF\xA1 \xC0\xDF\xB8\xF8\xB5\xC8 \xB0\xE6\xB7\xCE\xB0\xA1 "
    "\xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.\n";
// 메모리가 부족합니다.
constexpr char kOutOfMemoryLine[] =
    "\xB8\xDE\xB8\xF0\xB8\xAE\xB0\xA1 \xBA\xCE\xC1\xB7\xC7\xD5\xB4\xCF\xB4\xD9.\n";
// 내부 응용 프로그램 오류입니다.
constexpr char kInternalErrorLine[] =
    "\xB3\xBB\xBA\xCE \xC0\xC0\xBF\xEB \xC7\xC1\xB7\xCE\xB1\xD7\xB7\xA5 \xBF\xC0\xB7\xF9"
    "\xC0\xD4\xB4\xCF\xB4\xD9.\n";
#else
// The same texts in UTF-8.
constexpr char kBadPathLine[] =
    "C:\\Clips\\2008-07-16.html\xEC\x97\x90 \xEC\x9E\x98\xEB\xAA\xBB\xEB\x90\x9C "
    "\xEA\xB2\xBD\xEB\xA1\x9C\xEA\xB0\x80 \xEC\x9E\x88\xEC\x8A\xB5\xEB\x8B\x88\xEB\x8B\xA4.\n";
constexpr char kOutOfMemoryLine[] =
    "\xEB\xA9\x94\xEB\xAA\xA8\xEB\xA6\xAC\xEA\xB0\x80 \xEB\xB6\x80\xEC\xA1\xB1\xED\x95\xA9"
    "\xEB\x8B\x88\xEB\x8B\xA4.\n";
constexpr char kInternalErrorLine[] =
    "\xEB\x82\xB4\xEB\xB6\x80 \xEC\x9D\x91\xEC\x9A\xA9 \xED\x94\x84\xEB\xA1\x9C\xEA\xB7\xB8"
    "\xEB\x9E\xA8 \xEC\x98\xA4\xEB\xA5\x98\xEC\x9E\x85\xEB\x8B\x88\xEB\x8B\xA4.\n";
#endif

template <typename Failure>
class FailingSite : public PageFetcher {
  public:
    FetchResult ReadUrl(const PageText&, PageText&, AbandonSignal&) override { throw Failure(); }
};

// A stream the test reads back once the console has written to it.
class Captured {
  public:
    Captured() : m_file(std::tmpfile()) {}
    ~Captured() { std::fclose(m_file); }
    Captured(const Captured&) = delete;
    Captured& operator=(const Captured&) = delete;

    std::FILE* File() const { return m_file; }
    std::string Text() const {
        std::rewind(m_file);
        std::string text;
        for (int byte = std::fgetc(m_file); byte != EOF; byte = std::fgetc(m_file)) {
            text += static_cast<char>(byte);
        }
        return text;
    }

  private:
    std::FILE* m_file;
};

class ClipCommandTest : public ::testing::Test {
  protected:
    ExitCode Run(PageFetcher& fetcher, bool quiet = false) {
        Console console(out.File(), errors.File(), quiet, false);
        return RunClipCommand({{2008, 7, 16}, "C:\\Clips", wendrel::testing::kBase, 4}, fetcher,
                              disk, console);
    }

    FakeSite site;
    FakeDisk disk;
    Captured out;
    Captured errors;
};

TEST_F(ClipCommandTest, SavedClipEndsWithTheStatusAfterALinePerArticle) {
    site.SetNewest(2);
    site.SetArticle(2, ArticlePage("2008-07-16", "T2", "B2"));
    site.SetArticle(1, ArticlePage("2008-07-15", "T1", "B1"));

    EXPECT_EQ(Run(site), kSaved);

    EXPECT_EQ(out.Text(), "1 read, 0 unread: " + FakeSite::ArticleAddress(2) +
                              " 2008-07-16\n"
                              "2 read, 0 unread: " +
                              FakeSite::ArticleAddress(1) +
                              " 2008-07-15\n"
                              "Saved to C:\\Clips\\2008-07-16.html\n");
    EXPECT_EQ(errors.Text(), "");
    EXPECT_EQ(disk.files.count("C:\\Clips\\2008-07-16.html"), 1u);
}

TEST_F(ClipCommandTest, QuietLeavesTheStatusAlone) {
    site.SetNewest(kMaxPagesWithoutDate + 1);

    EXPECT_EQ(Run(site, true), kSavedWithNotes);

    EXPECT_EQ(out.Text(),
              "Saved to C:\\Clips\\2008-07-16.html (stopped: 50 pages in a row had no date)\n");
}

TEST_F(ClipCommandTest, NoArticlesLeavesTheDiskAlone) {
    EXPECT_EQ(Run(site), kNoArticles);

    EXPECT_EQ(out.Text(), "No articles found at " + FakeSite::ListAddress() + "\n");
    EXPECT_TRUE(disk.files.empty());
}

TEST_F(ClipCommandTest, FailuresEndWithTheDialogsMessageOnStandardError) {
    disk.folders.clear();
    EXPECT_EQ(Run(site), kFileFailure);
    EXPECT_EQ(errors.Text(), kBadPathLine);

    FailingSite<MemoryFailure> outOfMemory;
    disk.folders = {"C:\\Clips\\"};
    EXPECT_EQ(Run(outOfMemory), kMemoryFailure);
    EXPECT_EQ(errors.Text(), std::string(kBadPathLine) + kOutOfMemoryLine);

    FailingSite<InvalidArgumentFailure> invalidArgument;
    EXPECT_EQ(Run(invalidArgument), kBadArguments);
    EXPECT_EQ(errors.Text(), std::string(kBadPathLine) + kOutOfMemoryLine + kInternalErrorLine);
}

TEST(SiteWaitTest, PausesGrowToFifteenSeconds) {
    const std::pair<int, int> cases[] = {{1, 1},  {2, 2},  {3, 4},    {4, 8},
                                         {5, 15}, {6, 15}, {1000, 15}};
    for (const auto& [attempts, seconds] : cases) {
        EXPECT_EQ(PauseAfter(attempts).count(), seconds) << attempts;
    }
}

// A site that is not up yet: each attempt gets no answer, and the first is
// held until the wait gives it up.
class SiteNotUp : public FakeSite {
  public:
    using FakeSite::ReadUrl;
    FetchResult ReadUrl(const PageText& address, PageText& page, AbandonSignal& abandon) override {
        FakeSite::ReadUrl(address, page, abandon);
        while (holdFirst && RequestsFor(address) == 1 && !abandon.Raised()) {
            abandon.WaitFor(std::chrono::milliseconds(100));
        }
        return {0, FetchEnd::noAnswer, 0, -1};
    }
    bool holdFirst = false;
};

// Within an attempt and within the pause after it; a wait that missed the
// stop would go on for the minute.
TEST(SiteWaitTest, AStopEndsTheWaitWhereverItIs) {
    for (const bool duringTheAttempt : {true, false}) {
        SCOPED_TRACE(duringTheAttempt ? "during the attempt" : "during the pause");
        SiteNotUp site;
        site.holdFirst = duringTheAttempt;
        const PageText address = FakeSite::ListAddress();

        EXPECT_FALSE(WaitForAnswer(site, address, std::chrono::seconds(60),
                                   [&site, &address] { return site.RequestsFor(address) > 0; }));
        EXPECT_EQ(site.RequestsFor(address), 1);
    }
}

// A site of articles n, titled Tn, registered on the day of the run but for
// article 1, of the day before.
class NewArticlesTest : public ClipCommandTest {
  protected:
    static constexpr char kDayFile[] = "C:\\Clips\\2008-07-16.html";
    static constexpr char kRecordFile[] = "C:\\Clips\\wendrel-record.txt";

    NewArticlesTest() {
        for (int number = 1; number <= 30; ++number) {
            site.SetArticle(number, ArticlePage(number == 1 ? "2008-07-15" : "2008-07-16",
                                                Title(number), Body(number)));
        }
    }
    static PageText Title(int number) { return "T" + std::to_string(number); }
    static PageText Body(int number) { return "B" + std::to_string(number); }

    ExitCode RunNew(const PageText& folder = "C:\\Clips",
                    const std::optional<CalendarDate>& since = std::nullopt) {
        Console console(out.File(), errors.File(), true, false);
        return RunNewArticlesCommand({{2008, 7, 16}, folder, wendrel::testing::kBase, 1}, since,
                                     site, disk, console);
    }
    static std::string LastLine(std::string text) {
        text.pop_back();
        return text.substr(text.rfind('\n') + 1);
    }
    // -n: article n could not be read, and only its address was kept.
    static PageText Clip(const std::vector<int>& numbers) {
        PageText clip;
        for (int number : numbers) {
            clip += number > 0 ? CleanedArticle(number, Title(number), Body(number))
                               : wendrel::testing::UnreadArticle(-number);
        }
        return clip;
    }
};

struct NewRunCase {
    const char* name;
    int newest;
    ExitCode code;           // kFileFailure: the day's file, or the record, cannot be written
    std::string status;      // the last line on standard output
    std::vector<int> added;  // the run's clip, which goes in front; -n: page n not read
    std::size_t requests;
    int writes;
    const char* record;  // the site's line in the record file afterwards
    std::optional<CalendarDate> since{};
    bool recordFails = false;
};

// The day's file after a run that added added, as article numbers: no article
// twice, and no unread page in place of an article read before.
std::vector<int> Merged(const std::vector<int>& added, const std::vector<int>& earlier) {
    const auto has = [](const std::vector<int>& numbers, int number) {
        return std::find(numbers.begin(), numbers.end(), number) != numbers.end();
    };
    std::vector<int> merged;
    merged.reserve(added.size() + earlier.size());
    for (int number : added) {
        merged.push_back(number < 0 && has(earlier, -number) ? -number : number);
    }
    for (int number : earlier) {
        if (number > 0 && !has(added, number) && !has(added, -number)) {
            merged.push_back(number);
        }
    }
    return merged;
}

TEST_F(NewArticlesTest, AGrowingSiteIsClippedOnceOverAndNothingIsSkipped) {
    const std::string saved = std::string("Saved to ") + kDayFile;
    const std::string owed = saved + " (1 page could not be read); 1 page still owed";
    const std::string stopped =
        saved +
        " (stopped: 5 pages in a row could not be read (too many redirects); 5 pages "
        "could not be read)";
    // clang-format off
    const NewRunCase runs[] = {
        {"no record: today's", 3, kSaved, saved, {3, 2}, 4, 2, "3"},
        {"five more", 8, kSaved, saved, {8, 7, 6, 5, 4}, 6, 2, "8"},
        {"none more", 8, kSaved, "Nothing new since 8", {}, 1, 0, "8"},
        {"an unread page", 10, kSavedWithNotes, owed, {10, -9}, 3, 2, "10 9"},
        {"the owed page read", 10, kSaved, saved, {9}, 2, 2, "10"},
        {"unanswered pages", 20, kSavedWithNotes, stopped, {20, -19, -18, -17, -16, -15}, 7, 2, "10"},
        {"after the stop", 20, kSaved, saved, {20, 19, 18, 17, 16, 15, 14, 13, 12, 11}, 11, 2, "20"},
        {"a failure", 25, kFileFailure, "", {}, 6, 0, "20"},
        {"after the failure", 25, kSaved, saved, {25, 24, 23, 22, 21}, 6, 2, "25"},
        // The day after the articles': the date ends the walk, and the record
        // moves all the same.
        {"a date comes first", 28, kSaved, saved, {}, 2, 2, "28", {{2008, 7, 17}}},
        {"the record not written", 30, kFileFailure, saved + "; the record could not be written",
         {30, 29}, 3, 1, "28", {}, true},
        {"after it, nothing twice", 30, kSaved, saved, {30, 29}, 3, 2, "30"},
    };
    // clang-format on
    std::vector<int> dayFile;
    for (const NewRunCase& run : runs) {
        SCOPED_TRACE(run.name);
        site.SetNewest(run.newest);
        site.answers.clear();
        for (int number : run.added) {
            if (number < 0) {
                site.answers[FakeSite::ArticleAddress(-number)] = {
                    {FetchEnd::tooManyRedirects, 302, "", -1}};
            }
        }
        disk.full = run.code != kFileFailure ? std::set<PageText>{}
                    : run.recordFails        ? std::set<PageText>{kRecordFile}
                                             : std::set<PageText>{kDayFile};
        site.requests.clear();
        disk.writes = 0;

        EXPECT_EQ(RunNew("C:\\Clips", run.since), run.code);

        if (!run.status.empty()) {
            EXPECT_EQ(LastLine(out.Text()), run.status);
        }
        if (run.code != kFileFailure || run.recordFails) {
            dayFile = Merged(run.added, dayFile);
        }
        EXPECT_EQ(disk.files[kDayFile], Clip(dayFile));
        EXPECT_EQ(site.requests.size(), run.requests);
        EXPECT_EQ(disk.writes, run.writes);
        const PageText& record = disk.files[kRecordFile];
        EXPECT_EQ(record.substr(record.find(wendrel::testing::kBase)),
                  std::string(wendrel::testing::kBase) + " " + run.record + "\r\n");
    }
}

// Two schedules into two folders keep two records; a line a person damaged
// falls back to today's articles instead of the whole site.
TEST_F(NewArticlesTest, EachFolderKeepsItsOwnRecord) {
    disk.folders.insert("C:\\Other\\");
    // A person's editor may add a byte-order mark and spell the site otherwise.
    disk.files[kRecordFile] = "\xEF\xBB\xBFhttp://elsewhere.test 77\r\nHTTP://News.Test/ 8\r\n";
    disk.files["C:\\Other\\wendrel-record.txt"] = "http://news.test 8 nine\n";
    site.SetNewest(10);

    EXPECT_EQ(RunNew(), kSaved);
    EXPECT_EQ(RunNew("C:\\Other"), kSavedWithNotes);

    EXPECT_EQ(disk.files[kDayFile], Clip({10, 9}));
    EXPECT_EQ(disk.files[kRecordFile], "http://elsewhere.test 77\r\nhttp://news.test 10\r\n");
    EXPECT_EQ(disk.files["C:\\Other\\2008-07-16.html"], Clip({10, 9, 8, 7, 6, 5, 4, 3, 2}));
    EXPECT_EQ(disk.files["C:\\Other\\wendrel-record.txt"], "http://news.test 10\r\n");
    EXPECT_EQ(errors.Text(),
              "C:\\Other\\wendrel-record.txt: the line of this site is damaged; "
              "clipping from today's articles\n");
}

// A list page whose number jumps far above the record (a renumbered or
// hostile site): the walk ends at its bound, and the record stays.
TEST_F(NewArticlesTest, AJumpFarAboveTheRecordIsReadToTheBoundAndMovesNothing) {
    disk.files[kRecordFile] = "http://news.test 10\r\n";
    site.SetNewest(INT_MAX);
    for (int number = INT_MAX; number > INT_MAX - kMaxPagesFromRecord - 4; --number) {
        site.SetArticle(number, ArticlePage("2008-07-16", "T", "B"));
    }

    EXPECT_EQ(RunNew(), kSavedWithNotes);

    EXPECT_EQ(site.requests.size(), 1u + kMaxPagesFromRecord);
    EXPECT_EQ(LastLine(out.Text()),
              std::string("Saved to ") + kDayFile +
                  " (stopped: more than 5000 articles since the record at 10)");
    EXPECT_EQ(disk.files[kRecordFile], "http://news.test 10\r\n");
}

TEST(ConsoleTest, ProgressOnATerminalRewritesOneLineAndMakesWayForTheLast) {
    Captured out;
    Captured errors;
    Console console(out.File(), errors.File(), false, true);

    console.Progress("1 read: long address");
    console.Progress("2 read: short");
    console.Status("Saved");

    EXPECT_EQ(out.Text(), "\r1 read: long address\r2 read: short       \r" + std::string(13, ' ') +
                              "\rSaved\n");
}

struct ProgressCase {
    int columns;
    const char* date;
    const char* line;
};

// A line as wide as the terminal would wrap, and every rewrite after it would
// leave a line behind.
TEST(ProgressLineTest, StaysWithinTheTerminalByShorteningTheAddressFromItsBeginning) {
    const ProgressCase cases[] = {
        {0, "2008-07-16", "12 read, 0 unread: http://site.example/arti/123456.html 2008-07-16"},
        {67, "2008-07-16", "12 read, 0 unread: http://site.example/arti/123456.html 2008-07-16"},
        {66, "2008-07-16", "12 read, 0 unread: ...://site.example/arti/123456.html 2008-07-16"},
        {40, "2008-07-16", "12 read, 0 unread: ...6.html 2008-07-16"},
        {40, "", "12 read, 0 unread: ...56.html (no date)"},
        // What a page holds where its date should be is shown only when it is one:
        // a terminal's command to set its title, and 기사등록 in code page 949.
        {0, "\x1B]0;x\x07 12:3", "12 read, 0 unread: http://site.example/arti/123456.html ?"},
        {40, "\xB1\xE2\xBB\xE7\xB5\xEE\xB7\xCF-1", "12 read, 0 unread: ...rti/123456.html ?"},
        {20, "2008-07-16", "12 read, 0 unread: "},
        {1, "2008-07-16", ""},
    };
    for (const ProgressCase& expected : cases) {
        SCOPED_TRACE(expected.columns);
        const WalkProgress progress{
            12, "http://site.example/arti/123456.html", expected.date, "", 0, 123456, false, false};
        EXPECT_EQ(ProgressLine(progress, expected.columns), expected.line);
    }
    const WalkProgress controlled{1,    "http://a\x1B[2J\x7F/arti/1.html", "\r", "", 0, 1, false,
                                  false};
    EXPECT_EQ(ProgressLine(controlled, 0), "1 read, 0 unread: http://a?[2J?/arti/1.html ?");
}

}  // namespace
}  // namespace wendrel::cli
