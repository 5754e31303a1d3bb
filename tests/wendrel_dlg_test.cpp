#include "shell/wendrel_dlg.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <new>
#include <regex>
#include <string>
#include <utility>
#include <vector>

#include "engine/failure.h"
#include "engine/settings_file.h"
#include "engine/store/clip_file.h"
#include "res/resource.h"
#include "shell/save_folder.h"
#include "tests/dialog_driver.h"
#include "tests/fakes.h"
#include "tests/test_site.h"
#include "win/system_message.h"
#include "win/win_app.h"

namespace wendrel::testing {
namespace {

// 메모리가 부족합니다.
constexpr char kOutOfMemory[] =
    "\xB8\xDE\xB8\xF0\xB8\xAE\xB0\xA1 \xBA\xCE\xC1\xB7\xC7\xD5\xB4\xCF\xB4\xD9.";
// 내부 응용 프로그램 오류입니다.
constexpr char kInternalError[] =
    "\xB3\xBB\xBA\xCE \xC0\xC0\xBF\xEB \xC7\xC1\xB7\xCE\xB1\xD7\xB7\xA5 \xBF\xC0\xB7\xF9\xC0\xD4"
    "\xB4\xCF\xB4\xD9.";

// A site whose every request fails the way the test asks.
class FailingSite : public PageFetcher {
  public:
    explicit FailingSite(std::function<void()> fail) : m_fail(std::move(fail)) {}
    using PageFetcher::ReadUrl;
    FetchResult ReadUrl(const PageText&, PageText&, AbandonSignal&) override {
        m_fail();
        return {};
    }

