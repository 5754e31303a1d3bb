// What CTest's fixtures prepare for the tests (the local test site of
// tests/test_server.py, a small full disk), as the program under test sees it.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/fetch/page_fetcher.h"
#include "engine/text/text.h"

namespace wendrel::testing {

// path, relative to the fixtures folder that WENDREL_FIXTURES names; in the
// Windows build a Windows path, since Wine shows the Unix root as drive Z:.
// "" when it is not set.
inline std::string FixturePath(const std::string& path) {
    const char* fixtures = std::getenv("WENDREL_FIXTURES");
    if (fixtures == nullptr) {
        return "";
    }
    std::string unixPath = std::string(fixtures) + "/" + path;
#ifdef _WIN32
    std::replace(unixPath.begin(), unixPath.end(), '/', '\\');
    return "Z:" + unixPath;
#else
    return unixPath;
#endif
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

// "https://localhost:PORT": the test site with a certificate for localhost
// from the test run's own certificate authority.
inline PageText SecureBase() {
    return FixtureLine("site/secure.txt");
}

// The same site with a certificate that no one trusts.
inline PageText UntrustedBase() {
    return FixtureLine("site/untrusted.txt");
}

// A site whose host name is not found. Its first label is longer than a
// name's 63 bytes, so the resolver refuses it without asking a name server:
// the test sends nothing off the machine.
inline PageText UnknownHostBase() {
    return "https://" + PageText(64, 'n') + ".invalid";
}

// A fetcher that trusts the test run's certificate authority: libcurl is
// handed its file; WinInet finds it in the Wine prefix's root store, where
// CTest's fixture put it for the tests' time.
inline std::unique_ptr<SystemPageFetcher> TestSiteFetcher(std::chrono::milliseconds timeOut) {
#ifdef _WIN32
    return std::make_unique<SystemPageFetcher>(timeOut);
#else
    return std::make_unique<SystemPageFetcher>(timeOut, FixturePath("site/ca.pem"));
#endif
}

// A loopback address that listens and never accepts: a connection to it
// never completes.
inline PageText UnacceptingBase() {
    return FixtureLine("site/unaccepting.txt");
}

// The test site's filler bytes (pattern() in tests/test_server.py).
inline PageText Pattern(int length) {
    PageText bytes;
    for (int i = 0; i < length; ++i) {
        bytes += static_cast<char>(0x41 + (i * 7 + i / 251) % 26);
    }
    return bytes;
}

// The request lines and headers the test site saw for requests whose line
// holds tag, asked of the site through fetcher.
inline std::vector<std::string> SeenRequests(PageFetcher& fetcher, const PageText& site,
                                             const std::string& tag) {
    PageText log;
    fetcher.ReadUrl(site + "/log?match=" + tag, log);
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        if (!line.empty()) {
            lines.push_back(line);
        }
    }
    return lines;
}

}  // namespace wendrel::testing
