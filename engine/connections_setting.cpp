#include "engine/connections_setting.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "engine/clip_run.h"

namespace wendrel {

int ConnectionsFromSetting(const std::string& value) {
    char* end = nullptr;
    errno = 0;
    const long long number = std::strtoll(value.c_str(), &end, 10);
    if (end == value.c_str() || std::string(end).find_first_not_of(" \t") != std::string::npos) {
        return kDefaultConnections;
    }
    if (errno == ERANGE) {
        return number < 0 ? 1 : kMaxConnections;
    }
    return static_cast<int>(std::clamp<long long>(number, 1, kMaxConnections));
}

}  // namespace wendrel
