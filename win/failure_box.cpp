#include "win/failure_box.h"

#include "win/win_app.h"

namespace {

void ShowBox(HWND owner, const char* text, UINT type) {
    ::MessageBoxA(owner, text, AfxGetAppName().c_str(), MB_OK | type);
}

}  // namespace

void ShowMemoryFailure(HWND owner, const std::bad_alloc& failure) {
    ShowBox(owner, failure.what(), MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

void ShowFailure(HWND owner, const std::exception& failure) {
    ShowBox(owner, failure.what(), MB_ICONSTOP);
}
