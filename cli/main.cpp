// wendrel-clip: one clip run from the command line, for scheduled runs.
#include <cstdio>
#include <ctime>
#include <exception>
#include <new>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "cli/arguments.h"
#include "cli/clip_command.h"
#include "cli/console.h"
#include "cli/console_stream.h"
#include "cli/new_command.h"
#include "cli/settings.h"
#include "cli/stop_signals.h"
#include "engine/fetch/page_fetcher.h"
#include "engine/settings_file.h"
#include "engine/site.h"
#include "engine/store/clip_file.h"

namespace wendrel::cli {

namespace {

constexpr char kProgramName[] = "wendrel-clip";

CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    return {local->tm_year + 1900, local->tm_mon + 1, local->tm_mday};
}

// What the command line leaves open comes from the settings file beside the
// program and from the environment.
ClipRequest RequestOf(const ClipArguments& arguments) {
    const std::string settingsPath = SettingsFilePath();
    return {arguments.since,
            arguments.folder.value_or(DefaultFolder(settingsPath)),
            arguments.site.value_or(SiteBase()),
            arguments.connections.value_or(DefaultConnections(settingsPath)),
            arguments.siteWait,
            arguments.siteAsWritten.value_or(SiteAsWritten())};
}

int Main(const std::vector<std::string>& commandLine) {
    KeepRunningWhenOutputCloses();
    ListenForStopSignals();
    const CalendarDate today = Today();
    const ParsedArguments parsed = ParseArguments(commandLine, today);
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
    Console console(stdout, stderr, parsed.arguments.quiet, IsTerminal(stdout));
#ifdef _WIN32
    SystemPageFetcher fetcher;
#else
    SystemPageFetcher fetcher(PageFetcher::kDefaultTimeOut, parsed.arguments.caFile);
#endif
    SystemClipDisk writer;
    ClipRequest request = RequestOf(parsed.arguments);
    if (!parsed.arguments.newArticles) {
        return RunClipCommand(request, fetcher, writer, console);
    }
    // The file of the day grows; a date given is only a floor.
    const std::optional<CalendarDate> since =
        parsed.arguments.sinceGiven ? std::optional<CalendarDate>(request.since) : std::nullopt;
    request.since = today;
    return RunNewArticlesCommand(request, since, fetcher, writer, console);
}

int ResourceFailure(const std::exception& failure) {
    std::fprintf(stderr, "%s: out of memory or another resource: %s\n", kProgramName,
                 failure.what());
    return kMemoryFailure;
}

// A thread that could not start, or memory that ran out outside the run, ends
// the program with its line and status rather than with an abort.
int MainOrResourceFailure(const std::vector<std::string>& commandLine) {
    try {
        return Main(commandLine);
    } catch (const std::system_error& failure) {
        return ResourceFailure(failure);
    } catch (const std::bad_alloc& failure) {
        return ResourceFailure(failure);
    }
}

}  // namespace

}  // namespace wendrel::cli

int main(int argc, char** argv) {
    return wendrel::cli::MainOrResourceFailure(std::vector<std::string>(argv + 1, argv + argc));
}
