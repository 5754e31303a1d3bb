// What the platform's console asks of a message: whether a stream shows on a
// terminal, and the bytes in which it shows text.
#pragma once

#include <cstdio>
#include <string>

namespace wendrel::cli {

// A write to a closed pipe fails instead of ending the program, so that a
// reader that went away cannot cost the run its clip.
void KeepRunningWhenOutputCloses();

bool IsTerminal(std::FILE* stream);
// The width of the terminal stream shows on; 0 when it shows on none, or when
// the width cannot be learnt.
int TerminalColumns(std::FILE* stream);

// Text in the program's own bytes (its arguments, the paths built from them,
// the status texts) as the console shows it: in the console's code page on
// Windows, where those bytes are the ANSI code page's; unchanged on POSIX,
// where they already are the locale's.
std::string ConsoleText(const std::string& text);

// One of the engine's Korean texts, in code page 949, as the console shows it:
// in the console's code page on Windows, as UTF-8 on POSIX.
std::string ConsoleTextFrom949(const std::string& text);

}  // namespace wendrel::cli
