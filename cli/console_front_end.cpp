#include "cli/console_front_end.h"

#include <algorithm>
#include <string>
#include <string_view>
#include <utility>

#include "cli/console_stream.h"
#include "cli/stop_signals.h"

namespace wendrel::cli {

namespace {

constexpr char kNoDate[] = "(no date)";
// Page bytes where a date was looked for that are no date: they may hold
// anything, a terminal's commands included.
constexpr char kNotADate[] = "?";
constexpr char kDateCharacters[] = "0123456789-";
// Stands for a control byte, which a terminal would take as a command.
constexpr char kControlStandIn = '?';
constexpr unsigned char kFirstPrintable = 0x20;
constexpr unsigned char kDelete = 0x7F;
constexpr std::string_view kCut = "...";

// The end of address behind kCut, room bytes in all when room holds more than
// kCut.
std::string AddressEnd(const PageText& address, std::size_t room) {
    const std::size_t kept = room > kCut.size() ? std::min(room - kCut.size(), address.size()) : 0;
    return std::string(kCut) + address.substr(address.size() - kept);
}

std::string ShownDate(const PageText& date) {
    if (date.empty()) {
        return kNoDate;
    }
    return date.find_first_not_of(kDateCharacters) == PageText::npos ? date : kNotADate;
}

std::string WithoutControlBytes(std::string line) {
    for (char& byte : line) {
        const auto value = static_cast<unsigned char>(byte);
        if (value < kFirstPrintable || value == kDelete) {
            byte = kControlStandIn;
        }
    }
    return line;
}

}  // namespace

ConsoleFrontEnd::ConsoleFrontEnd(const CalendarDate& since, PageText folder, Console& console)
    : m_since(since), m_folder(std::move(folder)), m_console(console) {}

void ConsoleFrontEnd::SetStatusText(const PageText& text) {
    m_status = text;
}

bool ConsoleFrontEnd::StopAsked() {
    return StopRequested();
}

void ConsoleFrontEnd::ArticleRead(const WalkProgress& progress) {
    m_console.Progress(ConsoleText(ProgressLine(progress, m_console.ProgressColumns())));
}

std::string ProgressLine(const WalkProgress& progress, int columns) {
    const std::string counts = std::to_string(progress.articlesRead) + " read, " +
                               std::to_string(progress.pagesUnread) + " unread: ";
    const std::string date = " " + ShownDate(progress.date);
    std::string line = counts + progress.address + date;
    // A line that reaches the last column wraps on some consoles, and the
    // next one would then be written below it.
    const std::size_t room = columns > 0 ? static_cast<std::size_t>(columns) - 1 : line.size();
    if (line.size() > room) {
        const std::size_t others = counts.size() + date.size();
        line = counts + AddressEnd(progress.address, room > others ? room - others : 0) + date;
        line.resize(std::min(line.size(), room));
    }
    // The address is built from the site's base, which is ours, but nothing
    // that reaches a terminal is left to chance.
    return WithoutControlBytes(line);
}

}  // namespace wendrel::cli
