// How much heap memory a piece of work takes at its peak, over what was in use
// when it began: the benchmark program counts every allocation to tell.
#pragma once

#include <cstddef>

namespace wendrel {

class HeapPeak {
  public:
    HeapPeak();
    // Bytes in use at the highest point since construction, minus those in use then.
    std::size_t Growth() const;

  private:
    std::size_t m_start;
};

}  // namespace wendrel
