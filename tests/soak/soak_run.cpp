// One clip run through WinInet and the Windows writer against the fault soak
// site, checked against what the site says it sent:
//   soak_run SITE_BASE SINCE(yyyy-mm-dd) CLIP_FOLDER SENT_FOLDER TIME_OUT_MS
// Prints the run's figures; exits non-zero when the clip differs from the
// reference walk, the run did not save, or memory went past its bound.
// psapi.h needs the types windows.h declares.
#include <windows.h>

#include <psapi.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "engine/clip_run.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "tests/fakes.h"
#include "tests/reference_walk.h"

namespace {

using wendrel::PageText;

constexpr std::size_t kMiB = 1 << 20;

PageText ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    PageText bytes{std::istreambuf_iterator<char>(in), {}};
    return bytes.substr(0, bytes.find('\0'));
}

std::size_t PeakWorkingSet() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PeakWorkingSetSize;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr,
                     "usage: soak_run SITE_BASE SINCE CLIP_FOLDER SENT_FOLDER TIME_OUT_MS\n");
        return 2;
    }
    const PageText siteBase = argv[1];
    const PageText since = argv[2];
    const std::string sentFolder = argv[4];

    wendrel::testing::FakeDialog dialog;
    dialog.since = {std::atoi(since.substr(0, 4).c_str()), std::atoi(since.substr(5, 2).c_str()),
                    std::atoi(since.substr(8, 2).c_str())};
    dialog.folder = argv[3];
    wendrel::InternetPageFetcher fetcher(std::chrono::milliseconds(std::atoi(argv[5])));
    wendrel::SystemClipDisk writer;

    const auto started = std::chrono::steady_clock::now();
    wendrel::RunClip(dialog, fetcher, writer, siteBase,
                     wendrel::WalkLimits{INT_MAX, wendrel::kDefaultConnections});
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;

    const PageText path = dialog.folder + "\\" + since + ".html";
    const PageText clip = ReadFile(path);
    const int newest = wendrel::reference::NewestArticle(ReadFile(sentFolder + "\\list"), siteBase);
    const PageText expected = wendrel::reference::ClipOfWalk(
        siteBase, newest, since,
        [&](int number) { return ReadFile(sentFolder + "\\" + std::to_string(number)); });

    const std::size_t peak = PeakWorkingSet();
    const std::size_t bound = 4 * clip.size() + 64 * kMiB;
    // Pages that stayed cut or stalled through their retries are noted after it.
    const bool saved = dialog.statuses.back().rfind("Saved to " + path, 0) == 0;
    const bool equal = clip == expected;
    std::printf("articles fetched: %zu\n", dialog.statuses.size() - 2);
    std::printf("run time: %.1f s\n", took.count());
    std::printf("clip file: %zu bytes\n", clip.size());
    std::printf("peak memory: %.1f MiB (bound %.1f MiB)\n", static_cast<double>(peak) / kMiB,
                static_cast<double>(bound) / kMiB);
    std::printf("status: %s\n", dialog.statuses.back().c_str());
    std::printf("file equal: %s\n", equal ? "yes" : "no");
    return saved && equal && peak <= bound ? 0 : 1;
}
