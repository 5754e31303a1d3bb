#include "cli/clip_command.h"

#include <new>
#include <string>

#include "cli/console_clip.h"
#include "cli/console_stream.h"
#include "cli/interruption.h"
#include "engine/failure.h"

namespace wendrel::cli {

namespace {

constexpr char kInterruptedText[] = "Stopped by Ctrl+C: nothing was written";

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
    }
    return kSaved;
}

ExitCode RunClipCommand(const ClipRequest& request, PageFetcher& fetcher, ClipFileWriter& writer,
                        Console& console) {
    ConsoleClip clip(request.since, request.folder, console);
    ConsoleClipWriter clipWriter(clip, writer);
    return ReportingFailures(console, [&] {
        WalkLimits limits;
        limits.connections = request.connections;
        const ClipOutcome outcome = RunClip(clip, fetcher, clipWriter, request.siteBase, limits);
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
        // Raised only for a text past the engine's 2 GiB bound: a limit of
        // size, like running out of memory.
        console.Failure(ConsoleTextFrom949(failure.what()));
        return kMemoryFailure;
    } catch (const Interrupted&) {
        console.Failure(kInterruptedText);
        return kInterrupted;
    }
}

}  // namespace wendrel::cli
