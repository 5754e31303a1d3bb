// One clip run for the console: its last line and its exit status.
#pragma once

#include <chrono>
#include <functional>

#include "cli/console.h"
#include "engine/clip_front_end.h"
#include "engine/clip_run.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/store/clip_file.h"
#include "engine/text/text.h"

namespace wendrel::cli {

enum ExitCode {
    kSaved = 0,
    kNoArticles = 1,
    kBadArguments = 2,
    kSavedWithNotes = 3,
    kFileFailure = 4,
    kMemoryFailure = 5,
    kNoAnswer = 6,
    // Stopped before anything was saved; what a shell reports for a program
    // that Ctrl+C ended.
    kStopped = 130,
};

struct ClipRequest {
    CalendarDate since;
    PageText folder;
    PageText siteBase;
    int connections;
    // How long the run may first wait for the site's list page to answer.
    std::chrono::seconds siteWait{0};
    // The site as the user wrote it, whose spelling the list page's links may
    // keep (WalkLimits::siteAsWritten).
    PageText siteAsWritten{};
};

class ConsoleFrontEnd;

// When the request asks for it, keeps asking for the site's list page until it
// answers or the request's wait is over, so that a run started before the
// network is up still finds the site. A stop ends the wait as it ends a run,
// and then the status says that nothing was saved: false.
bool WaitForSite(const ClipRequest& request, PageFetcher& fetcher, ConsoleFrontEnd& clip);

// Runs the clip and ends with the status text on standard output, or the
// failure's message on standard error, as the last line.
ExitCode RunClipCommand(const ClipRequest& request, PageFetcher& fetcher, ClipDisk& writer,
                        Console& console);

// The exit status of run, or of the failure it raised, whose message then
// ends standard error.
ExitCode ReportingFailures(Console& console, const std::function<ExitCode()>& run);

ExitCode ExitCodeOf(ClipOutcome outcome);

}  // namespace wendrel::cli
