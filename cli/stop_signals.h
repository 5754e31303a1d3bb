// How a person or the system stops wendrel-clip: Ctrl+C, on POSIX also
// SIGTERM (what systemd, a timer's stop time-out and a shutdown send), on
// Windows also Ctrl+Break. The first asks the run to stop, and the run saves
// what it read; a second ends the process at once with kStopped: the clip
// file is put in place by a rename, so a half-written clip is never left.
#pragma once

namespace wendrel::cli {

// Called once, before any other thread starts: on POSIX the threads that
// follow inherit that the signals are not theirs to take.
void ListenForStopSignals();

bool StopRequested();

}  // namespace wendrel::cli
