#include "bench/heap_peak.h"

#include <malloc.h>

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>

namespace wendrel {

namespace {

std::atomic<std::size_t> g_inUse{0};
std::atomic<std::size_t> g_peak{0};

void CountAllocation(void* block) {
    const std::size_t inUse = g_inUse += malloc_usable_size(block);
    std::size_t peak = g_peak;
    while (inUse > peak && !g_peak.compare_exchange_weak(peak, inUse)) {
    }
}

}  // namespace

HeapPeak::HeapPeak() : m_start(g_inUse) {
    g_peak = m_start;
}

std::size_t HeapPeak::Growth() const {
    return g_peak - m_start;
}

}  // namespace wendrel

void* operator new(std::size_t size) {
    void* block = std::malloc(std::max<std::size_t>(size, 1));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    wendrel::CountAllocation(block);
    return block;
}

void operator delete(void* block) noexcept {
    if (block != nullptr) {
        wendrel::g_inUse -= malloc_usable_size(block);
        std::free(block);
    }
}

void operator delete(void* block, std::size_t) noexcept {
    operator delete(block);
}
