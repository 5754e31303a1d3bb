#include "win/win_app.h"

#include <objbase.h>
#include <ole2.h>

#include "win/module_path.h"

namespace {

CWinApp* theOnlyApp = nullptr;
bool oleStarted = false;

}  // namespace

CWinApp::CWinApp() {
    theOnlyApp = this;
}

CWinApp::~CWinApp() {
    theOnlyApp = nullptr;
}

int CWinApp::ExitInstance() {
    if (oleStarted) {
        ::OleUninitialize();
        oleStarted = false;
    }
    return 0;
}

CWinApp* AfxGetApp() {
    return theOnlyApp;
}

std::string AfxGetAppName() {
    return ModuleName();
}

bool AfxOleInit() {
    oleStarted = SUCCEEDED(::OleInitialize(nullptr));
    return oleStarted;
}
