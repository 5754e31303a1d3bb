// Drives a modal dialog from inside its own modal loop, the way a user would,
// and catches the message boxes it shows instead of waiting on them.
#pragma once

#include <windows.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "win/dialog.h"

namespace wendrel::testing {

// A message box as it showed; it is answered once it is filled in.
struct CapturedBox {
    std::string caption;
    std::string text;
    HICON icon;
    bool topmost;
};

// DoModal's result when the dialog was still open after kGiveUpMs.
constexpr INT_PTR kLeftOpen = -100;
constexpr UINT kGiveUpMs = 20000;

class DialogDriver {
  public:
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    // Shows dialog and calls whileOpen with its window once its modal loop
    // runs; returns DoModal's result.
    INT_PTR Run(CDialog& dialog, const std::function<void(HWND)>& whileOpen);

    std::vector<CapturedBox> boxes;
    // The button that answers each box (the folder picker is one, too), once
    // isReady says the box has settled.
    int answer = IDOK;
    std::function<bool(HWND)> isReady = [](HWND) { return true; };

  private:
    static void CALLBACK Start(HWND, UINT, UINT_PTR timer, DWORD);
    static void CALLBACK GiveUp(HWND, UINT, UINT_PTR timer, DWORD);
    static LRESULT CALLBACK WatchActivation(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK AnswerBoxes(HWND, UINT, UINT_PTR timer, DWORD);

    HHOOK m_hook;
    std::set<HWND> m_seenBoxes;
    std::vector<HWND> m_openBoxes;
    CDialog* m_dialog = nullptr;
    std::function<void(HWND)> m_whileOpen;
};

// How long a test waits for what a dialog is about to do, far longer than it
// takes even on a loaded machine.
constexpr DWORD kAwaitMs = 10000;

// Handles the thread's messages as the dialog's modal loop does until done
// says so or timeoutMs have passed; whether done said so.
bool PumpUntil(HWND dialog, const std::function<bool()>& done, DWORD timeoutMs = kAwaitMs);

// Presses a button as a click does, through the dialog's own command path.
void Click(HWND dialog, int id);

// Sends a key to the focused control through the modal loop, as typed.
void PostKey(HWND dialog, WPARAM key);

}  // namespace wendrel::testing
