#include "win/wnd.h"

#include <commctrl.h>

std::string CWnd::GetWindowText() const {
    std::string text(static_cast<std::size_t>(::GetWindowTextLengthA(m_hWnd)) + 1, '\0');
    const int length = ::GetWindowTextA(m_hWnd, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<std::size_t>(length));
    return text;
}

void CWnd::SetWindowText(const std::string& text) {
    ::SetWindowTextA(m_hWnd, text.c_str());
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME& time) const {
    return static_cast<DWORD>(
        ::SendMessageA(m_hWnd, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&time)));
}

bool CWnd::HasFocus() const {
    const HWND focus = ::GetFocus();
    return focus != nullptr && (focus == m_hWnd || ::IsChild(m_hWnd, focus));
}

void CProgressCtrl::SetRange(int lower, int upper) {
    ::SendMessageA(m_hWnd, PBM_SETRANGE32, static_cast<WPARAM>(lower), upper);
}

void CProgressCtrl::SetPos(int position) {
    ::SendMessageA(m_hWnd, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void CProgressCtrl::SetMarquee(bool on) {
    const LONG style = ::GetWindowLongA(m_hWnd, GWL_STYLE);
    if (((style & PBS_MARQUEE) != 0) == on) {
        return;
    }
    ::SetWindowLongA(m_hWnd, GWL_STYLE, on ? style | PBS_MARQUEE : style & ~PBS_MARQUEE);
    ::SendMessageA(m_hWnd, PBM_SETMARQUEE, on ? TRUE : FALSE, 0);
}