  private:
    std::function<void()> m_fail;
};

std::string FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool Exists(const std::string& path) {
    return ::GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string Text(HWND dialog, int id) {
    char text[1024] = "";
    ::GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

constexpr char kRunCaption[] = "\xBD\xC7\xC7\xE0";   // 실행
constexpr char kStopCaption[] = "\xC1\xDF\xC1\xF6";  // 중지

// Between runs every control takes input again and Run reads Run.
bool Idle(HWND dialog) {
    return ::IsWindowEnabled(::GetDlgItem(dialog, IDC_BROWSE)) != FALSE;
}

void AwaitRunEnd(HWND dialog) {
    EXPECT_TRUE(PumpUntil(dialog, [dialog] { return Idle(dialog); })) << "the run did not end";
}

int BarPosition(HWND dialog) {
    return static_cast<int>(::SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETPOS, 0, 0));
}

int BarFull(HWND dialog) {
    return static_cast<int>(::SendDlgItemMessageA(dialog, IDC_PROGRESS, PBM_GETRANGE, FALSE, 0));
}

// The cursor the dialog sets over its status line, as a move of the mouse asks.
HCURSOR CursorOverStatus(HWND dialog) {
    const HWND status = ::GetDlgItem(dialog, IDC_STATUS);
    ::SendMessageA(status, WM_SETCURSOR, reinterpret_cast<WPARAM>(status),
                   MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return ::GetCursor();
}

void PickDate(HWND dialog, WORD year, WORD month, WORD day) {
    SYSTEMTIME date{};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    ::SendDlgItemMessageA(dialog, IDC_DATE, DTM_SETSYSTEMTIME, GDT_VALID,
                          reinterpret_cast<LPARAM>(&date));
}

class WendrelDlgTest : public ::testing::Test {
  protected:
    void SetUp() override {
        _putenv_s("WENDREL_SITE", kBase);
        ::DeleteFileA(SettingsFilePath().c_str());
        char temp[MAX_PATH] = "";
        ::GetTempPathA(MAX_PATH, temp);
        m_folder =
            std::string(temp) + "wendrel_dlg_test_" + std::to_string(::GetCurrentProcessId());
        ::CreateDirectoryA(m_folder.c_str(), nullptr);

        site.SetNewest(3);
        site.SetArticle(3, ArticlePage("2008-07-17", "T3", "B3"));
        site.SetArticle(2, ArticlePage("2008-07-16", "T2", "B2"));
        site.SetArticle(1, ArticlePage("2008-07-15", "T1", "B1"));
    }
    void TearDown() override {
        ::DeleteFileA(ClipPath().c_str());
        ::RemoveDirectoryA(m_folder.c_str());
    }

    // Puts the test's folder into the field and picks the date of the test site.
    void PrepareRun(HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_FOLDER, m_folder.c_str());
        PickDate(dialog, 2008, 7, 16);
    }
    std::string ClipPath() const { return m_folder + "\\2008-07-16.html"; }

    FakeSite site;
    SystemClipDisk writer;
    DialogDriver driver;
    std::string m_folder;
};

TEST_F(WendrelDlgTest, OpensCentredWithCaptionFocusOnRunAndTheExecutablesFolder) {
    CWendrelDlg dialog(site, writer);
    std::string folder;
    GetModuleFolder(folder);
    SYSTEMTIME today;
    ::GetLocalTime(&today);

    const INT_PTR result = driver.Run(dialog, [&](HWND window) {
        char caption[64] = "";
        ::GetWindowTextA(window, caption, sizeof caption);
        EXPECT_STREQ(caption, "Wendrel v0.1");
        EXPECT_EQ(::GetFocus(), ::GetDlgItem(window, IDOK));
        EXPECT_EQ(Text(window, IDC_FOLDER), folder);
        EXPECT_EQ(folder.back(), '\\');
        EXPECT_EQ(Text(window, IDC_STATUS), "");
        SYSTEMTIME shown{};
        ::SendDlgItemMessageA(window, IDC_DATE, DTM_GETSYSTEMTIME, 0,
                              reinterpret_cast<LPARAM>(&shown));
        EXPECT_EQ(std::make_tuple(shown.wYear, shown.wMonth, shown.wDay),
                  std::make_tuple(today.wYear, today.wMonth, today.wDay));
        EXPECT_NE(::GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_APPWINDOW, 0);
        EXPECT_NE(::SendMessageA(window, WM_GETICON, ICON_BIG, 0), 0);

        RECT frame;
        ::GetWindowRect(window, &frame);
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        ::GetMonitorInfoA(::MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
        EXPECT_NEAR(frame.left + frame.right, monitor.rcWork.left + monitor.rcWork.right, 1);
        EXPECT_NEAR(frame.top + frame.bottom, monitor.rcWork.top + monitor.rcWork.bottom, 1);
        Click(window, IDCANCEL);
    });

    EXPECT_EQ(result, IDCANCEL);
}

TEST_F(WendrelDlgTest, RunWritesTheClipReportsItAndStaysOpenForASecondRun) {
    CWendrelDlg dialog(site, writer);
    std::string firstClip;
    std::string firstStatus;

    int barBefore = -1;
    int barAfter = -1;

    const INT_PTR result = driver.Run(dialog, [&](HWND window) {
        PrepareRun(window);
        barBefore = BarPosition(window);
        Click(window, IDOK);
        AwaitRunEnd(window);
        firstClip = FileBytes(ClipPath());
        firstStatus = Text(window, IDC_STATUS);
        barAfter = BarPosition(window) - BarFull(window);

        site.SetArticle(3, ArticlePage("2008-07-17", "T3 again", "B3 again"));
        Click(window, IDOK);
        AwaitRunEnd(window);
        Click(window, IDCANCEL);
    });

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(firstClip, CleanedArticle(3, "T3", "B3") + CleanedArticle(2, "T2", "B2"));
    EXPECT_EQ(firstStatus, "Saved to " + ClipPath());
    EXPECT_EQ(barBefore, 0);
    EXPECT_EQ(barAfter, 0) << "the bar is full once the run saved";
    EXPECT_EQ(FileBytes(ClipPath()),
              CleanedArticle(3, "T3 again", "B3 again") + CleanedArticle(2, "T2", "B2"));
    EXPECT_TRUE(driver.boxes.empty());
}

TEST_F(WendrelDlgTest, MissingFolderShowsTheBadPathBoxAndLeavesTheDialogUsable) {
    CWendrelDlg dialog(site, writer);
    const std::string missing = m_folder + "\\missing";
    std::string statusAfterFailure;
    std::string runCaptionAfterFailure;

    driver.Run(dialog, [&](HWND window) {
        PrepareRun(window);
        ::SetDlgItemTextA(window, IDC_FOLDER, missing.c_str());
        Click(window, IDOK);
        AwaitRunEnd(window);
        statusAfterFailure = Text(window, IDC_STATUS);
        runCaptionAfterFailure = Text(window, IDOK);

        ::SetDlgItemTextA(window, IDC_FOLDER, m_folder.c_str());
        Click(window, IDOK);
        AwaitRunEnd(window);
        Click(window, IDCANCEL);
    });

    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(driver.boxes[0].caption, AfxGetAppName());
    EXPECT_EQ(driver.boxes[0].text,
              FileFailureText(FileCause::badPath, missing + "\\2008-07-16.html"));
    EXPECT_EQ(driver.boxes[0].icon, ::LoadIconA(nullptr, IDI_HAND));
    EXPECT_FALSE(driver.boxes[0].topmost);
    EXPECT_EQ(statusAfterFailure, "Reading...");
    EXPECT_EQ(runCaptionAfterFailure, kRunCaption);
    EXPECT_TRUE(Exists(ClipPath()));
}

// Memory runs out: a system-modal exclamation box. An invalid argument: a stop
// box with the system's own text for its status. The dialog stays usable.
TEST_F(WendrelDlgTest, FailuresOfTheRunShowTheirOwnBoxes) {
    const std::string systemText = SystemMessageText(InvalidArgumentFailure::kStatus);
    const struct {
        const char* name;
        std::function<void()> fail;
        std::string text;
        LPCSTR icon;
        bool topmost;
    } cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, kOutOfMemory, IDI_EXCLAMATION, true},
        {"invalid argument", [] { throw InvalidArgumentFailure(); },
         systemText.empty() ? kInternalError : systemText, IDI_HAND, false},
    };
    for (const auto& c : cases) {
        FailingSite failing(c.fail);
        CWendrelDlg dialog(failing, writer);
        driver.boxes.clear();

        const INT_PTR result = driver.Run(dialog, [&](HWND window) {
            PrepareRun(window);
            Click(window, IDOK);
            AwaitRunEnd(window);
            Click(window, IDCANCEL);
        });

        EXPECT_EQ(result, IDCANCEL) << c.name;
        ASSERT_EQ(driver.boxes.size(), 1u) << c.name;
        EXPECT_EQ(driver.boxes[0].text, c.text) << c.name;
        EXPECT_EQ(driver.boxes[0].icon, ::LoadIconA(nullptr, c.icon)) << c.name;
        EXPECT_EQ(driver.boxes[0].topmost, c.topmost) << c.name;
        EXPECT_FALSE(Exists(ClipPath())) << c.name;
    }
}

// A dialog whose initialisation fails the way the test asks, after the
// settings are read and the texts built.
class FailingInitDlg : public CWendrelDlg {
  public:
    FailingInitDlg(PageFetcher& fetcher, ClipDisk& writer, std::function<void()> fail)
        : CWendrelDlg(fetcher, writer), m_fail(std::move(fail)) {}
    BOOL OnInitDialog() override {
        CWendrelDlg::OnInitDialog();
        m_fail();
        return TRUE;
    }

