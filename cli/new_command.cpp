#include "cli/new_command.h"

#include <string>

#include "cli/console_front_end.h"
#include "cli/console_stream.h"
#include "engine/clip_run.h"
#include "engine/failure.h"
#include "engine/store/site_record.h"

namespace wendrel::cli {

namespace {

constexpr char kDamagedRecord[] =
    ": the line of this site is damaged; clipping from today's articles";

// With a record the walk ends there, not at a date, unless one is given.
WalkLimits NewArticleLimits(const ClipRequest& request, const RecordLookup& lookup,
                            const std::optional<CalendarDate>& since, SiteRecord& record) {
    WalkLimits limits;
    limits.connections = request.connections;
    limits.siteAsWritten = request.siteAsWritten;
    limits.floor = lookup.record.newest;
    limits.owed = lookup.record.owed;
    if (since) {
        limits.walkSince = FormatSinceDate(*since);
    } else if (lookup.state == RecordState::found) {
        limits.walkSince = PageText();
    }
    limits.record = &record;
    return limits;
}

PageText OwedNote(const ArticleRecord& record) {
    const std::size_t owed = record.owed.size();
    if (owed == 0) {
        return {};
    }
    return "; " + std::to_string(owed) + (owed == 1 ? " page" : " pages") + " still owed";
}

bool Saved(ClipOutcome outcome) {
    return outcome == ClipOutcome::saved || outcome == ClipOutcome::savedWithNotes;
}

}  // namespace

ExitCode RunNewArticlesCommand(const ClipRequest& request, const std::optional<CalendarDate>& since,
                               PageFetcher& fetcher, ClipDisk& writer, Console& console) {
    ConsoleFrontEnd clip(request.since, request.folder, console);
    return ReportingFailures(console, [&] {
        if (!WaitForSite(request, fetcher, clip)) {
            console.Status(ConsoleText(clip.Status()));
            return kStopped;
        }
        SiteRecord record(writer, ClipFolder(request.folder, writer.PathSeparator()),
                          request.siteBase);
        const RecordLookup lookup = record.Read();
        if (lookup.state == RecordState::damaged) {
            console.Failure(ConsoleText(record.Path() + kDamagedRecord));
        }
        const ClipOutcome outcome = RunClip(clip, fetcher, writer, request.siteBase,
                                            NewArticleLimits(request, lookup, since, record));
        if (record.Failure()) {
            // The clip is in place: the status says so before the failure.
            console.Status(ConsoleText(clip.Status()));
            throw *record.Failure();
        }
        const PageText owed = Saved(outcome) ? OwedNote(record.Moved()) : PageText();
        console.Status(ConsoleText(clip.Status() + owed));
        const ExitCode code = ExitCodeOf(outcome);
        return lookup.state == RecordState::damaged && code == kSaved ? kSavedWithNotes : code;
    });
}

}  // namespace wendrel::cli
