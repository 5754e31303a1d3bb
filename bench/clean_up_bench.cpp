// The clean-up's time by clip size, the plain passes' time for comparison, and
// the clean-up's peak memory over the clip.
#include <benchmark/benchmark.h>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

#include <algorithm>
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "bench/clip_generator.h"
#include "bench/heap_peak.h"
#include "engine/clean_up/clean_up.h"
#include "tests/reference_clean_up.h"

namespace wendrel {
namespace {

constexpr double kMegabyte = 1024.0 * 1024.0;

PageText OrdinaryClip(int articles) {
    return GenerateClip(articles);
}

// Each clip is generated once, outside the timings.
const PageText& Clip(int articles, PageText (*generate)(int)) {
    static std::map<std::pair<int, PageText (*)(int)>, PageText> clips;
    const auto key = std::make_pair(articles, generate);
    auto found = clips.find(key);
    if (found == clips.end()) {
        found = clips.emplace(key, generate(articles)).first;
    }
    return found->second;
}

// The clean-up meets a clip gathered page by page over minutes of network
// waits, most of it long gone from the processor's caches. A copy made just
// before the timing would still be there while it fits (some megabytes) and
// make a small clip look cheaper per byte than a large one, so every timing
// starts with the clip in memory only. Elsewhere than on x86-64 it starts as
// the copy leaves it.
void EvictFromCaches(const PageText& text) {
#if defined(__x86_64__)
    constexpr std::size_t kCacheLine = 64;
    for (std::size_t offset = 0; offset < text.size(); offset += kCacheLine) {
        _mm_clflush(text.data() + offset);
    }
    _mm_mfence();
#else
    static_cast<void>(text);
#endif
}

// Times cleanUp on fresh copies of the clip; returns the last cleaned copy.
PageText TimeCleanUp(benchmark::State& state, const PageText& clip, void (*cleanUp)(PageText&)) {
    PageText cleaned;
    for (auto _ : state) {
        state.PauseTiming();
        cleaned = clip;
        EvictFromCaches(cleaned);
        state.ResumeTiming();
        cleanUp(cleaned);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * clip.size()));
    state.counters["clip_MB"] = static_cast<double>(clip.size()) / kMegabyte;
    return cleaned;
}

// The clip and what the clean-up allocates on top of it at its peak.
void CountPeakMemory(benchmark::State& state, const PageText& clip) {
    PageText cleaned = clip;
    const HeapPeak peak;
    CleanUpClip(cleaned);
    state.counters["peak_MB"] = static_cast<double>(clip.size() + peak.Growth()) / kMegabyte;
}

void BM_CleanUp(benchmark::State& state) {
    const PageText& clip = Clip(static_cast<int>(state.range(0)), OrdinaryClip);
    TimeCleanUp(state, clip, CleanUpClip);
    CountPeakMemory(state, clip);
}

// Markup where the single scan declines and the passes are replayed.
void BM_CleanUpNested(benchmark::State& state) {
    const PageText& clip = Clip(static_cast<int>(state.range(0)), GenerateClipWithNestedTags);
    TimeCleanUp(state, clip, CleanUpClip);
    CountPeakMemory(state, clip);
}

// The plain passes, once each: at 200 articles they take many seconds.
void BM_CleanUpLiteral(benchmark::State& state) {
    const PageText& clip = Clip(static_cast<int>(state.range(0)), OrdinaryClip);
    const PageText plain = TimeCleanUp(state, clip, reference::CleanUpClip);
    PageText fast = clip;
    CleanUpClip(fast);
    if (fast != plain) {
        state.SkipWithError("the clean-up differs from the plain passes");
    }
}

double Fastest(const std::vector<double>& times) {
    return *std::min_element(times.begin(), times.end());
}

BENCHMARK(BM_CleanUp)
    ->Arg(100)
    ->Arg(200)
    ->Arg(400)
    ->Arg(800)
    ->Arg(1600)
    ->Arg(3200)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(5)
    ->ComputeStatistics("min", Fastest)
    ->ReportAggregatesOnly(true);
BENCHMARK(BM_CleanUpNested)->Arg(200)->Arg(1600)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CleanUpLiteral)
    ->Arg(50)
    ->Arg(100)
    ->Arg(200)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1);

}  // namespace
}  // namespace wendrel

BENCHMARK_MAIN();
