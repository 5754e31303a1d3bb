#include "shell/wendrel_dlg.h"

#include <cmath>
#include <stdexcept>

#include "engine/clip_run.h"
#include "engine/failure.h"
#include "engine/settings_file.h"
#include "engine/site.h"
#include "res/resource.h"
#include "shell/fetch_settings.h"
#include "shell/folder_picker.h"
#include "shell/minimised_icon.h"
#include "shell/save_folder.h"
#include "win/paint_dc.h"
#include "win/system_message.h"

namespace {

constexpr char kCaptionSuffix[] = " v0.1";
constexpr char kRunCaption[] = "\xBD\xC7\xC7\xE0";   // 실행
constexpr char kStopCaption[] = "\xC1\xDF\xC1\xF6";  // 중지

// Posted by the run's thread as its last act.
constexpr UINT kRunEnded = WM_APP + 1;

// Steps of the progress bar: finer than its width in pixels.
constexpr int kProgressSteps = 1000;

// A failure of the run, thrown again on the dialog's thread for the guard to
// report. The system describes an invalid argument's status in the user's
// language when it can.
[[noreturn]] void RethrowForTheUser(const std::exception_ptr& failure) {
    try {
        std::rethrow_exception(failure);
    } catch (const wendrel::InvalidArgumentFailure& invalid) {
        const std::string systemText = SystemMessageText(wendrel::InvalidArgumentFailure::kStatus);
        throw std::runtime_error(systemText.empty() ? invalid.what() : systemText);
    }
}

bool Saved(wendrel::ClipOutcome outcome) {
    return outcome == wendrel::ClipOutcome::saved ||
           outcome == wendrel::ClipOutcome::savedWithNotes;
}

}  // namespace

CWendrelDlg::CWendrelDlg(wendrel::PageFetcher& fetcher, wendrel::ClipDisk& writer)
    : CDialog(IDD_WENDREL_DIALOG, nullptr),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_fetcher(fetcher),
      m_writer(writer) {}

CWendrelDlg::~CWendrelDlg() {
    m_stopAsked = true;
}

void CWendrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDOK, m_run);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_DATE, m_datePicker);
    DDX_Control(pDX, IDC_FOLDER, m_folderEdit);
    DDX_Control(pDX, IDC_BROWSE, m_browse);
    DDX_Control(pDX, IDC_PROGRESS, m_progress);
}

BOOL CWendrelDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    if (m_hIcon != nullptr) {
        SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(m_hIcon));
        SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_hIcon));
    }
    SetWindowText(GetWindowText() + kCaptionSuffix);
    m_strIniPath = wendrel::SettingsFilePath();
    m_folderEdit.SetWindowText(LoadSaveFolder(m_strIniPath));
    m_progress.SetRange(0, kProgressSteps);
    return TRUE;
}

// Run starts a run, Stop stops it; the second click of a double-click on Run
// lands on Stop and stops nothing.
void CWendrelDlg::OnOK() {
    if (!m_worker.Running()) {
        StartRun();
    } else if (::GetTickCount() - m_runStartedAt >= ::GetDoubleClickTime()) {
        m_stopAsked = true;
    }
}

void CWendrelDlg::OnCancel() {
    if (!m_worker.Running()) {
        CDialog::OnCancel();
        return;
    }
    m_closeWhenEnded = true;
    m_stopAsked = true;
}

// Escape stops a run and leaves the dialog open on its status; without a
// run it ends the dialog, as Quit does.
bool CWendrelDlg::OnEscape() {
    if (!m_worker.Running()) {
        return false;
    }
    m_stopAsked = true;
    return true;
}

// One clip run on the values the dialog shows now; the dialog answers while
// it works, and only Stop and Quit reach it. The picker holds the local date
// the user sees; it has no empty state.
void CWendrelDlg::StartRun() {
    wendrel::WalkLimits limits;
    limits.connections = LoadConnections(m_strIniPath);
    limits.siteAsWritten = wendrel::SiteAsWritten();
    const wendrel::PageText site = wendrel::SiteBase();
    SYSTEMTIME picked{};
    m_datePicker.GetTime(picked);
    m_since = wendrel::CalendarDate{picked.wYear, picked.wMonth, picked.wDay};
    m_folder = m_folderEdit.GetWindowText();
    m_span.emplace(m_since);
    m_saved = false;
    m_stopAsked = false;
    m_closeWhenEnded = false;
    m_runStartedAt = ::GetTickCount();
    m_worker.Start(m_hWnd, kRunEnded, [this, site, limits] {
        m_saved = Saved(wendrel::RunClip(*this, m_fetcher, m_writer, site, limits));
    });
    ShowRunning(true);
}

