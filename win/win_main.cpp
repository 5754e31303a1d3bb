// The process entry: the application object's start-up and exit, and nothing
// in between, since the program's dialog runs its own modal loop.
#include <windows.h>

#include "win/win_app.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    CWinApp* app = AfxGetApp();
    if (app == nullptr) {
        return 1;
    }
    app->InitInstance();
    return app->ExitInstance();
}
