#include "tests/dialog_driver.h"

#include <commctrl.h>

namespace wendrel::testing {

namespace {

DialogDriver* current = nullptr;

constexpr int kMessageBoxTextId = 0xFFFF;

std::string WindowText(HWND window) {
    char text[1024] = "";
    ::GetWindowTextA(window, text, sizeof text);
    return text;
}

// Windows and Wine give the icon's control different ids: find it by its style.
HICON BoxIcon(HWND box) {
    for (HWND child = ::GetWindow(box, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        if ((::GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
            return reinterpret_cast<HICON>(::SendMessageA(child, STM_GETICON, 0, 0));
        }
    }
    return nullptr;
}

bool IsDialogBox(HWND window) {
    char name[16] = "";
    ::GetClassNameA(window, name, sizeof name);
    return std::string(name) == "#32770";
}

}  // namespace

DialogDriver::DialogDriver()
    : m_hook(::SetWindowsHookExA(WH_CBT, WatchActivation, nullptr, ::GetCurrentThreadId())) {
    current = this;
}

DialogDriver::~DialogDriver() {
    ::UnhookWindowsHookEx(m_hook);
    current = nullptr;
}

INT_PTR DialogDriver::Run(CDialog& dialog, const std::function<void(HWND)>& whileOpen) {
    m_dialog = &dialog;
    m_whileOpen = whileOpen;
    const UINT_PTR start = ::SetTimer(nullptr, 0, 10, Start);
    const UINT_PTR giveUp = ::SetTimer(nullptr, 0, kGiveUpMs, GiveUp);
    const INT_PTR result = dialog.DoModal();
    ::KillTimer(nullptr, start);
    ::KillTimer(nullptr, giveUp);
    m_dialog = nullptr;
    return result;
}

void CALLBACK DialogDriver::Start(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    current->m_whileOpen(current->m_dialog->m_hWnd);
}

// A box that never became ready is cancelled too: its modal loop would
// otherwise keep the dialog's end waiting until the test's time ran out.
void CALLBACK DialogDriver::GiveUp(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    for (HWND box : current->m_openBoxes) {
        ::PostMessageA(box, WM_COMMAND, IDCANCEL, 0);
    }
    current->m_openBoxes.clear();
    ::EndDialog(current->m_dialog->m_hWnd, kLeftOpen);
}

// A box is activated before it is filled in, and may be activated again:
// each new one is read and answered from the modal loop it runs.
LRESULT CALLBACK DialogDriver::WatchActivation(int code, WPARAM wParam, LPARAM lParam) {
    auto* const window = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && current->m_dialog != nullptr &&
        window != current->m_dialog->m_hWnd && IsDialogBox(window) &&
        current->m_seenBoxes.insert(window).second) {
        current->m_openBoxes.push_back(window);
        ::SetTimer(nullptr, 0, 10, AnswerBoxes);
    }
    return ::CallNextHookEx(current->m_hook, code, wParam, lParam);
}

void CALLBACK DialogDriver::AnswerBoxes(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    std::vector<HWND> waiting;
    for (HWND box : current->m_openBoxes) {
        if (!current->isReady(box)) {
            waiting.push_back(box);
            continue;
        }
        current->boxes.push_back(
            CapturedBox{WindowText(box), WindowText(::GetDlgItem(box, kMessageBoxTextId)),
                        BoxIcon(box), (::GetWindowLongA(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0});
        ::PostMessageA(box, WM_COMMAND, current->answer, 0);
    }
    current->m_openBoxes = waiting;
    if (!waiting.empty()) {
        ::SetTimer(nullptr, 0, 10, AnswerBoxes);
    }
}

bool PumpUntil(HWND dialog, const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = ::GetTickCount();
    while (!done()) {
        if (::GetTickCount() - start > timeoutMs) {
            return false;
        }
        // Woken by a message, or after a while to look again.
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        MSG message;
        while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                ::PostQuitMessage(static_cast<int>(message.wParam));
                return false;
            }
            if (!::IsWindow(dialog) || !::IsDialogMessageA(dialog, &message)) {
                ::TranslateMessage(&message);
                ::DispatchMessageA(&message);
            }
        }
    }
    return true;
}

void Click(HWND dialog, int id) {
    ::SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(dialog, id)));
}

void PostKey(HWND dialog, WPARAM key) {
    const HWND focus = ::GetFocus();
    ::PostMessageA(focus != nullptr ? focus : dialog, WM_KEYDOWN, key, 0);
    ::PostMessageA(focus != nullptr ? focus : dialog, WM_KEYUP, key, 0xC0000001);
}

}  // namespace wendrel::testing
