// The one application object: its InitInstance is the program's start-up, run
// by the entry point, and ExitInstance its end.
#pragma once

#include <windows.h>

#include <string>

#include "win/wnd.h"

class CWinApp {
  public:
    // Registers this object as the application; there is exactly one.
    CWinApp();
    virtual ~CWinApp();
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    // The result asks for a message loop after start-up; no program here
    // needs one, so the process ends either way.
    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance();

    // Names where profile settings would be kept; nothing is stored there.
    void SetRegistryKey(const char* key) { m_registryKey = key; }

    CWnd* m_pMainWnd = nullptr;

  private:
    std::string m_registryKey;
};

CWinApp* AfxGetApp();

// The executable's file name without its extension: the caption of the
// application's message boxes.
std::string AfxGetAppName();

// Dialogs here host no ActiveX controls, so there is no control site to set up.
inline void AfxEnableControlContainer() {}

// COM on this thread, until ExitInstance; the shell's dialogs need it.
bool AfxOleInit();
