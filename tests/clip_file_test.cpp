// What every platform's clip file writer does: run against the POSIX writer
// natively and against the Windows writer under Wine.
#include <filesystem>
#include <iterator>
#include <memory>
#include <optional>
#include <string>

#include "engine/failure.h"
#include "engine/store/article_record.h"
#include "engine/store/clip_store.h"
#include "tests/clip_file_folder.h"

namespace wendrel {
namespace {

constexpr char kClip[] = "2008-07-16.html";
constexpr char kEarlierClip[] = "earlier clip, longer than the new one \xC7\xD1";  // 한

// What follows the path in each failure's message, in code page 949.
constexpr char kBadPathText[] =  // 에 잘못된 경로가 있습니다.
    "\xBF\xA1 \xC0\xDF\xB8\xF8\xB5\xC8 \xB0\xE6\xB7\xCE\xB0\xA1 \xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.";
constexpr char kAccessDeniedText[] =  // 액세스가 거부되었습니다.
    " \xBE\xD7\xBC\xBC\xBD\xBA\xB0\xA1 \xB0\xC5\xBA\xCE\xB5\xC7\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9.";

namespace fs = std::filesystem;
using ClipFileTest = testing::ClipFileFolder;

using testing::FailureText;

TEST_F(ClipFileTest, ReplacesAnEarlierFileWithoutLeavingATemporary) {
    Put(File(kClip), kEarlierClip);

    writer.Write(ClipPath(kClip), "new \xC7\xD1");
    EXPECT_EQ(Read(File(kClip)), "new \xC7\xD1");
    writer.Write(ClipPath(kClip), "");
    EXPECT_TRUE(fs::exists(File(kClip)));
    EXPECT_EQ(fs::file_size(File(kClip)), 0u);

    EXPECT_EQ(EntriesInFolder(), 1);
}

TEST_F(ClipFileTest, KnowsFoldersAndFiles) {
    Put(File("plain"), "x");
    EXPECT_TRUE(writer.IsFolder(Folder()));
    EXPECT_FALSE(writer.IsFolder(ClipPath("plain")));
    EXPECT_FALSE(writer.IsFolder(ClipPath("missing") + writer.PathSeparator()));
}

// One run at a time; the lock file is gone with the lock.
TEST_F(ClipFileTest, AFolderIsLockedOnceAtATimeAndLeftAsItWas) {
    std::unique_ptr<FolderLock> lock = writer.TryLockFolder(Folder());
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(writer.TryLockFolder(Folder()), nullptr);
    lock.reset();

    EXPECT_EQ(EntriesInFolder(), 0);
    EXPECT_NE(writer.TryLockFolder(Folder()), nullptr);
}

// A --new run must never take a file it cannot read for missing, and write over it.
TEST_F(ClipFileTest, ReadsAnExistingFileAndTellsMissingFromUnreadable) {
    const std::string bytes = std::string(100000, 'x') + kEarlierClip;
    Put(File(kClip), bytes);
    fs::create_directory(File("folder.html"));
    const char separator = writer.PathSeparator();

    EXPECT_EQ(writer.ReadExisting(ClipPath(kClip)), bytes);
    EXPECT_EQ(writer.ReadExisting(ClipPath("missing.html")), std::nullopt);
    EXPECT_EQ(writer.ReadExisting(ClipPath("missing") + separator + kClip), std::nullopt);
    EXPECT_EQ(writer.ReadExisting(ClipPath(kClip) + separator + kClip), std::nullopt);
    EXPECT_THROW(writer.ReadExisting(ClipPath("folder.html")), FileFailure);
}

struct FailureCase {
    const char* name;
    std::string clipName;  // below the test's folder
    const char* text;
};

TEST_F(ClipFileTest, FailureNamesThePathAndLeavesTheFolderAsItWas) {
    const std::string inMissing = std::string("missing") + writer.PathSeparator() + kClip;
    const FailureCase cases[] = {
        {"missing folder", inMissing, kBadPathText},
        // Refused before the system is asked, everywhere alike.
        {"path past 260 bytes", std::string(250, 'd') + writer.PathSeparator() + kClip,
         kBadPathText},
        {"folder in the clip's place", "folder.html", kAccessDeniedText},
    };
    fs::create_directory(File("folder.html"));
    Put(File("folder.html") / "inside", "kept");
    Put(File(kClip), kEarlierClip);
    for (const FailureCase& failure : cases) {
        SCOPED_TRACE(failure.name);
        const PageText path = ClipPath(failure.clipName);

        EXPECT_EQ(FailureText([&] { writer.Write(path, "new clip"); }), path + failure.text);

        EXPECT_EQ(Read(File(kClip)), kEarlierClip);
        EXPECT_EQ(Read(File("folder.html") / "inside"), "kept");
        EXPECT_EQ(EntriesInFolder(), 2);
    }

    // The check of a folder fails as a save there would, and leaves nothing.
    writer.TryFolder(ClipPath(kClip));
    const PageText missing = ClipPath(inMissing);
    EXPECT_EQ(FailureText([&] { writer.TryFolder(missing); }), missing + kBadPathText);
    EXPECT_EQ(EntriesInFolder(), 2);
}

// Only files of the exact names a save and the folder check give theirs go,
// and only while the lock is held: by the next save.
TEST_F(ClipFileTest, ADeadRunsTemporaryFilesGoUnderTheLockAndNothingElse) {
    const std::string leftovers[] = {".wendrel-save-AbC123.tmp", ".wendrel-check-x9Y8z7.tmp"};
    const std::string kept[] = {
        ".wendrel-save-AbC12.tmp",   ".wendrel-save-AbC1234.tmp",     ".wendrel-save-AbC-23.tmp",
        "x.wendrel-save-AbC123.tmp", ".wendrel-save-AbC123.tmp.html", "wendrel-save-AbC123.tmp",
        ".wendrel-AbC123",
    };
    for (const std::string& name : leftovers) {
        Put(File(name), "a dead run's clip");
    }
    for (const std::string& name : kept) {
        Put(File(name), "a user's file");
    }
    std::unique_ptr<FolderLock> lock = writer.TryLockFolder(Folder());

    writer.RemoveLeftovers(Folder());

    for (const std::string& name : leftovers) {
        EXPECT_FALSE(fs::exists(File(name))) << name;
    }
    for (const std::string& name : kept) {
        EXPECT_EQ(Read(File(name)), "a user's file") << name;
    }
    EXPECT_TRUE(fs::exists(File(kLockFileName)));
    EXPECT_EQ(writer.TryLockFolder(Folder()), nullptr);

    lock.reset();
    Put(File(leftovers[0]), "a dead run's clip");
    ClipStore(writer, Folder(), "2008-07-16")
        .Save(
            "<b>clip</b>", {}, false, [] { return false; }, nullptr, JudgedArticles(0));
    EXPECT_FALSE(fs::exists(File(leftovers[0])));
    EXPECT_EQ(EntriesInFolder(), static_cast<int>(std::size(kept)) + 1);
}

}  // namespace
}  // namespace wendrel
