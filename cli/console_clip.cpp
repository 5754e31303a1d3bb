#include "cli/console_clip.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "cli/console_stream.h"
#include "cli/interruption.h"

namespace wendrel::cli {

namespace {

constexpr char kNoDate[] = "(no date)";
constexpr std::string_view kCut = "...";

// The end of address behind kCut, room bytes in all when room holds more than
// kCut.
std::string AddressEnd(const PageText& address, std::size_t room) {
    const std::size_t kept = room > kCut.size() ? std::min(room - kCut.size(), address.size()) : 0;
    return std::string(kCut) + address.substr(address.size() - kept);
}

}  // namespace

ConsoleClip::ConsoleClip(const CalendarDate& since, PageText folder, Console& console)
    : m_since(since), m_folder(std::move(folder)), m_console(console) {}

// The run sets its status before each step: the place to stop it.
void ConsoleClip::SetStatusText(const PageText& text) {
    if (m_stage == ClipStage::reading) {
        StopIfInterrupted();
    }
    m_status = text;
}

// Called while the run waits for a page: a stop here abandons the fetches in
// flight at once.
void ConsoleClip::KeepPainting() {
    StopIfInterrupted();
}

// Writing is the last moment a stop leaves no file behind.
void ConsoleClip::EnterStage(ClipStage stage) {
    if (stage == ClipStage::writing) {
        StopIfInterrupted();
    }
    m_stage = stage;
}

void ConsoleClip::ArticleRead(const WalkProgress& progress) {
    m_console.Progress(ConsoleText(ProgressLine(progress, m_console.ProgressColumns())));
}

std::string ProgressLine(const WalkProgress& progress, int columns) {
    const std::string counts = std::to_string(progress.articlesRead) + " read, " +
                               std::to_string(progress.pagesUnread) + " unread: ";
    const std::string date = " " + (progress.date.empty() ? kNoDate : progress.date);
    std::string line = counts + progress.address + date;
    if (columns <= 0) {
        return line;
    }
    // A line that reaches the last column wraps on some consoles, and the
    // next one would then be written below it.
    const std::size_t room = static_cast<std::size_t>(columns) - 1;
    if (line.size() <= room) {
        return line;
    }
    const std::size_t others = counts.size() + date.size();
    line = counts + AddressEnd(progress.address, room > others ? room - others : 0) + date;
    line.resize(std::min(line.size(), room));
    return line;
}

}  // namespace wendrel::cli
