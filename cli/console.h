// wendrel-clip's output: progress while the run goes on, then one last line,
// the run's status on standard output or its failure on standard error.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace wendrel::cli {

class Console {
  public:
    // Progress is left out when quiet; on a terminal it is one line that
    // rewrites itself, elsewhere (a log, a pipe) one line each time.
    Console(std::FILE* out, std::FILE* errors, bool quiet, bool onTerminal);

    // The columns a progress line may take up to: the terminal's width, or 0
    // when there is no limit.
    int ProgressColumns() const;
    // line is already in the console's bytes.
    void Progress(const std::string& line);
    void Status(const std::string& line);
    void Failure(const std::string& line);

  private:
    // Wipes the progress line, so that what comes next starts on a clean one.
    void EndProgress();
    // Writes to standard output until a write fails; nothing after that.
    void WriteOut(const std::string& text);

    std::FILE* m_out;
    std::FILE* m_errors;
    bool m_quiet;
    bool m_onTerminal;
    std::size_t m_progressWidth = 0;  // bytes of the progress line on show
    bool m_outGone = false;
};

}  // namespace wendrel::cli