  private:
    std::function<void()> m_fail;
};

// A failure while the dialog initialises reaches the same boxes as one in a
// command, and the dialog never opens: start-up ends cleanly.
TEST_F(WendrelDlgTest, FailureWhileInitialisingShowsItsBoxAndTheDialogDoesNotOpen) {
    const struct {
        const char* name;
        std::function<void()> fail;
        std::string text;
        LPCSTR icon;
    } cases[] = {
        {"memory", [] { throw std::bad_alloc(); }, kOutOfMemory, IDI_EXCLAMATION},
        {"file", [] { throw FileFailure(FileCause::accessDenied, "C:\\x.ini"); },
         FileFailure(FileCause::accessDenied, "C:\\x.ini").what(), IDI_HAND},
    };
    for (const auto& c : cases) {
        FailingInitDlg dialog(site, writer, c.fail);
        driver.boxes.clear();
        bool opened = false;

        const INT_PTR result =
            driver.Run(dialog, [&](HWND window) { opened = ::IsWindowVisible(window) != FALSE; });

        EXPECT_EQ(result, -1) << c.name;
        EXPECT_FALSE(opened) << c.name;
        ASSERT_EQ(driver.boxes.size(), 1u) << c.name;
        EXPECT_EQ(driver.boxes[0].caption, AfxGetAppName()) << c.name;
        EXPECT_EQ(driver.boxes[0].text, c.text) << c.name;
        EXPECT_EQ(driver.boxes[0].icon, ::LoadIconA(nullptr, c.icon)) << c.name;
    }
}

void PressAltF4(HWND dialog) {
    const HWND focus = ::GetFocus();
    ::PostMessageA(focus != nullptr ? focus : dialog, WM_SYSKEYDOWN, VK_F4, KF_ALTDOWN << 16 | 1);
}

// The ways to end the dialog other than Escape, which stops a run instead.
const std::vector<std::pair<const char*, std::function<void(HWND)>>> kQuits = {
    {"Quit", [](HWND window) { Click(window, IDCANCEL); }},
    {"close box", [](HWND window) { ::PostMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0); }},
    {"Alt+F4", PressAltF4},
};

// Quit, Escape, the close box and Alt+F4 all end an idle dialog; none writes
// the settings.
TEST_F(WendrelDlgTest, QuitEscapeAndCloseEndTheDialogWithoutTouchingTheSettings) {
    std::vector<std::pair<const char*, std::function<void(HWND)>>> ways = kQuits;
    ways.emplace_back("Escape", [](HWND window) { PostKey(window, VK_ESCAPE); });
    for (const auto& [name, end] : ways) {
        CWendrelDlg dialog(site, writer);
        EXPECT_EQ(driver.Run(dialog, end), IDCANCEL) << name;
        EXPECT_FALSE(Exists(SettingsFilePath())) << name;
    }
}

TEST_F(WendrelDlgTest, EnterInTheFolderFieldStartsARun) {
    CWendrelDlg dialog(site, writer);

    driver.Run(dialog, [&](HWND window) {
        PrepareRun(window);
        ::SetFocus(::GetDlgItem(window, IDC_FOLDER));
        PostKey(window, VK_RETURN);
        EXPECT_TRUE(PumpUntil(window, [&] { return Exists(ClipPath()) && Idle(window); }));
        Click(window, IDCANCEL);
    });

    EXPECT_TRUE(Exists(ClipPath()));
}

// Run pressed, and the bar moved: a few articles are read, many are not.
// Once the bar moved and a double-click's time went by, Run reads Stop for good.
void StartAndAwaitProgress(HWND dialog) {
    const DWORD started = ::GetTickCount();
    Click(dialog, IDOK);
    EXPECT_TRUE(PumpUntil(dialog, [dialog, started] {
        return BarPosition(dialog) > 0 && ::GetTickCount() - started > ::GetDoubleClickTime();
    }));
}

// Runs against the test site's slow site: 300 articles of 2008-07-20 at
// 100 ms each, read one at a time, half a minute in all.
class WendrelDlgSlowSiteTest : public WendrelDlgTest {
  protected:
    void SetUp() override {
        WendrelDlgTest::SetUp();
        m_site = TestSiteBase() + "/site/slow";
        _putenv_s("WENDREL_SITE", m_site.c_str());
    }
    void TearDown() override {
        ::DeleteFileA(SlowClipPath().c_str());
        WendrelDlgTest::TearDown();
    }

