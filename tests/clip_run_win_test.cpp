#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/clip_file.h"
#include "engine/clip_run.h"
#include "engine/page_fetcher.h"
#include "tests/fakes.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

namespace fs = std::filesystem;

using testing::CleanedArticle;

TEST(WindowsClipRunTest, ClipsTheTestSiteIntoTheSaveFolder) {
    const PageText site = testing::TestSiteBase();
    ASSERT_FALSE(site.empty()) << "the test site is not running (CTest starts it)";
    char temp[MAX_PATH];
    char name[MAX_PATH];
    ASSERT_NE(GetTempPathA(MAX_PATH, temp), 0u);
    ASSERT_NE(GetTempFileNameA(temp, "wcr", 0, name), 0u);
    const fs::path folder = name;
    fs::remove(folder);
    fs::create_directory(folder);
    testing::FakeDialog dialog;
    dialog.folder = folder.string();
    InternetPageFetcher fetcher{std::chrono::seconds(2)};
    SystemClipFileWriter writer;

    RunClip(dialog, fetcher, writer, site);

    std::ifstream in(folder / "2008-07-16.html", std::ios::binary);
    const std::string clip(std::istreambuf_iterator<char>(in), {});
    in.close();
    fs::remove_all(folder);
    // 서울 소식, 첫째 줄, 끝; 부산 소식, 표 안. Article 1 is dated before the
    // since date and ends the walk.
    EXPECT_EQ(clip, CleanedArticle(site, 3, "\xBC\xAD\xBF\xEF \xBC\xD2\xBD\xC4",
                                   "\xC3\xB9\xC2\xB0 \xC1\xD9<br>\xB3\xA1") +
                        CleanedArticle(site, 2, "\xBA\xCE\xBB\xEA \xBC\xD2\xBD\xC4",
                                       "\xC7\xA5 \xBE\xC8"));
    EXPECT_EQ(dialog.statuses.back(), "Saved to " + folder.string() + "\\2008-07-16.html");
}

}  // namespace
}  // namespace wendrel
