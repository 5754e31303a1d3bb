// The application: start-up runs the main dialog, and the process ends when
// the dialog closes.
#pragma once

#include <windows.h>

#include "win/win_app.h"

class CWendrelApp : public CWinApp {
  public:
    BOOL InitInstance() override;
};

extern CWendrelApp theApp;
