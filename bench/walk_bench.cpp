// One whole clip run through WinInet and the Windows writer, timed:
//   walk_bench SITE_BASE FOLDER CONNECTIONS
// The since date is 2008-07-16. Prints the run's seconds, the articles read
// and the status; exits non-zero when the run did not save.
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>

#include "engine/clip_run.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "tests/fakes.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: walk_bench SITE_BASE FOLDER CONNECTIONS\n");
        return 2;
    }
    wendrel::testing::FakeDialog dialog;
    dialog.folder = argv[2];
    wendrel::InternetPageFetcher fetcher;
    wendrel::SystemClipDisk writer;
    const wendrel::WalkLimits limits{INT_MAX, std::atoi(argv[3])};

    const auto started = std::chrono::steady_clock::now();
    wendrel::RunClip(dialog, fetcher, writer, argv[1], limits);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - started;

    std::printf("seconds: %.3f\n", took.count());
    std::printf("articles read: %zu\n", dialog.statuses.size() - 2);
    std::printf("status: %s\n", dialog.statuses.back().c_str());
    return dialog.statuses.back().rfind("Saved to ", 0) == 0 ? 0 : 1;
}
