#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "cli/clip_command.h"
#include "cli/stop_signals.h"

namespace wendrel::cli {

namespace {

std::atomic<bool> requested{false};

sigset_t StopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    return signals;
}

}  // namespace

// The signals are taken by one thread that waits for them, so that nothing
// runs inside a signal handler and every other thread goes on undisturbed.
void ListenForStopSignals() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        int signal = 0;
        while (sigwait(&signals, &signal) == 0) {
            if (requested.exchange(true)) {
                _exit(kStopped);
            }
        }
    }).detach();
}

bool StopRequested() {
    return requested;
}

}  // namespace wendrel::cli
