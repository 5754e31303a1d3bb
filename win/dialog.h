// A modal dialog built from a template in the module's resources. Derived
// classes override the virtual member of each message they handle.
#pragma once

#include <windows.h>

#include "win/wnd.h"

class CDialog;

// Passed to DoDataExchange while the dialog initialises.
class CDataExchange {
  public:
    explicit CDataExchange(CDialog& dialog) : m_dialog(dialog) {}
    CDialog& m_dialog;
};

// Binds control to the dialog's child window with id.
void DDX_Control(CDataExchange* pDX, int id, CWnd& control);

class CDialog : public CWnd {
  public:
    CDialog(UINT templateId, CWnd* parent);

    // Shows the dialog and returns the result it ended with, or -1 when it
    // could not be created or its initialisation failed.
    INT_PTR DoModal();

    // Binds the controls; TRUE lets Windows focus the first tab stop.
    virtual BOOL OnInitDialog();
    // IDOK and IDCANCEL, from their buttons, Enter, Escape, the close box and
    // Alt+F4.
    virtual void OnOK();
    virtual void OnCancel();

  protected:
    virtual void DoDataExchange(CDataExchange* pDX);
    // WM_COMMAND; false leaves it to Windows. Every handler runs inside the
    // guard that reports failures.
    virtual bool OnCommand(int id, int code);
    virtual void OnPaint();
    // The image to drag a minimised dialog with; null for Windows' own.
    virtual HCURSOR OnQueryDragIcon() { return nullptr; }
    // Escape, pressed in the dialog, before Windows turns it into IDCANCEL
    // as it does Quit and the close box; true when the key was handled.
    virtual bool OnEscape() { return false; }
    // WM_SETCURSOR over the dialog or one of its controls; true when the
    // cursor was set.
    virtual bool OnSetCursor(UINT hitTest) {
        static_cast<void>(hitTest);
        return false;
    }
    // Any other message, such as one the dialog posted itself; true when
    // handled. Runs inside the guard, like every handler.
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
        static_cast<void>(message), static_cast<void>(wParam), static_cast<void>(lParam);
        return false;
    }

    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }
    // Moves the keyboard focus to control, as the Tab key would.
    void GotoDlgCtrl(const CWnd& control) {
        ::SendMessageA(m_hWnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control.m_hWnd), TRUE);
    }

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK FilterDialogMessage(int code, WPARAM wParam, LPARAM lParam);
    template <typename Handler>
    INT_PTR Guarded(UINT message, Handler handle);
    INT_PTR HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    HWND BoxOwner(UINT message) const;
    BOOL InitDialog();

    UINT m_templateId;
    CWnd* m_parent;
};
