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
        std::fprintf(m_out, "%s\n", line.c_str());
        std::fflush(m_out);
        return;
    }
    // Spaces cover whatever of a longer line before would still show.
    const std::size_t cover = m_progressWidth > line.size() ? m_progressWidth - line.size() : 0;
    std::fprintf(m_out, "\r%s%s", line.c_str(), std::string(cover, ' ').c_str());
    std::fflush(m_out);
    m_progressWidth = line.size();
}

void Console::Status(const std::string& line) {
    EndProgress();
    std::fprintf(m_out, "%s\n", line.c_str());
    std::fflush(m_out);
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
    std::fprintf(m_out, "\r%s\r", std::string(m_progressWidth, ' ').c_str());
    std::fflush(m_out);
    m_progressWidth = 0;
}

}  // namespace wendrel::cli
