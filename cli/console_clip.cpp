#include "cli/console_clip.h"

#include <string>
#include <utility>

#include "cli/console_stream.h"
#include "cli/interruption.h"

namespace wendrel::cli {

namespace {

constexpr char kNoDate[] = "(no date)";

}  // namespace

ConsoleClip::ConsoleClip(const CalendarDate& since, PageText folder, Console& console)
    : m_since(since), m_folder(std::move(folder)), m_console(console) {}

// The run sets its status before each step: the place to stop it.
void ConsoleClip::SetStatusText(const PageText& text) {
    if (!m_writing) {
        StopIfInterrupted();
    }
    m_status = text;
}

// Called while the run waits for a page: a stop here abandons the fetches in
// flight at once.
void ConsoleClip::KeepPainting() {
    StopIfInterrupted();
}

void ConsoleClip::BeginWriting() {
    StopIfInterrupted();
    m_writing = true;
}

void ConsoleClip::ArticleRead(const WalkProgress& progress) {
    m_console.Progress(ConsoleText(ProgressLine(progress)));
}

std::string ProgressLine(const WalkProgress& progress) {
    return std::to_string(progress.articlesRead) + " read, " +
           std::to_string(progress.pagesUnread) + " unread: " + progress.address + " " +
           (progress.date.empty() ? kNoDate : progress.date);
}

}  // namespace wendrel::cli
