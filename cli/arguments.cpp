#include "cli/arguments.h"

#include <cstddef>
#include <fstream>
#include <functional>
#include <string_view>

#include "engine/clip_run.h"
#include "engine/text/site_spelling.h"

namespace wendrel::cli {

namespace {

constexpr std::string_view kOptionPrefix = "--";
// Long enough for the network of a machine that just woke to come up.
constexpr int kMaxWaitSeconds = 3600;

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
    constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

bool AllDigits(std::string_view text) {
    return !text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// A date written YYYY-MM-DD that the calendar has, from year 1 to 9999.
std::optional<CalendarDate> ParseIsoDate(std::string_view text) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-' || !AllDigits(text.substr(0, 4)) ||
        !AllDigits(text.substr(5, 2)) || !AllDigits(text.substr(8, 2))) {
        return std::nullopt;
    }
    const CalendarDate date{std::stoi(std::string(text.substr(0, 4))),
                            std::stoi(std::string(text.substr(5, 2))),
                            std::stoi(std::string(text.substr(8, 2)))};
    if (date.year < 1 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month)) {
        return std::nullopt;
    }
    return date;
}

std::optional<CalendarDate> ParseSince(const std::string& value, const CalendarDate& today) {
    if (value == "today") {
        return today;
    }
    if (value == "yesterday") {
        return DayBefore(today);
    }
    return ParseIsoDate(value);
}

std::optional<int> ParseWholeNumber(const std::string& value, int least, int most) {
    // No more digits than most has: a longer number is out of range anyway.
    if (!AllDigits(value) || value.size() > std::to_string(most).size()) {
        return std::nullopt;
    }
    const int number = std::stoi(value);
    if (number < least || number > most) {
        return std::nullopt;
    }
    return number;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// "http://" or "https://" and a host, in the site's one spelling: the
// record is kept under it, and the site's addresses are built behind it.
std::optional<std::string> ParseSite(const std::string& written) {
    const std::string value = SiteSpelling(written);
    for (std::string_view scheme : {"http://", "https://"}) {
        if (StartsWith(value, scheme) && value.size() > scheme.size()) {
            return value;
        }
    }
    return std::nullopt;
}

std::string Quoted(const std::string& value) {
    return "\"" + value + "\"";
}

// Takes an option's value and stores it; an error line when it is not sound.
using ValueReader = std::function<std::string(const std::string&, ClipArguments&)>;

struct Option {
    std::string_view name;
    ValueReader readValue;  // empty for a switch
    std::function<void(ClipArguments&)> setSwitch;
};

std::string ReadSince(const std::string& value, ClipArguments& arguments,
                      const CalendarDate& today) {
    const std::optional<CalendarDate> since = ParseSince(value, today);
    if (!since) {
        return "--since: " + Quoted(value) + " is not a date; give YYYY-MM-DD, today or yesterday";
    }
    arguments.since = *since;
    arguments.sinceGiven = true;
    return {};
}

std::string ReadFolder(const std::string& value, ClipArguments& arguments) {
    if (value.empty()) {
        return "--folder: the folder is empty";
    }
    arguments.folder = value;
    return {};
}

std::string ReadSite(const std::string& value, ClipArguments& arguments) {
    arguments.site = ParseSite(value);
    arguments.siteAsWritten = value;
    if (!arguments.site) {
        return "--site: " + Quoted(value) + " is not an http:// or https:// address";
    }
    return {};
}

std::string ReadConnections(const std::string& value, ClipArguments& arguments) {
    arguments.connections = ParseWholeNumber(value, 1, kMaxConnections);
    if (!arguments.connections) {
        return "--connections: " + Quoted(value) + " is not a whole number from 1 to " +
               std::to_string(kMaxConnections);
    }
    return {};
}

std::string ReadWait(const std::string& value, ClipArguments& arguments) {
    const std::optional<int> seconds = ParseWholeNumber(value, 0, kMaxWaitSeconds);
    if (!seconds) {
        return "--wait: " + Quoted(value) + " is not a whole number of seconds from 0 to " +
               std::to_string(kMaxWaitSeconds);
    }
    arguments.siteWait = std::chrono::seconds(*seconds);
    return {};
}

#ifndef _WIN32
// A file that cannot be read would fail every HTTPS page as untrusted: the
// run would seem to meet a site with a bad certificate. Windows trusts the
// system's store alone.
std::string ReadCaFile(const std::string& value, ClipArguments& arguments) {
    if (value.empty() || !std::ifstream(value)) {
        return "--ca-file: " + Quoted(value) + " cannot be read";
    }
    arguments.caFile = value;
    return {};
}
#endif

std::vector<Option> Options(const CalendarDate& today) {
    return {
        {"since",
         [today](const std::string& value, ClipArguments& arguments) {
             return ReadSince(value, arguments, today);
         },
         {}},
        {"folder", ReadFolder, {}},
        {"site", ReadSite, {}},
        {"connections", ReadConnections, {}},
        {"wait", ReadWait, {}},
#ifndef _WIN32
        {"ca-file", ReadCaFile, {}},
#endif
        {"new", {}, [](ClipArguments& arguments) { arguments.newArticles = true; }},
        {"quiet", {}, [](ClipArguments& arguments) { arguments.quiet = true; }},
        {"help", {}, [](ClipArguments& arguments) { arguments.help = true; }},
        {"version", {}, [](ClipArguments& arguments) { arguments.version = true; }},
    };
}

// "--folder --quiet" lost its folder rather than named one "--quiet".
std::string OptionForValueError(const std::string& name, const std::string& next) {
    return name + ": the value is missing before " + next + "; write " + name +
           "=VALUE for a value that begins with --";
}

const Option* FindOption(const std::vector<Option>& options, std::string_view name) {
    for (const Option& option : options) {
        if (option.name == name) {
            return &option;
        }
    }
    return nullptr;
}

}  // namespace

