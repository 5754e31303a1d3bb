#include <sys/resource.h>

#include <csignal>
#include <string>

#include "engine/clip_run.h"
#include "engine/failure.h"
#include "tests/clip_file_folder.h"
#include "tests/fakes.h"

namespace wendrel {
namespace {

// What only the POSIX writer does; the rest is clip_file_test.cpp's.
using PosixClipFileTest = testing::ClipFileFolder;

TEST_F(PosixClipFileTest, BackslashIsPartOfAName) {
    writer.Write(ClipPath("out\\2008-07-16.html"), "x");

    EXPECT_EQ(Read(File("out\\2008-07-16.html")), "x");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixClipFileTest, FullDiskKeepsTheEarlierFile) {
    Put(File("2008-07-16.html"), "earlier clip");
    // A file size limit fails the write part way, as a disk that fills does.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1000;
    setrlimit(RLIMIT_FSIZE, &small);

    const PageText path = ClipPath("2008-07-16.html");
    const std::string text =
        testing::FailureText([&] { writer.Write(path, std::string(5000, 'x')); });
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(text, FileFailureText(FileCause::diskFull, path));
    EXPECT_EQ(Read(File("2008-07-16.html")), "earlier clip");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixClipFileTest, TwoRunsLeaveTheSecondRunsClip) {
    testing::FakeDialog dialog;
    testing::FakeSite site;
    dialog.folder = folder.string();
    site.SetNewest(2);
    site.SetArticle(2, testing::ArticlePage("2008-07-16", "first", ""));

    RunClip(dialog, site, writer, testing::kBase);
    site.SetNewest(3);
    site.SetArticle(3, testing::ArticlePage("2008-07-17", "second", ""));
    RunClip(dialog, site, writer, testing::kBase);

    const std::string clip = Read(File("2008-07-16.html"));
    EXPECT_EQ(clip.find("<b><br><hr><br>" + testing::FakeSite::ArticleAddress(3)), 0u);
    EXPECT_NE(clip.find("second"), std::string::npos);
    EXPECT_EQ(dialog.statuses.back(), "Saved to " + ClipPath("2008-07-16.html"));
}

}  // namespace
}  // namespace wendrel
