// The arrow with the small hourglass over a window while work goes on behind
// it: the window still takes input, which the hourglass alone would deny.
#pragma once

#include <windows.h>

class CBusyCursor {
  public:
    // Over window's client area from now on, and at once where the mouse is.
    void Show(HWND window);
    // Each window's own cursor again, at once where the mouse is.
    void Hide();
    // For WM_SETCURSOR: true when it set the cursor.
    bool OnSetCursor(UINT hitTest) const;

  private:
    HWND m_window = nullptr;
};
