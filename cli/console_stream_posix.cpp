#include <iconv.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstddef>

#include "cli/console_stream.h"

namespace wendrel::cli {

namespace {

// Stands for a byte that is no character of code page 949, so that a message
// still reads as far as it can.
constexpr char kReplacement = '?';

class Converter {
  public:
    Converter(const char* to, const char* from) : m_handle(iconv_open(to, from)) {}
    ~Converter() {
        if (m_handle != reinterpret_cast<iconv_t>(-1)) {
            iconv_close(m_handle);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    std::string Convert(const std::string& text) const {
        if (m_handle == reinterpret_cast<iconv_t>(-1)) {
            return text;
        }
        std::string converted;
        std::string input = text;
        char* in = input.data();
        std::size_t inLeft = input.size();
        char buffer[256];
        while (inLeft > 0) {
            char* out = buffer;
            std::size_t outLeft = sizeof buffer;
            const std::size_t result = iconv(m_handle, &in, &inLeft, &out, &outLeft);
            converted.append(buffer, static_cast<std::size_t>(out - buffer));
            if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
                converted += kReplacement;
                ++in;
                --inLeft;
            }
        }
        return converted;
    }

  private:
    iconv_t m_handle;
};

}  // namespace

void KeepRunningWhenOutputCloses() {
    std::signal(SIGPIPE, SIG_IGN);
}

bool IsTerminal(std::FILE* stream) {
    return isatty(fileno(stream)) != 0;
}

int TerminalColumns(std::FILE* stream) {
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) != 0) {
        return 0;
    }
    return size.ws_col;
}

std::string ConsoleText(const std::string& text) {
    return text;
}

std::string ConsoleTextFrom949(const std::string& text) {
    const Converter converter("UTF-8", "CP949");
    return converter.Convert(text);
}

}  // namespace wendrel::cli