    void PrepareSlowRun(HWND dialog) {
        ::SetDlgItemTextA(dialog, IDC_FOLDER, m_folder.c_str());
        PickDate(dialog, 2008, 7, 20);
    }
    std::string SlowClipPath() const { return m_folder + "\\2008-07-20.html"; }

    // The numbers of the articles in the clip, in its order.
    std::vector<int> ClippedArticles() const {
        const std::string clip = FileBytes(SlowClipPath());
        const std::regex address(R"(/site/slow/arti/(\d+)\.html<br></b>)");
        std::vector<int> numbers;
        for (auto it = std::sregex_iterator(clip.begin(), clip.end(), address);
             it != std::sregex_iterator(); ++it) {
            numbers.push_back(std::stoi((*it)[1]));
        }
        return numbers;
    }
    // Every article read before the stop, newest first, each once.
    void ExpectTheArticlesReadBeforeTheStop() const {
        const std::vector<int> numbers = ClippedArticles();
        ASSERT_FALSE(numbers.empty());
        EXPECT_LT(numbers.size(), 300u);
        for (std::size_t i = 0; i < numbers.size(); ++i) {
            EXPECT_EQ(numbers[i], 300 - static_cast<int>(i));
        }
    }

    std::unique_ptr<SystemPageFetcher> fetcher = TestSiteFetcher(std::chrono::seconds(10));
    std::string m_site;
};

// Escape, or Stop, ends a run at once; what was read is saved and the dialog
// stays open on the status, every control back, and runs again.
TEST_F(WendrelDlgSlowSiteTest, EscapeOrStopMidRunSavesWhatWasReadAndLeavesTheDialogOpen) {
    CWendrelDlg dialog(*fetcher, writer);
    const std::string stoppedStatus = "Saved to " + SlowClipPath() + " (stopped by the user";
    std::string runCaption;
    bool inputTaken = true;
    HCURSOR cursorDuringRun = nullptr;
    HCURSOR cursorAfterRun = nullptr;
    bool openAfterEscape = false;
    std::string statusAfterEscape;
    int barAfterEscape = -1;
    std::vector<int> firstClip;

    const INT_PTR result = driver.Run(dialog, [&](HWND window) {
        PrepareSlowRun(window);
        StartAndAwaitProgress(window);
        runCaption = Text(window, IDOK);
        for (int id : {IDC_DATE, IDC_FOLDER, IDC_BROWSE}) {
            inputTaken = inputTaken && ::IsWindowEnabled(::GetDlgItem(window, id));
        }
        cursorDuringRun = CursorOverStatus(window);

        PostKey(window, VK_ESCAPE);
        EXPECT_TRUE(PumpUntil(window, [&] { return Idle(window); }));
        openAfterEscape = ::IsWindowVisible(window) != FALSE;
        statusAfterEscape = Text(window, IDC_STATUS);
        barAfterEscape = BarPosition(window) - BarFull(window);
        cursorAfterRun = CursorOverStatus(window);
        firstClip = ClippedArticles();

        StartAndAwaitProgress(window);
        Click(window, IDOK);
        AwaitRunEnd(window);
        EXPECT_EQ(Text(window, IDC_STATUS).rfind(stoppedStatus, 0), 0u) << "Stop";
        Click(window, IDCANCEL);
    });

    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(runCaption, kStopCaption);
    EXPECT_FALSE(inputTaken) << "the date, the folder and its button wait for the run";
    EXPECT_EQ(cursorDuringRun, ::LoadCursorA(nullptr, IDC_APPSTARTING));
    EXPECT_EQ(cursorAfterRun, ::LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_TRUE(openAfterEscape) << "Escape stops the run, not the dialog";
    EXPECT_EQ(statusAfterEscape.rfind(stoppedStatus, 0), 0u) << statusAfterEscape;
    EXPECT_EQ(barAfterEscape, 0);
    ExpectTheArticlesReadBeforeTheStop();
    EXPECT_GE(ClippedArticles().size(), firstClip.size()) << "the second run merged";
    EXPECT_TRUE(driver.boxes.empty());
}

// Quit, the close box and Alt+F4 stop a run, and the dialog closes once what
// was read is saved.
TEST_F(WendrelDlgSlowSiteTest, QuitMidRunSavesWhatWasReadAndCloses) {
    for (const auto& [name, way] : kQuits) {
        const std::function<void(HWND)>& quit = way;
        CWendrelDlg dialog(*fetcher, writer);
        bool closed = false;

        const INT_PTR result = driver.Run(dialog, [&](HWND window) {
            PrepareSlowRun(window);
            StartAndAwaitProgress(window);
            quit(window);
            closed = PumpUntil(window, [window] { return !::IsWindowVisible(window); });
        });

        EXPECT_TRUE(closed) << name;
        EXPECT_EQ(result, IDCANCEL) << name;
        ExpectTheArticlesReadBeforeTheStop();
        ::DeleteFileA(SlowClipPath().c_str());
    }
}

// Run pressed twice in a row, as in a double click: one run, which the second
// press, on Stop by then, ends.
// A double-click on Run starts one run and does not stop it; a press later on
// stops it and starts nothing.
TEST_F(WendrelDlgSlowSiteTest, ASecondPressMidRunStartsNoSecondRun) {
    CWendrelDlg dialog(*fetcher, writer);
    const std::string listPage = m_site.substr(m_site.find("/site/")) + "/kisa";
    const auto listPagesAsked = [&] {
        const std::vector<std::string> seen = SeenRequests(*fetcher, TestSiteBase(), listPage);
        return std::count_if(seen.begin(), seen.end(),
                             [](const std::string& line) { return line.rfind("GET ", 0) == 0; });
    };
    const auto listPagesBefore = listPagesAsked();
    std::string status;

    driver.Run(dialog, [&](HWND window) {
        PrepareSlowRun(window);
        const HWND run = ::GetDlgItem(window, IDOK);
        const DWORD started = ::GetTickCount();
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(run));
        ::PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                       reinterpret_cast<LPARAM>(run));
        EXPECT_TRUE(PumpUntil(
            window, [&] { return ::GetTickCount() - started > 2 * ::GetDoubleClickTime(); }));
        EXPECT_EQ(Text(window, IDOK), kStopCaption) << "the double-click stopped the run";
        Click(window, IDOK);
        EXPECT_TRUE(
            PumpUntil(window, [&] { return !Text(window, IDC_STATUS).empty() && Idle(window); }));
        status = Text(window, IDC_STATUS);
        Click(window, IDCANCEL);
    });

