#include "cli/new_command.h"

#include <string>
#include <string_view>

#include "cli/console_clip.h"
#include "cli/console_stream.h"
#include "engine/clip_run.h"
#include "engine/failure.h"
#include "engine/store/article_record.h"

namespace wendrel::cli {

namespace {

constexpr char kDamagedRecord[] =
    ": the line of this site is damaged; clipping from today's articles";

// The clip goes in front of the file's earlier bytes, which stay as they were:
// newest first, as in every clip.
class GrowingClipFile final : public ClipFileWriter {
  public:
    explicit GrowingClipFile(ClipFileWriter& writer) : m_writer(writer) {}

    char PathSeparator() const override { return m_writer.PathSeparator(); }
    bool IsFolder(const PageText& folder) override { return m_writer.IsFolder(folder); }
    // A cut walk may go in front of the day's file too: it replaces nothing.
    bool WouldReplace(const PageText&) override { return false; }
    void TryFolder(const PageText& path) override { m_writer.TryFolder(path); }
    void Write(const PageText& path, std::string_view bytes) override {
        m_writer.Write(path, PageText(bytes) + m_writer.ReadExisting(path).value_or(PageText()));
    }
    std::optional<PageText> ReadExisting(const PageText& path) override {
        return m_writer.ReadExisting(path);
    }

  private:
    ClipFileWriter& m_writer;
};

// The console's window, which also keeps what the walk judged for the record.
class JudgingClip final : public ClipDialog {
  public:
    JudgingClip(ConsoleClip& clip, JudgedArticles& judged) : m_clip(clip), m_judged(judged) {}

    CalendarDate SinceDate() override { return m_clip.SinceDate(); }
    PageText FolderText() override { return m_clip.FolderText(); }
    void SetStatusText(const PageText& text) override { m_clip.SetStatusText(text); }
    void ShowWaitCursor() override { m_clip.ShowWaitCursor(); }
    void RemoveWaitCursor() override { m_clip.RemoveWaitCursor(); }
    void KeepPainting() override { m_clip.KeepPainting(); }
    void EnterStage(ClipStage stage) override { m_clip.EnterStage(stage); }
    void ArticleRead(const WalkProgress& progress) override {
        m_judged.Add(progress.number, progress.unread, progress.beforeSince);
        m_clip.ArticleRead(progress);
    }
    void WalkEnded(bool complete) override {
        if (!complete) {
            m_judged.StopEarly();
        }
    }

  private:
    ConsoleClip& m_clip;
    JudgedArticles& m_judged;
};

PageText RecordPath(const ClipRequest& request, char separator) {
    PageText path = ClipFolder(request.folder, separator) + kRecordFileName;
    if (Length(path) >= kMaxPathBytes) {
        throw FileFailure(FileCause::badPath, path);
    }
    return path;
}

// With a record the walk ends there, not at a date, unless one is given.
WalkLimits NewArticleLimits(const ClipRequest& request, const RecordLookup& lookup,
                            const std::optional<CalendarDate>& since) {
    WalkLimits limits;
    limits.connections = request.connections;
    limits.floor = lookup.record.newest;
    limits.owed = lookup.record.owed;
    if (since) {
        limits.walkSince = FormatSinceDate(*since);
    } else if (lookup.state == RecordState::found) {
        limits.walkSince = PageText();
    }
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
                               PageFetcher& fetcher, ClipFileWriter& writer, Console& console) {
    ConsoleClip clip(request.since, request.folder, console);
    GrowingClipFile growing(writer);
    return ReportingFailures(console, [&] {
        WaitForSite(request, fetcher, clip);
        const PageText recordPath = RecordPath(request, writer.PathSeparator());
        const PageText recordFile = writer.ReadExisting(recordPath).value_or(PageText());
        const RecordLookup lookup = FindRecord(recordFile, request.siteBase);
        if (lookup.state == RecordState::damaged) {
            console.Failure(ConsoleText(recordPath + kDamagedRecord));
        }
        const WalkLimits limits = NewArticleLimits(request, lookup, since);
        JudgedArticles judged(limits.floor);
        JudgingClip judging(clip, judged);
        const ClipOutcome outcome = RunClip(judging, fetcher, growing, request.siteBase, limits);
        PageText status = clip.Status();
        if (Saved(outcome)) {
            // Only now is the clip in place: a record moved before it could
            // skip articles the clip never held.
            const ArticleRecord after = judged.After(lookup.record);
            if (after.newest > 0) {
                writer.Write(recordPath, WithRecord(recordFile, request.siteBase, after));
            }
            status += OwedNote(after);
        }
        console.Status(ConsoleText(status));
        const ExitCode code = ExitCodeOf(outcome);
        return lookup.state == RecordState::damaged && code == kSaved ? kSavedWithNotes : code;
    });
}

}  // namespace wendrel::cli
