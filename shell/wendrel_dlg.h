// Wendrel's one window: the since date, the save folder, the status line and
// the Run and Quit buttons. Run performs one clip run and leaves the dialog open.
#pragma once

#include <windows.h>

#include <atomic>
#include <optional>
#include <string>

#include "engine/clip_front_end.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "win/dialog.h"
#include "win/wait_cursor.h"
#include "win/wnd.h"

class CWendrelDlg : public CDialog, private wendrel::ClipFrontEnd {
  public:
    // The run reads the site through fetcher and writes its clip through writer.
    CWendrelDlg(wendrel::PageFetcher& fetcher, wendrel::ClipFileWriter& writer);

    BOOL OnInitDialog() override;
    void OnOK() override;

  protected:
    void DoDataExchange(CDataExchange* pDX) override;
    bool OnCommand(int id, int code) override;
    void OnPaint() override;
    HCURSOR OnQueryDragIcon() override;

  private:
    void OnBrowse();

    wendrel::CalendarDate SinceDate() override;
    wendrel::PageText FolderText() override;
    void SetStatusText(const wendrel::PageText& text) override;
    void ShowWaitCursor() override;
    void RemoveWaitCursor() override;
    bool StopAsked() override;

    std::string m_strIniPath;
    HICON m_hIcon;
    CStatic m_status;
    CDateTimeCtrl m_datePicker;
    CEdit m_folderEdit;

    wendrel::PageFetcher& m_fetcher;
    wendrel::ClipFileWriter& m_writer;
    std::optional<CWaitCursor> m_waitCursor;
    std::atomic<bool> m_stopAsked{false};
};