CalendarDate DayBefore(const CalendarDate& date) {
    if (date.day > 1) {
        return {date.year, date.month, date.day - 1};
    }
    if (date.month > 1) {
        return {date.year, date.month - 1, DaysInMonth(date.year, date.month - 1)};
    }
    return {date.year - 1, 12, 31};
}

ParsedArguments ParseArguments(const std::vector<std::string>& arguments,
                               const CalendarDate& today) {
    ParsedArguments parsed;
    parsed.arguments.since = today;
    const std::vector<Option> options = Options(today);
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        // --name VALUE and --name=VALUE are the same.
        const std::size_t equals = argument.find('=');
        const std::string name = argument.substr(0, equals);
        const Option* option =
            StartsWith(name, kOptionPrefix) ? FindOption(options, name.substr(2)) : nullptr;
        if (option == nullptr) {
            parsed.error = name + ": not an argument of wendrel-clip; see --help";
            return parsed;
        }
        if (!option->readValue) {
            if (equals != std::string::npos) {
                parsed.error = name + ": takes no value";
                return parsed;
            }
            option->setSwitch(parsed.arguments);
            continue;
        }
        if (equals == std::string::npos && i + 1 == arguments.size()) {
            parsed.error = name + ": the value is missing";
            return parsed;
        }
        if (equals == std::string::npos && StartsWith(arguments[i + 1], kOptionPrefix)) {
            parsed.error = OptionForValueError(name, arguments[i + 1]);
            return parsed;
        }
        const std::string value =
            equals == std::string::npos ? arguments[++i] : argument.substr(equals + 1);
        parsed.error = option->readValue(value, parsed.arguments);
        if (!parsed.error.empty()) {
            return parsed;
        }
    }
    return parsed;
}

std::string UsageText() {
    return "Usage: wendrel-clip [OPTION]...\n"
           "Clips the news site's articles registered since a date into one HTML file\n"
           "named after that date, as the Wendrel dialog does.\n"
           "\n"
           "  --since DATE       YYYY-MM-DD, today or yesterday (default: today)\n"
           "  --folder DIR       where the clip goes (default: the folder remembered in\n"
           "                     Wendrel.ini beside the program, else the current folder)\n"
           "  --site URL         the site, http:// and the host (default: WENDREL_SITE,\n"
           "                     else the built-in site)\n"
           "  --connections N    pages fetched at once, 1 to 8 (default: Connections in\n"
           "                     the [Fetch] section of Wendrel.ini, else 4)\n"
           "  --wait SECONDS     ask for the site until it answers, at most SECONDS,\n"
           "                     before the run begins (default: 0)\n"
           "  --new              only the articles new since the last --new run into the\n"
           "                     folder, atop today's file; --since still ends the walk\n"
#ifndef _WIN32
           "  --ca-file FILE     trust the certificate authorities in FILE (PEM) for an\n"
           "                     https:// site, as curl's --cacert does; a certificate\n"
           "                     that fails is never taken (default: the system's)\n"
#endif
           "  --quiet            no progress; the last line is printed all the same\n"
           "  --help             this text\n"
           "  --version          the program's version\n"
           "\n"
           "Ctrl+C (also SIGTERM on Linux, Ctrl+Break on Windows) stops the run and\n"
           "saves what it read; a second one ends the program at once, and the clip\n"
           "file is never left cut.\n"
           "\n"
           "The last line is the run's status. Exit status: 0 saved; 1 no articles\n"
           "found; 2 bad arguments; 3 saved with a note (stopped early, by Ctrl+C\n"
           "too, pages unread or without their article text); 4 the file or the\n"
           "record could not be written, the folder's lock could not be taken, or\n"
           "another run kept the folder for a minute; 5 out of memory or another\n"
           "resource; 6 the site did not answer, nothing written; 130 stopped before\n"
           "any article was read, or while another run saved, nothing written.\n";
}

}  // namespace wendrel::cli
