#include "cli/settings.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace wendrel::cli {

std::string DefaultFolder(const std::string& settingsPath) {
    std::string folder = ReadSetting(settingsPath, "Dest", "SaveFolderName");
    return folder.empty() ? CurrentFolder() : folder;
}

int DefaultConnections(const std::string& settingsPath, int defaultConnections,
                       int maxConnections) {
    const std::string value = ReadSetting(settingsPath, "Fetch", "Connections");
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() || *end != '\0') {
        return defaultConnections;
    }
    if (errno == ERANGE) {
        return number < 0 ? 1 : maxConnections;
    }
    return static_cast<int>(std::clamp<long long>(number, 1, maxConnections));
}

}  // namespace wendrel::cli
