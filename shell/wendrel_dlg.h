// Wendrel's one window: the since date, the save folder, the status line, the
// run's progress and the Run and Quit buttons. Run starts one clip run, which
// works on a thread of its own while the dialog answers; the dialog stays
// open after it.
#pragma once

#include <windows.h>

#include <atomic>
#include <exception>
#include <optional>
#include <string>

#include "engine/clip_front_end.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "engine/walk_span.h"
#include "win/busy_cursor.h"
#include "win/dialog.h"
#include "win/wnd.h"
#include "win/worker_thread.h"

class CWendrelDlg : public CDialog, private wendrel::ClipFrontEnd {
  public:
    // The run reads the site through fetcher and writes its clip through writer.
    CWendrelDlg(wendrel::PageFetcher& fetcher, wendrel::ClipDisk& writer);
    // A run still working is stopped and waited for.
    ~CWendrelDlg() override;
    CWendrelDlg(const CWendrelDlg&) = delete;
    CWendrelDlg& operator=(const CWendrelDlg&) = delete;

    BOOL OnInitDialog() override;
    // Run; while a run works, Stop.
    void OnOK() override;
    // Quit; while a run works, once it has stopped and saved what it read.
    void OnCancel() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(int id, int code) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;
    bool OnEscape() override;
    bool OnSetCursor(UINT hitTest) override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    void OnBrowse();
    void StartRun();
    void OnRunEnded();
    void ShowRunning(bool running);
    void ShowShare(std::optional<double> share);

    // What the run asks of the dialog, on the run's thread.
    wendrel::CalendarDate SinceDate() override;
    wendrel::PageText FolderText() override;
    void SetStatusText(const wendrel::PageText& text) override;
    void ShowWaitCursor() override;
    void RemoveWaitCursor() override;
    bool StopAsked() override;
    void ArticleRead(const wendrel::WalkProgress& progress) override;

    std::string m_strIniPath;
    HICON m_hIcon;
    CButton m_run;
    CStatic m_status;
    CDateTimeCtrl m_datePicker;
    CEdit m_folderEdit;
    CButton m_browse;
    CProgressCtrl m_progress;

    wendrel::PageFetcher& m_fetcher;
    wendrel::ClipDisk& m_writer;
    CBusyCursor m_busyCursor;
    // What the run reads of the dialog, taken as it starts: the controls it
    // comes from take no input until it ends.
    wendrel::CalendarDate m_since{};
    wendrel::PageText m_folder;
    // The run's own while it works.
    std::optional<wendrel::WalkSpan> m_span;
    bool m_saved = false;
    std::atomic<bool> m_stopAsked{false};
    bool m_closeWhenEnded = false;
    DWORD m_runStartedAt = 0;  // tick count
    // Last, so that it is taken back before anything the run uses goes.
    CWorkerThread m_worker;
};
