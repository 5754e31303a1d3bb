#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>
#include <string>

#include "engine/failure.h"
#include "engine/store/clip_file.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

namespace fs = std::filesystem;

constexpr char kClipName[] = "2008-07-16.html";
constexpr char kEarlierClip[] = "earlier clip \xC7\xD1";  // 한

// What follows the path in each failure's message, in code page 949.
constexpr char kBadPathText[] =  // 에 잘못된 경로가 있습니다.
    "\xBF\xA1 \xC0\xDF\xB8\xF8\xB5\xC8 \xB0\xE6\xB7\xCE\xB0\xA1 \xC0\xD6\xBD\xC0\xB4\xCF\xB4\xD9.";
constexpr char kAccessDeniedText[] =  // 액세스가 거부되었습니다.
    " \xBE\xD7\xBC\xBC\xBD\xBA\xB0\xA1 \xB0\xC5\xBA\xCE\xB5\xC7\xBE\xFA\xBD\xC0\xB4\xCF\xB4\xD9.";
constexpr char kSharingViolationText[] =  // 에 액세스하는 동안 공유 위반이 발생했습니다.
    "\xBF\xA1 \xBE\xD7\xBC\xBC\xBD\xBA\xC7\xCF\xB4\xC2 \xB5\xBF\xBE\xC8 \xB0\xF8\xC0\xAF "
    "\xC0\xA7\xB9\xDD\xC0\xCC \xB9\xDF\xBB\xFD\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
constexpr char kDiskFullText[] =  // 에 액세스하는 동안 디스크가 꽉 찼습니다.
    "\xBF\xA1 \xBE\xD7\xBC\xBC\xBD\xBA\xC7\xCF\xB4\xC2 \xB5\xBF\xBE\xC8 "
    "\xB5\xF0\xBD\xBA\xC5\xA9\xB0\xA1 \xB2\xCB \xC3\xA1\xBD\xC0\xB4\xCF\xB4\xD9.";

std::string Read(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void Put(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

int EntriesIn(const fs::path& folder) {
    return static_cast<int>(std::distance(fs::directory_iterator(folder), {}));
}

// The message of the failure that writing bytes to path raises, or "".
std::string FailureText(const PageText& path, const std::string& bytes) {
    try {
        SystemClipFileWriter().Write(path, bytes);
    } catch (const FileFailure& failure) {
        return failure.what();
    }
    return "";
}

class WindowsClipFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char name[MAX_PATH];
        char temp[MAX_PATH];
        ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
        ASSERT_NE(GetTempFileNameA(temp, "wct", 0, name), 0u);
        folder = name;
        fs::remove(folder);
        fs::create_directory(folder);
    }
    void TearDown() override { fs::remove_all(folder); }

    PageText ClipPath() const { return (folder / kClipName).string(); }

    fs::path folder;
    SystemClipFileWriter writer;
};

TEST_F(WindowsClipFileTest, ReplacesAnEarlierClipWithoutLeavingATemporary) {
    Put(folder / kClipName, "an earlier clip, longer than the new one");

    writer.Write(ClipPath(), "new \xC7\xD1");

    EXPECT_EQ(Read(folder / kClipName), "new \xC7\xD1");
    EXPECT_EQ(EntriesIn(folder), 1);
}

TEST_F(WindowsClipFileTest, WritesAnEmptyClip) {
    writer.Write(ClipPath(), "");

    EXPECT_TRUE(fs::exists(folder / kClipName));
    EXPECT_EQ(fs::file_size(folder / kClipName), 0u);
}

TEST_F(WindowsClipFileTest, KnowsFoldersAndFiles) {
    Put(folder / "plain", "x");
    EXPECT_TRUE(writer.IsFolder(folder.string() + "\\"));
    EXPECT_FALSE(writer.IsFolder((folder / "plain").string()));
    EXPECT_FALSE(writer.IsFolder((folder / "missing").string() + "\\"));
}

