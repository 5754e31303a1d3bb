// A window that Windows owns, reached through its handle.
#pragma once

#include <windows.h>

#include <string>

class CWnd {
  public:
    CWnd() = default;
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
    virtual ~CWnd() = default;

    // Binds this object to a window created elsewhere, such as a dialog's control.
    void Attach(HWND window) { m_hWnd = window; }

    std::string GetWindowText() const;
    void SetWindowText(const std::string& text);
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }
    void EnableWindow(bool enable) const { ::EnableWindow(m_hWnd, enable ? TRUE : FALSE); }
    // Whether the keyboard focus is on this window or a child of it.
    bool HasFocus() const;

    HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CButton : public CWnd {};

// A bar that fills as work goes on, or in marquee mode shows only that it does.
class CProgressCtrl : public CWnd {
  public:
    void SetRange(int lower, int upper);
    void SetPos(int position);
    // Switches marquee mode on or off; a bar in it shows no position.
    void SetMarquee(bool on);
};

class CDateTimeCtrl : public CWnd {
  public:
    // The picked date and time, in local time; GDT_VALID or GDT_NONE.
    DWORD GetTime(SYSTEMTIME& time) const;
};
