#include "shell/fetch_settings.h"

#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "engine/clip_run.h"

namespace {

constexpr char kSection[] = "Fetch";
constexpr char kKey[] = "Connections";
constexpr DWORD kValueSize = 64;

}  // namespace

int LoadConnections(const std::string& settingsPath) {
    char value[kValueSize] = "";
    ::GetPrivateProfileStringA(kSection, kKey, "", value, kValueSize, settingsPath.c_str());
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value, &end, 10);
    // Trailing blanks come from hand editing; anything else makes it no number.
    if (end == value || std::string(end).find_first_not_of(" \t") != std::string::npos) {
        return wendrel::kDefaultConnections;
    }
    if (errno == ERANGE) {
        return number < 0 ? 1 : wendrel::kMaxConnections;
    }
    return static_cast<int>(std::clamp<long long>(number, 1, wendrel::kMaxConnections));
}
