// What CTest's fixtures prepare for the Windows tests (the local test site of
// tests/test_server.py, a small full disk), as a program under Wine sees it.
#pragma once

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>

#include "engine/text.h"

namespace wendrel::testing {

// path, relative to the fixtures folder that WENDREL_FIXTURES names, as a
// Windows path: Wine shows the Unix root as drive Z:. "" when it is not set.
inline std::string FixturePath(const std::string& path) {
    const char* fixtures = std::getenv("WENDREL_FIXTURES");
    if (fixtures == nullptr) {
        return "";
    }
    std::string unixPath = std::string(fixtures) + "/" + path;
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
}

// The first line of a fixture file, or "" when it is missing.
inline std::string FixtureLine(const std::string& path) {
    std::ifstream in(FixturePath(path));
    std::string line;
    std::getline(in, line);
    return line;
}

// "http://127.0.0.1:PORT" of the running test site.
inline PageText TestSiteBase() {
    return FixtureLine("site/site.txt");
}

// A loopback address where nothing listens.
inline PageText RefusedBase() {
    return FixtureLine("site/refused.txt");
}

// A loopback address that listens and never accepts: a connection to it
// never completes.
inline PageText UnacceptingBase() {
    return FixtureLine("site/unaccepting.txt");
}

}  // namespace wendrel::testing
