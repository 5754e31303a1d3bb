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
    // Paints now what is invalid, for code that keeps the thread busy.
    void UpdateWindow() const { ::UpdateWindow(m_hWnd); }
    LRESULT SendMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        return ::SendMessageA(m_hWnd, message, wParam, lParam);
    }
    bool IsIconic() const { return ::IsIconic(m_hWnd) != FALSE; }

    HWND m_hWnd = nullptr;
};

class CStatic : public CWnd {};

class CEdit : public CWnd {};

class CDateTimeCtrl : public CWnd {
  public:
    // The picked date and time, in local time; GDT_VALID or GDT_NONE.
    DWORD GetTime(SYSTEMTIME& time) const;
};
