#include "cli/clip_command.h"

#include <new>
#include <string>

#include "cli/console_front_end.h"
#include "cli/console_stream.h"
#include "cli/site_wait.h"
#include "engine/failure.h"
#include "engine/site.h"

namespace wendrel::cli {

namespace {

// The dialog's message for the failure; only its Korean words are recoded,
// the path stays in the program's own bytes.
std::string FileFailureLine(const FileFailure& failure) {
    std::string line = ConsoleTextFrom949(FileFailureText(failure.Cause(), "%1"));
    const auto mark = line.find("%1");
    return line.replace(mark, 2, ConsoleText(failure.Path()));
}

}  // namespace

ExitCode ExitCodeOf(ClipOutcome outcome) {
    switch (outcome) {
        case ClipOutcome::saved:
        case ClipOutcome::nothingNew:
            break;
        case ClipOutcome::savedWithNotes:
            return kSavedWithNotes;
        case ClipOutcome::noArticles:
            return kNoArticles;
        case ClipOutcome::noAnswer:
            return kNoAnswer;
        case ClipOutcome::stopped:
            return kStopped;
    }
    return kSaved;
}

bool WaitForSite(const ClipRequest& request, PageFetcher& fetcher, ConsoleFrontEnd& clip) {
    if (request.siteWait.count() == 0 ||
        WaitForAnswer(fetcher, ListPageAddress(request.siteBase), request.siteWait,
                      [&clip] { return clip.StopAsked(); })) {
        return true;
    }
    clip.SetStatusText(kStoppedBeforeReadingStatus);
    return false;
}

ExitCode RunClipCommand(const ClipRequest& request, PageFetcher& fetcher, ClipDisk& writer,
                        Console& console) {
    ConsoleFrontEnd clip(request.since, request.folder, console);
    return ReportingFailures(console, [&] {
        if (!WaitForSite(request, fetcher, clip)) {
            console.Status(ConsoleText(clip.Status()));
            return kStopped;
        }
        WalkLimits limits;
        limits.connections = request.connections;
        limits.siteAsWritten = request.siteAsWritten;
        const ClipOutcome outcome = RunClip(clip, fetcher, writer, request.siteBase, limits);
        console.Status(ConsoleText(clip.Status()));
        return ExitCodeOf(outcome);
    });
}

ExitCode ReportingFailures(Console& console, const std::function<ExitCode()>& run) {
    try {
        return run();
    } catch (const FileFailure& failure) {
        console.Failure(FileFailureLine(failure));
        return kFileFailure;
    } catch (const std::bad_alloc&) {
        console.Failure(ConsoleTextFrom949(MemoryFailure().what()));
        return kMemoryFailure;
    } catch (const InvalidArgumentFailure& failure) {
        // An argument outside what an operation takes; no page the run meets
        // makes one, so it stands for a request the run cannot take.
        console.Failure(ConsoleTextFrom949(failure.what()));
        return kBadArguments;
    }
}

}  // namespace wendrel::cli
