// wendrel-clip: one clip run from the command line, for scheduled runs.
#include <cstdio>
#include <ctime>
#include <new>
#include <string>
#include <vector>

#include "cli/arguments.h"
#include "cli/console.h"
#include "cli/console_clip.h"
#include "cli/console_stream.h"
#include "cli/interruption.h"
#include "cli/settings.h"
#include "engine/clip_file.h"
#include "engine/clip_run.h"
#include "engine/failure.h"
#include "engine/page_fetcher.h"
#include "engine/site.h"

namespace wendrel::cli {

namespace {

enum ExitCode {
    kSaved = 0,
    kNoArticles = 1,
    kBadArguments = 2,
    kSavedWithNotes = 3,
    kFileFailure = 4,
    kMemoryFailure = 5,
    // What a shell reports for a program that Ctrl+C ended.
    kInterrupted = 130,
};

constexpr char kProgramName[] = "wendrel-clip";
constexpr char kInterruptedText[] = "Stopped by Ctrl+C: nothing was written";

CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

// The dialog's message for the failure; only its Korean words are recoded,
// the path stays in the program's own bytes.
std::string FileFailureLine(const FileFailure& failure) {
    std::string line = ConsoleTextFrom949(FileFailureText(failure.Cause(), "%1"));
    const auto mark = line.find("%1");
    return line.replace(mark, 2, ConsoleText(failure.Path()));
}

int ExitCodeOf(ClipOutcome outcome) {
    switch (outcome) {
        case ClipOutcome::saved:
            break;
        case ClipOutcome::savedWithNotes:
            return kSavedWithNotes;
        case ClipOutcome::noArticles:
            return kNoArticles;
    }
    return kSaved;
}

int Clip(const ClipArguments& arguments) {
    const std::string settingsPath = SettingsPath();
    Console console(arguments.quiet, IsTerminal(stdout));
    ConsoleClip clip(arguments.since, arguments.folder.value_or(DefaultFolder(settingsPath)),
                     console);
    SystemClipFileWriter systemWriter;
    ConsoleClipWriter writer(clip, systemWriter);
    SystemPageFetcher fetcher;
    try {
        const ClipOutcome outcome =
            RunClip(clip, fetcher, writer, arguments.site.value_or(SiteBase()));
        console.Status(ConsoleText(clip.Status()));
        return ExitCodeOf(outcome);
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

int Main(const std::vector<std::string>& commandLine) {
    ListenForInterruption();
    const ParsedArguments parsed = ParseArguments(commandLine, Today());
    if (!parsed.error.empty()) {
        std::fprintf(stderr, "%s: %s\n", kProgramName, ConsoleText(parsed.error).c_str());
        return kBadArguments;
    }
    if (parsed.arguments.help) {
        std::printf("%s", UsageText().c_str());
        return kSaved;
    }
    if (parsed.arguments.version) {
        std::printf("%s %s\n", kProgramName, WENDREL_VERSION);
        return kSaved;
    }
    return Clip(parsed.arguments);
}

}  // namespace

}  // namespace wendrel::cli

int main(int argc, char** argv) {
    return wendrel::cli::Main(std::vector<std::string>(argv + 1, argv + argc));
}
