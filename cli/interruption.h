// Ctrl+C asks a run to stop before it writes anything (on POSIX a polite
// request to end, SIGTERM, does too): the run ends at its next step instead
// of the process being killed in the middle of replacing a clip file.
#pragma once

#include <stdexcept>

namespace wendrel::cli {

class Interrupted : public std::runtime_error {
  public:
    Interrupted() : std::runtime_error("stopped by Ctrl+C") {}
};

// Called once, before any other thread starts: on POSIX the threads that
// follow inherit that the signals are not theirs to take.
void ListenForInterruption();

bool InterruptionRequested();

inline void StopIfInterrupted() {
    if (InterruptionRequested()) {
        throw Interrupted();
    }
}

}  // namespace wendrel::cli