// One run at a time; the lock file is gone with the lock.
TEST_F(WindowsClipFileTest, AFolderIsLockedOnceAtATimeAndLeftAsItWas) {
    std::unique_ptr<FolderLock> lock = writer.TryLockFolder(folder.string() + "\\");
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(writer.TryLockFolder(folder.string() + "\\"), nullptr);
    lock.reset();

    EXPECT_EQ(EntriesIn(folder), 0);
    EXPECT_NE(writer.TryLockFolder(folder.string() + "\\"), nullptr);
}

// A --new run must never take a file it cannot read for missing, and write over it.
TEST_F(WindowsClipFileTest, ReadsAnExistingFileAndTellsMissingFromUnreadable) {
    const std::string bytes = std::string(100000, 'x') + kEarlierClip;
    Put(folder / kClipName, bytes);
    fs::create_directory(folder / "folder.html");

    EXPECT_EQ(writer.ReadExisting(ClipPath()), bytes);
    EXPECT_EQ(writer.ReadExisting((folder / "missing.html").string()), std::nullopt);
    EXPECT_EQ(writer.ReadExisting((folder / "missing" / kClipName).string()), std::nullopt);
    EXPECT_THROW(writer.ReadExisting((folder / "folder.html").string()), FileFailure);
}

struct FailureCase {
    const char* name;
    // Readies the folder, returns the clip path and, through hold, anything
    // that must stay open while the write is tried.
    std::function<PageText(const fs::path& folder, HANDLE& hold)> arrange;
    const char* text;
};

TEST_F(WindowsClipFileTest, FailureNamesThePathAndLeavesTheFolderAsItWas) {
    const FailureCase cases[] = {
        {"missing folder",
         [](const fs::path& at, HANDLE&) { return (at / "missing" / kClipName).string(); },
         kBadPathText},
        {"path past 260 characters",
         [](const fs::path& at, HANDLE&) {
             return (at / std::string(250, 'd') / kClipName).string();
         },
         kBadPathText},
        {"folder in the clip's place",
         [](const fs::path& at, HANDLE&) {
             fs::remove(at / kClipName);
             fs::create_directory(at / kClipName);
             return (at / kClipName).string();
         },
         kAccessDeniedText},
        {"clip held open without sharing",
         [](const fs::path& at, HANDLE& hold) {
             hold = CreateFileA((at / kClipName).string().c_str(), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
             return (at / kClipName).string();
         },
         kSharingViolationText},
    };
    for (const FailureCase& failure : cases) {
        SCOPED_TRACE(failure.name);
        fs::remove_all(folder / kClipName);
        Put(folder / kClipName, kEarlierClip);
        HANDLE hold = INVALID_HANDLE_VALUE;
        const PageText path = failure.arrange(folder, hold);

        EXPECT_EQ(FailureText(path, "new clip"), path + failure.text);

        if (hold != INVALID_HANDLE_VALUE) {
            CloseHandle(hold);
        }
        if (fs::is_regular_file(folder / kClipName)) {
            EXPECT_EQ(Read(folder / kClipName), kEarlierClip);
        }
        EXPECT_EQ(EntriesIn(folder), 1);
    }
}

TEST_F(WindowsClipFileTest, FullDiskKeepsTheEarlierClip) {
    // CTest mounts a 64 KiB tmpfs there when it may, and says why not in reason.txt.
    const fs::path small = testing::FixturePath("full-disk/disk");
    ASSERT_FALSE(small.empty()) << "WENDREL_FIXTURES is not set (CTest sets it)";
    if (!fs::is_directory(small)) {
        GTEST_SKIP() << "no small disk to fill: " << testing::FixtureLine("full-disk/reason.txt");
    }
    fs::remove_all(small / kClipName);
    Put(small / kClipName, kEarlierClip);
    const PageText path = (small / kClipName).string();

    EXPECT_EQ(FailureText(path, std::string(std::size_t{256} * 1024, 'x')), path + kDiskFullText);

    EXPECT_EQ(Read(small / kClipName), kEarlierClip);
    EXPECT_EQ(EntriesIn(small), 1);
}

}  // namespace
}  // namespace wendrel
