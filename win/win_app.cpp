#include "win/win_app.h"

#include <objbase.h>
#include <ole2.h>

#include <cstdlib>

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
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char name[_MAX_FNAME] = "";
    _splitpath(path, nullptr, nullptr, name, nullptr);
    return name;
}

bool AfxOleInit() {
    oleStarted = SUCCEEDED(::OleInitialize(nullptr));
    return oleStarted;
}
