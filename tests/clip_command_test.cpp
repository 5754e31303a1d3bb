#include "cli/clip_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "cli/console_clip.h"
#include "cli/site_wait.h"
#include "engine/clip_run.h"
#include "engine/failure.h"
#include "tests/fakes.h"

namespace wendrel::cli {
namespace {

using wendrel::testing::ArticlePage;
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

TEST_F(ClipCommandTest, NoArticlesOrNoAnswerLeavesTheDiskAlone) {
    EXPECT_EQ(Run(site), kNoArticles);
    site.answers[FakeSite::ListAddress()] = {{FetchEnd::noAnswer, 0, "", 0}};
    EXPECT_EQ(Run(site), kNoAnswer);

    EXPECT_EQ(out.Text(), "No articles found at " + FakeSite::ListAddress() + "\nNo answer from " +
                              FakeSite::ListAddress() + "\n");
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
        const WalkProgress progress{12, "http://site.example/arti/123456.html", expected.date, 0};
        EXPECT_EQ(ProgressLine(progress, expected.columns), expected.line);
    }
    const WalkProgress controlled{1, "http://a\x1B[2J\x7F/arti/1.html", "\r", 0};
    EXPECT_EQ(ProgressLine(controlled, 0), "1 read, 0 unread: http://a?[2J?/arti/1.html ?");
}

}  // namespace
}  // namespace wendrel::cli
