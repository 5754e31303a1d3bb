// What a command line asks of wendrel-clip.
#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "engine/clip_front_end.h"

namespace wendrel::cli {

// Options left out stay empty: their defaults come from the settings file and
// the environment, which parsing does not read.
struct ClipArguments {
    CalendarDate since{};
    bool sinceGiven = false;
    std::optional<std::string> folder;
    std::optional<std::string> site;  // in its one spelling
    std::optional<std::string> siteAsWritten;
    std::optional<int> connections;
    std::chrono::seconds siteWait{0};
    // Certificate authorities (PEM) that libcurl trusts; empty for the
    // system's.
    std::string caFile;
    bool newArticles = false;
    bool quiet = false;
    bool help = false;
    bool version = false;
};

struct ParsedArguments {
    ClipArguments arguments;
    // One line naming the argument at fault; empty for a sound command line.
    std::string error;
};

// Reads the arguments that follow the program's name; "today", "yesterday"
// and a missing --since are counted from today.
ParsedArguments ParseArguments(const std::vector<std::string>& arguments,
                               const CalendarDate& today);

// The date before date in the Gregorian calendar.
CalendarDate DayBefore(const CalendarDate& date);

// What --help prints.
std::string UsageText();

}  // namespace wendrel::cli
