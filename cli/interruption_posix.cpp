#include <pthread.h>

#include <atomic>
#include <csignal>
#include <thread>

#include "cli/interruption.h"

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
void ListenForInterruption() {
    const sigset_t signals = StopSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    std::thread([signals] {
        int signal = 0;
        while (sigwait(&signals, &signal) == 0) {
            requested = true;
        }
    }).detach();
}

bool InterruptionRequested() {
    return requested;
}

}  // namespace wendrel::cli
