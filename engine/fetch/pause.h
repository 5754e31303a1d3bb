// The pauses of a run: between the attempts of a fetch, the site's holds and
// the gaps of its pace, on a clock of their own.
#pragma once

#include <chrono>

#include "engine/fetch/abandon_signal.h"

namespace wendrel {

// Sleeps between the attempts of a fetch, and tells the time the sleeps are
// counted in. Tests stand in for it so that they need not wait out real
// delays.
class Pause {
  public:
    virtual ~Pause() = default;
    // Returns after delay, or sooner once signal is raised.
    virtual void For(std::chrono::milliseconds delay, AbandonSignal& signal) = 0;
    virtual std::chrono::steady_clock::time_point Now() { return std::chrono::steady_clock::now(); }
};

class SystemPause final : public Pause {
  public:
    void For(std::chrono::milliseconds delay, AbandonSignal& signal) override {
        signal.WaitFor(delay);
    }
};

}  // namespace wendrel
