#include <windows.h>

#include <filesystem>
#include <string>

#include "engine/failure.h"
#include "tests/clip_file_folder.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

constexpr char kClipName[] = "2008-07-16.html";
constexpr char kEarlierClip[] = "earlier clip \xC7\xD1";  // 한

// What follows the path in each failure's message, in code page 949.
constexpr char kSharingViolationText[] =  // 에 액세스하는 동안 공유 위반이 발생했습니다.
    "\xBF\xA1 \xBE\xD7\xBC\xBC\xBD\xBA\xC7\xCF\xB4\xC2 \xB5\xBF\xBE\xC8 \xB0\xF8\xC0\xAF "
    "\xC0\xA7\xB9\xDD\xC0\xCC \xB9\xDF\xBB\xFD\xC7\xDF\xBD\xC0\xB4\xCF\xB4\xD9.";
constexpr char kDiskFullText[] =  // 에 액세스하는 동안 디스크가 꽉 찼습니다.
    "\xBF\xA1 \xBE\xD7\xBC\xBC\xBD\xBA\xC7\xCF\xB4\xC2 \xB5\xBF\xBE\xC8 "
    "\xB5\xF0\xBD\xBA\xC5\xA9\xB0\xA1 \xB2\xCB \xC3\xA1\xBD\xC0\xB4\xCF\xB4\xD9.";

// What only the Windows writer does; the rest is clip_file_test.cpp's.
namespace fs = std::filesystem;
using WindowsClipFileTest = testing::ClipFileFolder;

// The message of the failure that writing bytes to path raises, or "".
std::string FailureText(const PageText& path, const std::string& bytes) {
    return testing::FailureText([&] { SystemClipDisk().Write(path, bytes); });
}

// Another program may hold a clip open without sharing; the system would
// say only "access denied" when the clip is replaced.
TEST_F(WindowsClipFileTest, AClipHeldOpenWithoutSharingIsASharingViolation) {
    Put(File(kClipName), kEarlierClip);
    const HANDLE hold = CreateFileA(ClipPath(kClipName).c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);

    EXPECT_EQ(FailureText(ClipPath(kClipName), "new clip"),
              ClipPath(kClipName) + kSharingViolationText);

    CloseHandle(hold);
    EXPECT_EQ(Read(File(kClipName)), kEarlierClip);
    EXPECT_EQ(EntriesInFolder(), 1);
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