    EXPECT_EQ(listPagesAsked(), listPagesBefore + 1);
    EXPECT_NE(status.find("stopped by the user"), std::string::npos) << status;
}

// The text of the item selected in the folder picker's tree.
std::string SelectedFolderName(HWND picker) {
    HWND tree = nullptr;
    ::EnumChildWindows(
        picker,
        [](HWND child, LPARAM found) {
            char name[32] = "";
            ::GetClassNameA(child, name, sizeof name);
            if (std::string(name) != WC_TREEVIEWA) {
                return TRUE;
            }
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&tree));
    char text[MAX_PATH] = "";
    TVITEMA item{};
    item.mask = TVIF_TEXT;
    item.hItem = TreeView_GetSelection(tree);
    item.pszText = text;
    item.cchTextMax = sizeof text;
    ::SendMessageA(tree, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return text;
}

// The driver polls every 10 ms: about two seconds between selection requests.
constexpr int kPollsPerSelectionRequest = 200;

// The picker opens on the field's folder; accepting it shows the folder's path
// without its trailing backslash and remembers it for the next start.
TEST_F(WendrelDlgTest, BrowseShowsAndRemembersTheAcceptedFolder) {
    CWendrelDlg dialog(site, writer);
    std::string shown;
    // The picker walks its tree down to the folder after it opens. Under load
    // Wine can drop the selection request that came while it still filled its
    // tree, so the request is repeated now and then until the folder shows.
    const std::string folderName = m_folder.substr(m_folder.rfind('\\') + 1);
    int polls = 0;
    driver.isReady = [&](HWND picker) {
        if (SelectedFolderName(picker) == folderName) {
            return true;
        }
        if (++polls % kPollsPerSelectionRequest == 0) {
            ::SendMessageA(picker, BFFM_SETSELECTIONA, TRUE,
                           reinterpret_cast<LPARAM>(m_folder.c_str()));
        }
        return false;
    };

    driver.Run(dialog, [&](HWND window) {
        ::SetDlgItemTextA(window, IDC_FOLDER, (m_folder + "\\").c_str());
        Click(window, IDC_BROWSE);
        shown = Text(window, IDC_FOLDER);
        Click(window, IDCANCEL);
    });
    const std::string remembered = LoadSaveFolder(SettingsFilePath());
    ::DeleteFileA(SettingsFilePath().c_str());

    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(shown, m_folder);
    EXPECT_EQ(remembered, m_folder);
}

TEST_F(WendrelDlgTest, CancelledBrowseChangesNothing) {
    CWendrelDlg dialog(site, writer);
    driver.answer = IDCANCEL;
    std::string shown;

    driver.Run(dialog, [&](HWND window) {
        ::SetDlgItemTextA(window, IDC_FOLDER, m_folder.c_str());
        Click(window, IDC_BROWSE);
        shown = Text(window, IDC_FOLDER);
        Click(window, IDCANCEL);
    });

    ASSERT_EQ(driver.boxes.size(), 1u);
    EXPECT_EQ(shown, m_folder);
    EXPECT_FALSE(Exists(SettingsFilePath()));
}

}  // namespace
}  // namespace wendrel::testing
