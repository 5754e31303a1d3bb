#include <unistd.h>

#include <climits>

#include "engine/settings_file.h"

namespace wendrel {

std::string SettingsFilePath() {
    char program[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", program, sizeof program - 1);
    const std::string path(program, length > 0 ? static_cast<std::size_t>(length) : 0);
    return path.substr(0, path.rfind('/') + 1) + kSettingsFileName;
}

}  // namespace wendrel
