#include "cli/console.h"

#include "cli/console_stream.h"

namespace wendrel::cli {

Console::Console(std::FILE* out, std::FILE* errors, bool quiet, bool onTerminal)
    : m_out(out), m_errors(errors), m_quiet(quiet), m_onTerminal(onTerminal) {}

int Console::ProgressColumns() const {
    return m_onTerminal ? TerminalColumns(m_out) : 0;
}

void Console::Progress(const std::string& line) {
    if (m_quiet) {
        return;
    }
    if (!m_onTerminal) {
        WriteOut(line + "\n");
        return;
    }
    // Spaces cover whatever of a longer line before would still show.
    const std::size_t cover = m_progressWidth > line.size() ? m_progressWidth - line.size() : 0;
    WriteOut("\r" + line + std::string(cover, ' '));
    m_progressWidth = line.size();
}

void Console::Status(const std::string& line) {
    EndProgress();
    WriteOut(line + "\n");
}

void Console::Failure(const std::string& line) {
    EndProgress();
    std::fprintf(m_errors, "%s\n", line.c_str());
    std::fflush(m_errors);
}

void Console::EndProgress() {
    if (m_progressWidth == 0) {
        return;
    }
    WriteOut("\r" + std::string(m_progressWidth, ' ') + "\r");
    m_progressWidth = 0;
}

// A reader that went away (a pager or head that ended, a closed pipe) takes
// nothing of the run with it: the run goes on without its output.
void Console::WriteOut(const std::string& text) {
    if (m_outGone) {
        return;
    }
    m_outGone = std::fputs(text.c_str(), m_out) == EOF || std::fflush(m_out) != 0;
}

}  // namespace wendrel::cli
