#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

#include "engine/clip_run.h"
#include "engine/failure.h"
#include "engine/store/clip_file.h"
#include "tests/fakes.h"

namespace wendrel {
namespace {

namespace fs = std::filesystem;

class PosixClipFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        std::string pattern = (fs::temp_directory_path() / "wendrel-XXXXXX").string();
        ASSERT_NE(mkdtemp(pattern.data()), nullptr);
        folder = pattern;
    }
    void TearDown() override { fs::remove_all(folder); }

    // The path as the clip run builds it for this writer.
    PageText ClipPath(const std::string& name) const { return folder.string() + "/" + name; }
    fs::path File(const std::string& name) const { return folder / name; }

    static std::string Read(const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static void Put(const fs::path& path, const std::string& bytes) {
        std::ofstream(path, std::ios::binary) << bytes;
    }
    int EntriesInFolder() const {
        return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
    }

    fs::path folder;
    SystemClipFileWriter writer;
};

TEST_F(PosixClipFileTest, ReplacesAnEarlierFileWithoutLeavingATemporary) {
    Put(File("2008-07-16.html"), "earlier clip, longer than the new one");

    writer.Write(ClipPath("2008-07-16.html"), "new \xC7\xD1");

    EXPECT_EQ(Read(File("2008-07-16.html")), "new \xC7\xD1");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixClipFileTest, WritesAnEmptyClip) {
    writer.Write(ClipPath("2008-07-16.html"), "");

    EXPECT_TRUE(fs::exists(File("2008-07-16.html")));
    EXPECT_EQ(fs::file_size(File("2008-07-16.html")), 0u);
}

TEST_F(PosixClipFileTest, KnowsFoldersAndFiles) {
    Put(File("plain"), "x");
    EXPECT_TRUE(writer.IsFolder(folder.string() + "/"));
    EXPECT_FALSE(writer.IsFolder(ClipPath("plain")));
    EXPECT_FALSE(writer.IsFolder(ClipPath("missing/")));
}

// One run at a time; the lock file is gone with the lock.
TEST_F(PosixClipFileTest, AFolderIsLockedOnceAtATimeAndLeftAsItWas) {
    std::unique_ptr<FolderLock> lock = writer.TryLockFolder(ClipPath(""));
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(writer.TryLockFolder(ClipPath("")), nullptr);
    lock.reset();

    EXPECT_EQ(EntriesInFolder(), 0);
    EXPECT_NE(writer.TryLockFolder(ClipPath("")), nullptr);
}

// A --new run must never take a file it cannot read for missing, and write over it.
TEST_F(PosixClipFileTest, ReadsAnExistingFileAndTellsMissingFromUnreadable) {
    const std::string bytes = std::string(100000, 'x') + "\xC7\xD1";
    Put(File("2008-07-16.html"), bytes);
    fs::create_directory(File("folder.html"));

    EXPECT_EQ(writer.ReadExisting(ClipPath("2008-07-16.html")), bytes);
    EXPECT_EQ(writer.ReadExisting(ClipPath("missing.html")), std::nullopt);
    EXPECT_THROW(writer.ReadExisting(ClipPath("folder.html")), FileFailure);
}

TEST_F(PosixClipFileTest, BackslashIsPartOfAName) {
    writer.Write(ClipPath("out\\2008-07-16.html"), "x");

    EXPECT_EQ(Read(File("out\\2008-07-16.html")), "x");
    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(PosixClipFileTest, MissingFolderIsABadPath) {
    const PageText path = ClipPath("missing/2008-07-16.html");
    try {
        writer.Write(path, "x");
        FAIL() << "no failure";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.Cause(), FileCause::badPath);
        EXPECT_EQ(failure.what(), FileFailureText(FileCause::badPath, path));
    }
}

TEST_F(PosixClipFileTest, FolderInTheFilesPlaceIsAccessDeniedAndStays) {
    fs::create_directory(File("2008-07-16.html"));
    Put(File("2008-07-16.html") / "inside", "kept");

    try {
        writer.Write(ClipPath("2008-07-16.html"), "x");
        FAIL() << "no failure";
    } catch (const FileFailure& failure) {
        EXPECT_EQ(failure.Cause(), FileCause::accessDenied);
    }
    EXPECT_EQ(Read(File("2008-07-16.html") / "inside"), "kept");
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

    FileCause cause = FileCause::generic;
    try {
        writer.Write(ClipPath("2008-07-16.html"), std::string(5000, 'x'));
    } catch (const FileFailure& failure) {
        cause = failure.Cause();
    }
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(cause, FileCause::diskFull);
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
