#include <io.h>
#include <windows.h>

#include "cli/console_stream.h"

namespace wendrel::cli {

namespace {

constexpr UINT kKoreanCodePage = 949;

// The code page the console shows; the ANSI one when no console is attached.
UINT ConsoleCodePage() {
    const UINT codePage = GetConsoleOutputCP();
    return codePage != 0 ? codePage : GetACP();
}

// Characters the target code page lacks become its default character.
std::string Recode(const std::string& text, UINT from, UINT to) {
    if (text.empty() || from == to) {
        return text;
    }
    const int length = static_cast<int>(text.size());
    const int wideLength = MultiByteToWideChar(from, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, text.data(), length, wide.data(), wideLength);
    const int outLength =
        WideCharToMultiByte(to, 0, wide.data(), wideLength, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(outLength), '\0');
    WideCharToMultiByte(to, 0, wide.data(), wideLength, out.data(), outLength, nullptr, nullptr);
    return out;
}

}  // namespace

// Windows has no signal for a closed pipe: the write fails by itself.
void KeepRunningWhenOutputCloses() {}

bool IsTerminal(std::FILE* stream) {
    return _isatty(_fileno(stream)) != 0;
}

int TerminalColumns(std::FILE* stream) {
    CONSOLE_SCREEN_BUFFER_INFO info{};
    auto* const console = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    if (!GetConsoleScreenBufferInfo(console, &info)) {
        return 0;
    }
    return info.srWindow.Right - info.srWindow.Left + 1;
}

std::string ConsoleText(const std::string& text) {
    return Recode(text, GetACP(), ConsoleCodePage());
}

std::string ConsoleTextFrom949(const std::string& text) {
    return Recode(text, kKoreanCodePage, ConsoleCodePage());
}

}  // namespace wendrel::cli
