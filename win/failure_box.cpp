#include "win/failure_box.h"

#include "win/win_app.h"

namespace {

// 메모리가 부족합니다.
constexpr char kOutOfMemoryText[] =
    "\xB8\xDE\xB8\xF0\xB8\xAE\xB0\xA1 \xBA\xCE\xC1\xB7\xC7\xD5\xB4\xCF\xB4\xD9.";

void ShowBox(HWND owner, const char* text, UINT type) {
    ::MessageBoxA(owner, text, AfxGetAppName().c_str(), MB_OK | type);
}

}  // namespace

void ShowMemoryFailure(HWND owner) {
    ShowBox(owner, kOutOfMemoryText, MB_ICONEXCLAMATION | MB_SYSTEMMODAL);
}

void ShowFailure(HWND owner, const std::exception& failure) {
    ShowBox(owner, failure.what(), MB_ICONSTOP);
}
