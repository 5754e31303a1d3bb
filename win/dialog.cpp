#include "win/dialog.h"

#include <commctrl.h>

#include <exception>
#include <new>

#include "win/failure_box.h"
#include "win/paint_dc.h"

namespace {

// Where a dialog's window keeps the object that drives it, for the message
// filter, which meets every dialog of the thread.
constexpr char kDialogProperty[] = "CDialog";

// Windows has no date picker or progress bar class until asked for one, and a
// template may hold them.
void RegisterTemplateControlClasses() {
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_DATE_CLASSES | ICC_PROGRESS_CLASS};
    ::InitCommonControlsEx(&classes);
}

// An ownerless dialog that its template put at 0, 0 and that nobody moved while
// it initialised would open in the screen's corner: centre it on its monitor.
void CentreWhenUnplaced(HWND dialog, const RECT& before) {
    RECT now;
    ::GetWindowRect(dialog, &now);
    const LONG style = ::GetWindowLongA(dialog, GWL_STYLE);
    if (now.left != before.left || now.top != before.top || now.left != 0 || now.top != 0 ||
        (style & (DS_CENTER | DS_CENTERMOUSE | DS_ABSALIGN)) != 0 ||
        ::GetWindow(dialog, GW_OWNER) != nullptr) {
        return;
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    ::GetMonitorInfoA(::MonitorFromWindow(dialog, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    const LONG width = now.right - now.left;
    const LONG height = now.bottom - now.top;
    ::SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                   work.top + (work.bottom - work.top - height) / 2, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void DDX_Control(CDataExchange* pDX, int id, CWnd& control) {
    control.Attach(::GetDlgItem(pDX->m_dialog.m_hWnd, id));
}

CDialog::CDialog(UINT templateId, CWnd* parent) : m_templateId(templateId), m_parent(parent) {}

// The modal loop turns Escape into IDCANCEL, like Quit and the close box:
// the filter sees the key before that, for dialogs that tell them apart.
INT_PTR CDialog::DoModal() {
    RegisterTemplateControlClasses();
    const HHOOK filter =
        ::SetWindowsHookExA(WH_MSGFILTER, FilterDialogMessage, nullptr, ::GetCurrentThreadId());
    const INT_PTR result =
        ::DialogBoxParamA(::GetModuleHandleA(nullptr), MAKEINTRESOURCEA(m_templateId),
                          m_parent != nullptr ? m_parent->m_hWnd : nullptr, DialogProc,
                          reinterpret_cast<LPARAM>(this));
    ::UnhookWindowsHookEx(filter);
    m_hWnd = nullptr;
    return result;
}

BOOL CDialog::OnInitDialog() {
    CDataExchange exchange(*this);
    DoDataExchange(&exchange);
    return TRUE;
}

void CDialog::OnOK() {
    EndDialog(IDOK);
}

void CDialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void CDialog::DoDataExchange(CDataExchange*) {}

bool CDialog::OnCommand(int id, int code) {
    if (code != BN_CLICKED) {
        return false;
    }
    if (id == IDOK) {
        OnOK();
        return true;
    }
    if (id == IDCANCEL) {
        OnCancel();
        return true;
    }
    return false;
}

// What Windows' own painting of a dialog amounts to: the background, drawn
// while the paint begins, and nothing more.
void CDialog::OnPaint() {
    CPaintDC paint(m_hWnd);
}

INT_PTR CALLBACK CDialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        ::SetWindowLongPtrA(window, DWLP_USER, lParam);
        ::SetPropA(window, kDialogProperty, reinterpret_cast<HANDLE>(lParam));
        reinterpret_cast<CDialog*>(lParam)->m_hWnd = window;
    }
    if (message == WM_DESTROY) {
        ::RemovePropA(window, kDialogProperty);
    }
    auto* dialog = reinterpret_cast<CDialog*>(::GetWindowLongPtrA(window, DWLP_USER));
    if (dialog == nullptr) {
        return FALSE;
    }
    return dialog->Guarded(message, [=] {
        return message == WM_INITDIALOG ? dialog->InitDialog()
                                        : dialog->HandleMessage(message, wParam, lParam);
    });
}

LRESULT CALLBACK CDialog::FilterDialogMessage(int code, WPARAM wParam, LPARAM lParam) {
    const auto* message = reinterpret_cast<const MSG*>(lParam);
    if (code == MSGF_DIALOGBOX && message->message == WM_KEYDOWN && message->wParam == VK_ESCAPE) {
        auto* dialog = static_cast<CDialog*>(
            ::GetPropA(::GetAncestor(message->hwnd, GA_ROOT), kDialogProperty));
        // A failed handler counts as handled, as a failed command does.
        if (dialog != nullptr &&
            dialog->Guarded(WM_COMMAND, [dialog] { return dialog->OnEscape(); })) {
            return TRUE;
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// No exception may unwind into Windows, which called us and knows nothing of
// them. A failure ends the handler, not the dialog: it is reported and the
// dialog goes back to waiting for input. A dialog that could not initialise
// never opens, and DoModal returns -1 as when it could not be created.
template <typename Handler>
INT_PTR CDialog::Guarded(UINT message, Handler handle) {
    try {
        return handle();
    } catch (const std::bad_alloc&) {
        ShowMemoryFailure(BoxOwner(message));
    } catch (const std::exception& failure) {
        ShowFailure(BoxOwner(message), failure);
    }
    if (message == WM_INITDIALOG) {
        EndDialog(-1);
    }
    // A failed command counts as handled; anything else is left to Windows, so
    // that a failed paint still validates the window instead of coming back.
    return message == WM_COMMAND ? TRUE : FALSE;
}

// An initialising dialog is not on the screen yet: its box stands on its own.
HWND CDialog::BoxOwner(UINT message) const {
    if (message != WM_INITDIALOG) {
        return m_hWnd;
    }
    return m_parent != nullptr ? m_parent->m_hWnd : nullptr;
}

INT_PTR CDialog::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            return OnCommand(LOWORD(wParam), HIWORD(wParam));
        case WM_PAINT:
            OnPaint();
            return TRUE;
        case WM_QUERYDRAGICON:
            return reinterpret_cast<INT_PTR>(OnQueryDragIcon());
        case WM_SETCURSOR:
            if (!OnSetCursor(LOWORD(lParam))) {
                return FALSE;
            }
            ::SetWindowLongPtrA(m_hWnd, DWLP_MSGRESULT, TRUE);
            return TRUE;
        default:
            return OnMessage(message, wParam, lParam);
    }
}

BOOL CDialog::InitDialog() {
    RECT before;
    ::GetWindowRect(m_hWnd, &before);
    const BOOL focusFirstTabStop = OnInitDialog();
    CentreWhenUnplaced(m_hWnd, before);
    return focusFirstTabStop;
}