bool CWendrelDlg::OnMessage(UINT message, WPARAM, LPARAM) {
    if (message != kRunEnded) {
        return false;
    }
    OnRunEnded();
    return true;
}

// Every control comes back whatever ended the run, before a failure's box
// shows; a Quit that waited for the run closes the dialog behind the box.
void CWendrelDlg::OnRunEnded() {
    const std::exception_ptr failure = m_worker.Finish();
    ShowRunning(false);
    m_progress.SetPos(m_saved ? kProgressSteps : 0);
    if (m_closeWhenEnded) {
        EndDialog(IDCANCEL);
    }
    if (failure) {
        RethrowForTheUser(failure);
    }
}

// While a run works, Run reads Stop, and nothing that would start something
// else takes input; the keyboard focus leaves what goes numb for Stop.
void CWendrelDlg::ShowRunning(bool running) {
    m_run.SetWindowText(running ? kStopCaption : kRunCaption);
    for (CWnd* control : {static_cast<CWnd*>(&m_datePicker), static_cast<CWnd*>(&m_folderEdit),
                          static_cast<CWnd*>(&m_browse)}) {
        if (running && control->HasFocus()) {
            GotoDlgCtrl(m_run);
        }
        control->EnableWindow(!running);
    }
    if (running) {
        m_progress.SetPos(0);
        ShowShare(std::nullopt);
        m_busyCursor.Show(m_hWnd);
    } else {
        m_progress.SetMarquee(false);
        m_busyCursor.Hide();
    }
}

// A span that cannot be divided yet, or at all, shows only that work goes on.
void CWendrelDlg::ShowShare(std::optional<double> share) {
    m_progress.SetMarquee(!share);
    if (share) {
        m_progress.SetPos(static_cast<int>(std::lround(*share * kProgressSteps)));
    }
}

bool CWendrelDlg::OnSetCursor(UINT hitTest) {
    return m_busyCursor.OnSetCursor(hitTest);
}

bool CWendrelDlg::OnCommand(int id, int code) {
    if (id == IDC_BROWSE && code == BN_CLICKED) {
        OnBrowse();
        return true;
    }
    return CDialog::OnCommand(id, code);
}

// A chosen folder replaces the field's text and is remembered; a cancelled
// picker, or an item with no folder on disk, changes nothing.
void CWendrelDlg::OnBrowse() {
    const std::optional<std::string> folder = PickFolder(m_hWnd, m_folderEdit.GetWindowText());
    if (!folder) {
        return;
    }
    m_folderEdit.SetWindowText(*folder);
    StoreSaveFolder(m_strIniPath, *folder);
}

void CWendrelDlg::OnPaint() {
    if (!IsIconic()) {
        CDialog::OnPaint();
        return;
    }
    CPaintDC paint(m_hWnd);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(paint.m_hDC), 0);
    RECT client;
    ::GetClientRect(m_hWnd, &client);
    const POINT origin =
        MinimisedIconOrigin(client.right - client.left, client.bottom - client.top,
                            ::GetSystemMetrics(SM_CXICON), ::GetSystemMetrics(SM_CYICON));
    if (m_hIcon != nullptr) {
        ::DrawIcon(paint.m_hDC, origin.x, origin.y, m_hIcon);
    }
}

HCURSOR CWendrelDlg::OnQueryDragIcon() {
    return static_cast<HCURSOR>(m_hIcon);
}

wendrel::CalendarDate CWendrelDlg::SinceDate() {
    return m_since;
}

wendrel::PageText CWendrelDlg::FolderText() {
    return m_folder;
}

// Sent to the dialog's thread, which paints it.
void CWendrelDlg::SetStatusText(const wendrel::PageText& text) {
    m_status.SetWindowText(text);
}

// The dialog's own thread shows the busy cursor for as long as the run
// works: a cursor set on the run's thread would never show.
void CWendrelDlg::ShowWaitCursor() {}

void CWendrelDlg::RemoveWaitCursor() {}

bool CWendrelDlg::StopAsked() {
    return m_stopAsked;
}

void CWendrelDlg::ArticleRead(const wendrel::WalkProgress& progress) {
    m_span->Pass(progress.date, progress.time);
    ShowShare(m_span->Share());
}
