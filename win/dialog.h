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
    // IDOK and IDCANCEL, from their buttons, Enter, Escape and the close box.
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

    void EndDialog(int result) { ::EndDialog(m_hWnd, result); }

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    INT_PTR GuardedMessage(UINT message, WPARAM wParam);
    INT_PTR HandleMessage(UINT message, WPARAM wParam);
    HWND BoxOwner(UINT message) const;
    BOOL InitDialog();

    UINT m_templateId;
    CWnd* m_parent;
};
