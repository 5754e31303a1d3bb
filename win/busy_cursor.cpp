#include "win/busy_cursor.h"

namespace {

// Windows sets a cursor only as the mouse moves: ask the window under it to
// set its cursor now, as a move would, when that is window or a child of it.
void RefreshCursor(HWND window) {
    POINT mouse;
    if (window == nullptr || !::GetCursorPos(&mouse)) {
        return;
    }
    const HWND under = ::WindowFromPoint(mouse);
    if (under != window && !::IsChild(window, under)) {
        return;
    }
    const auto hitTest =
        static_cast<WORD>(::SendMessageA(under, WM_NCHITTEST, 0, MAKELPARAM(mouse.x, mouse.y)));
    ::SendMessageA(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under),
                   MAKELPARAM(hitTest, WM_MOUSEMOVE));
}

}  // namespace

void CBusyCursor::Show(HWND window) {
    m_window = window;
    RefreshCursor(m_window);
}

void CBusyCursor::Hide() {
    const HWND window = m_window;
    m_window = nullptr;
    RefreshCursor(window);
}

bool CBusyCursor::OnSetCursor(UINT hitTest) const {
    if (m_window == nullptr || hitTest != HTCLIENT) {
        return false;
    }
    ::SetCursor(::LoadCursorA(nullptr, IDC_APPSTARTING));
    return true;
}
