#include "shell/wendrel_dlg.h"

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
#include "win/paint_messages.h"
#include "win/system_message.h"

namespace {

constexpr char kCaptionSuffix[] = " v0.1";

}  // namespace

CWendrelDlg::CWendrelDlg(wendrel::PageFetcher& fetcher, wendrel::ClipFileWriter& writer)
    : CDialog(IDD_WENDREL_DIALOG, nullptr),
      m_hIcon(::LoadIconA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))),
      m_fetcher(fetcher),
      m_writer(writer) {}

void CWendrelDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_STATUS, m_status);
    DDX_Control(pDX, IDC_DATE, m_datePicker);
    DDX_Control(pDX, IDC_FOLDER, m_folderEdit);
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
    return TRUE;
}

// One clip run; the dialog stays open whatever its outcome.
void CWendrelDlg::OnOK() {
    try {
        wendrel::WalkLimits limits;
        limits.connections = LoadConnections(m_strIniPath);
        wendrel::RunClip(*this, m_fetcher, m_writer, wendrel::SiteBase(), limits);
    } catch (const wendrel::InvalidArgumentFailure& failure) {
        // The system describes the status in the user's language when it can.
        const std::string systemText = SystemMessageText(wendrel::InvalidArgumentFailure::kStatus);
        throw std::runtime_error(systemText.empty() ? failure.what() : systemText);
    }
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

// The picker holds the local date the user sees; it has no empty state.
wendrel::CalendarDate CWendrelDlg::SinceDate() {
    SYSTEMTIME time{};
    m_datePicker.GetTime(time);
    return wendrel::CalendarDate{time.wYear, time.wMonth, time.wDay};
}

wendrel::PageText CWendrelDlg::FolderText() {
    return m_folderEdit.GetWindowText();
}

// The run keeps the thread from painting: show each status as it is set.
void CWendrelDlg::SetStatusText(const wendrel::PageText& text) {
    m_status.SetWindowText(text);
    m_status.UpdateWindow();
}

void CWendrelDlg::ShowWaitCursor() {
    m_waitCursor.emplace();
}

void CWendrelDlg::RemoveWaitCursor() {
    m_waitCursor.reset();
}

// Nothing asks yet: the run still holds the dialog's thread.
bool CWendrelDlg::StopAsked() {
    return m_stopAsked;
}
