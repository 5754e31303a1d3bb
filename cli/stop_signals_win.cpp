#include <windows.h>

#include <atomic>

#include "cli/clip_command.h"
#include "cli/stop_signals.h"

namespace wendrel::cli {

namespace {

std::atomic<bool> requested{false};

// Windows calls this on a thread of its own.
BOOL WINAPI OnConsoleControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
            if (requested.exchange(true)) {
                // At once: nothing of the process may hold this up.
                TerminateProcess(GetCurrentProcess(), kStopped);
            }
            return TRUE;
        case CTRL_CLOSE_EVENT:
        case CTRL_SHUTDOWN_EVENT:
            // The system ends the process once this returns, and a few
            // seconds later if it does not: until then the run may save.
            requested = true;
            Sleep(INFINITE);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void ListenForStopSignals() {
    SetConsoleCtrlHandler(OnConsoleControl, TRUE);
}

bool StopRequested() {
    return requested;
}

}  // namespace wendrel::cli
