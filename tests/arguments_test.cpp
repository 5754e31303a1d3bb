#include "cli/arguments.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace wendrel::cli {
namespace {

constexpr CalendarDate kToday{2026, 3, 1};

std::string DateText(const CalendarDate& date) {
    return std::to_string(date.year) + "-" + std::to_string(date.month) + "-" +
           std::to_string(date.day);
}

// A sound command line and what it asks for, written out in one line.
struct SoundCase {
    std::vector<std::string> arguments;
    std::string asked;
};

std::string Asked(const ClipArguments& arguments) {
    return DateText(arguments.since) + " folder=" + arguments.folder.value_or("-") +
           " site=" + arguments.site.value_or("-") + " connections=" +
           (arguments.connections ? std::to_string(*arguments.connections) : "-") +
           (arguments.siteWait.count() > 0 ? " wait=" + std::to_string(arguments.siteWait.count())
                                           : "") +
           (arguments.quiet ? " quiet" : "") + (arguments.help ? " help" : "") +
           (arguments.version ? " version" : "") + (arguments.newArticles ? " new" : "") +
           (arguments.newArticles && arguments.sinceGiven ? ", since given" : "");
}

TEST(ArgumentsTest, ReadsASoundCommandLine) {
    const SoundCase cases[] = {
        {{}, "2026-3-1 folder=- site=- connections=-"},
        {{"--since", "yesterday"}, "2026-2-28 folder=- site=- connections=-"},
        {{"--since=today"}, "2026-3-1 folder=- site=- connections=-"},
        {{"--since", "2024-02-29", "--folder", "/srv/clips", "--connections", "8"},
         "2024-2-29 folder=/srv/clips site=- connections=8"},
        // The site's addresses are built behind it: a trailing "/" would double.
        {{"--site=http://127.0.0.1:8080/"},
         "2026-3-1 folder=- site=http://127.0.0.1:8080 connections=-"},
        // One spelling for the record: the scheme and host in lower case.
        {{"--site", "HTTPS://News.Example/Section/"},
         "2026-3-1 folder=- site=https://news.example/Section connections=-"},
        // 기사: folder bytes pass unchanged.
        {{"--folder", "\xB1\xE2\xBB\xE7", "--quiet"},
         "2026-3-1 folder=\xB1\xE2\xBB\xE7 site=- connections=- quiet"},
        {{"--since", "2000-01-01", "--since", "2001-01-01"},
         "2001-1-1 folder=- site=- connections=-"},
        {{"--help", "--version"}, "2026-3-1 folder=- site=- connections=- help version"},
        {{"--wait", "120"}, "2026-3-1 folder=- site=- connections=- wait=120"},
        {{"--wait=3600", "--wait", "0"}, "2026-3-1 folder=- site=- connections=-"},
        // Only written with "=" is a value that begins with "--" a value.
        {{"--folder=--clips"}, "2026-3-1 folder=--clips site=- connections=-"},
        // --new tells a date given from the default, which it does not take as a floor.
        {{"--new"}, "2026-3-1 folder=- site=- connections=- new"},
        {{"--since", "today", "--new"}, "2026-3-1 folder=- site=- connections=- new, since given"},
    };
    for (const SoundCase& sound : cases) {
        const ParsedArguments parsed = ParseArguments(sound.arguments, kToday);
        EXPECT_EQ(parsed.error, "");
        EXPECT_EQ(Asked(parsed.arguments), sound.asked);
    }
}

struct FaultCase {
    std::vector<std::string> arguments;
    std::string error;
};

TEST(ArgumentsTest, NamesTheArgumentAtFault) {
    const char kNotADate[] = "is not a date; give YYYY-MM-DD, today or yesterday";
    const FaultCase cases[] = {
        {{"--since", "2026-02-29"}, std::string("--since: \"2026-02-29\" ") + kNotADate},
        {{"--since", "2026-13-01"}, std::string("--since: \"2026-13-01\" ") + kNotADate},
        {{"--since", "2026-1-01"}, std::string("--since: \"2026-1-01\" ") + kNotADate},
        {{"--since", "0000-01-01"}, std::string("--since: \"0000-01-01\" ") + kNotADate},
        {{"--since=tomorrow"}, std::string("--since: \"tomorrow\" ") + kNotADate},
        {{"--since"}, "--since: the value is missing"},
        {{"--folder", ""}, "--folder: the folder is empty"},
        {{"--site", "news.example"},
         "--site: \"news.example\" is not an http:// or https:// address"},
        {{"--site", "http://"}, "--site: \"http://\" is not an http:// or https:// address"},
        {{"--connections", "0"}, "--connections: \"0\" is not a whole number from 1 to 8"},
        {{"--connections", "9"}, "--connections: \"9\" is not a whole number from 1 to 8"},
        {{"--connections", "four"}, "--connections: \"four\" is not a whole number from 1 to 8"},
        {{"--wait", "3601"}, "--wait: \"3601\" is not a whole number of seconds from 0 to 3600"},
        {{"--wait", "-1"}, "--wait: \"-1\" is not a whole number of seconds from 0 to 3600"},
        {{"--folder", "--quiet"},
         "--folder: the value is missing before --quiet; write --folder=VALUE for a value that "
         "begins with --"},
        {{"--quiet=yes"}, "--quiet: takes no value"},
        {{"--new=yes"}, "--new: takes no value"},
        {{"--speed", "1"}, "--speed: not an argument of wendrel-clip; see --help"},
        {{"2026-03-01"}, "2026-03-01: not an argument of wendrel-clip; see --help"},
    };
    for (const FaultCase& fault : cases) {
        EXPECT_EQ(ParseArguments(fault.arguments, kToday).error, fault.error);
    }
}

TEST(ArgumentsTest, DayBeforeCrossesMonthsYearsAndLeapDays) {
    const std::pair<CalendarDate, std::string> cases[] = {
        {{2026, 3, 15}, "2026-3-14"}, {{2026, 3, 1}, "2026-2-28"}, {{2024, 3, 1}, "2024-2-29"},
        {{2000, 3, 1}, "2000-2-29"},  {{1900, 3, 1}, "1900-2-28"}, {{2026, 1, 1}, "2025-12-31"},
        {{2026, 5, 1}, "2026-4-30"},
    };
    for (const auto& [date, before] : cases) {
        EXPECT_EQ(DateText(DayBefore(date)), before);
    }
}

}  // namespace
}  // namespace wendrel::cli
