#include "shell/wendrel_app.h"

#include <commctrl.h>

#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "shell/wendrel_dlg.h"

namespace {

// 로컬 응용 프로그램 마법사에서 생성된 응용 프로그램
constexpr char kRegistryKey[] =
    "\xB7\xCE\xC4\xC3 \xC0\xC0\xBF\xEB \xC7\xC1\xB7\xCE\xB1\xD7\xB7\xA5 \xB8\xB6\xB9\xFD\xBB\xE7"
    "\xBF\xA1\xBC\xAD \xBB\xFD\xBC\xBA\xB5\xC8 \xC0\xC0\xBF\xEB \xC7\xC1\xB7\xCE\xB1\xD7\xB7\xA5";

}  // namespace

CWendrelApp theApp;

BOOL CWendrelApp::InitInstance() {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&controls);

    CWinApp::InitInstance();
    AfxEnableControlContainer();
    SetRegistryKey(kRegistryKey);
    // The resizable folder picker needs COM on this thread.
    AfxOleInit();

    wendrel::InternetPageFetcher fetcher;
    wendrel::SystemClipDisk writer;
    CWendrelDlg dlg(fetcher, writer);
    m_pMainWnd = &dlg;
    dlg.DoModal();
    m_pMainWnd = nullptr;
    return FALSE;
}
