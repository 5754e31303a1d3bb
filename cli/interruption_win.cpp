#include <windows.h>

#include <atomic>

#include "cli/interruption.h"

namespace wendrel::cli {

namespace {

std::atomic<bool> requested{false};

// Windows calls this on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) {
        return FALSE;
    }
    requested = true;
    return TRUE;
}

}  // namespace

void ListenForInterruption() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool InterruptionRequested() {
    return requested;
}

}  // namespace wendrel::cli
