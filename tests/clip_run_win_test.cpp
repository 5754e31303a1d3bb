#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <climits>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/clip_run.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "tests/fakes.h"
#include "tests/test_site.h"

namespace wendrel {
namespace {

namespace fs = std::filesystem;

using testing::CleanedArticle;

// A fresh folder under the temporary folder, removed with what it holds.
class ClipFolder {
  public:
    ClipFolder() {
        char temp[MAX_PATH];
        char name[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        GetTempFileNameA(temp, "wcr", 0, name);
        m_path = name;
        fs::remove(m_path);
        fs::create_directory(m_path);
    }
    ~ClipFolder() { fs::remove_all(m_path); }
    ClipFolder(const ClipFolder&) = delete;
    ClipFolder& operator=(const ClipFolder&) = delete;

    std::string Path() const { return m_path.string(); }
    std::string Clip() const {
        std::ifstream in(m_path / "2008-07-16.html", std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

  private:
    fs::path m_path;
};

// The status texts of one run through WinInet at the default window, clipping
// site into folder, pausing as pause does.
std::vector<PageText> StatusesOfRun(const PageText& site, const ClipFolder& folder, Pause& pause) {
    testing::FakeDialog dialog;
    dialog.folder = folder.Path();
    InternetPageFetcher fetcher{std::chrono::seconds(2)};
    SystemClipDisk writer;
    RunClip(dialog, fetcher, writer, site, WalkLimits{INT_MAX, kDefaultConnections}, pause);
    return dialog.statuses;
}

std::vector<PageText> StatusesOfRun(const PageText& site, const ClipFolder& folder) {
    SystemPause pause;
    return StatusesOfRun(site, folder, pause);
}

// Over HTTP, and over HTTPS with a certificate of the test run's own
// authority, which the fixture put in the Wine prefix's root store.
TEST(WindowsClipRunTest, ClipsTheTestSiteIntoTheSaveFolder) {
    ASSERT_FALSE(testing::TestSiteBase().empty())
        << "the test site is not running (CTest starts it)";
    for (const PageText& site : {testing::TestSiteBase(), testing::SecureBase()}) {
        SCOPED_TRACE(site);
        const ClipFolder folder;

        const std::vector<PageText> statuses = StatusesOfRun(site, folder);

        // 서울 소식, 첫째 줄, 끝; 부산 소식, 표 안. Article 1 is dated before the
        // since date and ends the walk.
        EXPECT_EQ(folder.Clip(), CleanedArticle(site, 3, "\xBC\xAD\xBF\xEF \xBC\xD2\xBD\xC4",
                                                "\xC3\xB9\xC2\xB0 \xC1\xD9<br>\xB3\xA1") +
                                     CleanedArticle(site, 2, "\xBA\xCE\xBB\xEA \xBC\xD2\xBD\xC4",
                                                    "\xC7\xA5 \xBE\xC8"));
        EXPECT_EQ(statuses.back(), "Saved to " + folder.Path() + "\\2008-07-16.html");
    }
}

struct ScenarioCase {
    const char* site;  // a small failing site of tests/test_server.py
    PageText notes;
    int lastArticle;
};

// Every note, from a run through WinInet at the default window.
TEST(WindowsClipRunTest, StatusNamesWhatWentWrong) {
    const PageText base = testing::TestSiteBase();
    ASSERT_FALSE(base.empty()) << "the test site is not running (CTest starts it)";
    const ScenarioCase cases[] = {
        {"notes", " (2 pages could not be read)", 4},
        {"gone",
         " (stopped: the site refused 5 times in a row (HTTP status 503); 5 pages could "
         "not be read)",
         11},
        {"undated", " (stopped: 50 pages in a row had no date)", 11},
    };
    for (const ScenarioCase& expected : cases) {
        SCOPED_TRACE(expected.site);
        const PageText site = base + "/site/" + expected.site;
        const ClipFolder folder;

        const std::vector<PageText> statuses = StatusesOfRun(site, folder);

        EXPECT_EQ(statuses.back(),
                  "Saved to " + folder.Path() + "\\2008-07-16.html" + expected.notes);
        EXPECT_EQ(statuses[statuses.size() - 2],
                  "Reading..." + site + "/arti/" + std::to_string(expected.lastArticle) + ".html");
    }
}

struct NoAnswerCase {
    PageText site;
    const char* cause;
};

// The list page unanswered: nothing is written, and the status says why. The
// retries' pauses are the engine tests'; here they are not waited out.
TEST(WindowsClipRunTest, NoAnswerNamesItsCause) {
    const PageText refused = testing::RefusedBase();
    ASSERT_FALSE(refused.empty()) << "the test site is not running (CTest starts it)";
    const NoAnswerCase cases[] = {
        {testing::UntrustedBase(), " (the site's certificate is not trusted)"},
        {"https://localhost" + refused.substr(refused.rfind(':')), " (connection refused)"},
        {testing::UnknownHostBase(), " (host name not found)"},
    };
    for (const NoAnswerCase& expected : cases) {
        SCOPED_TRACE(expected.site);
        const ClipFolder folder;
        testing::FakePause pause;

        const std::vector<PageText> statuses = StatusesOfRun(expected.site, folder, pause);

        EXPECT_EQ(statuses.back(), "No answer from " + expected.site +
                                       "/kisa/list/total/home01.html" + expected.cause);
        EXPECT_TRUE(fs::is_empty(folder.Path()));
    }
}

}  // namespace
}  // namespace wendrel
