#include "cli/console.h"

namespace wendrel::cli {

Console::Console(bool quiet, bool onTerminal) : m_quiet(quiet), m_onTerminal(onTerminal) {}

void Console::Progress(const std::string& line) {
    if (m_quiet) {
        return;
    }
    if (!m_onTerminal) {
        std::printf("%s\n", line.c_str());
        return;
    }
    // Spaces cover whatever of a longer line before would still show.
    const std::size_t cover = m_progressWidth > line.size() ? m_progressWidth - line.size() : 0;
    std::printf("\r%s%s", line.c_str(), std::string(cover, ' ').c_str());
    std::fflush(stdout);
    m_progressWidth = line.size();
}

void Console::Status(const std::string& line) {
    EndProgress();
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

void Console::Failure(const std::string& line) {
    EndProgress();
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
}

void Console::EndProgress() {
    if (m_progressWidth == 0) {
        return;
    }
    std::printf("\r%s\r", std::string(m_progressWidth, ' ').c_str());
    std::fflush(stdout);
    m_progressWidth = 0;
}

}  // namespace wendrel::cli
