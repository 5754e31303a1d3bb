#include <windows.h>

#include "engine/settings_file.h"

namespace wendrel {

std::string SettingsFilePath() {
    char program[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, program, MAX_PATH);
    const std::string path(program);
    return path.substr(0, path.find_last_of("\\/") + 1) + kSettingsFileName;
}

}  // namespace wendrel
