#include <windows.h>

#include <cstdlib>

#include "engine/settings_file.h"

namespace wendrel {

void GetModuleFolder(std::string& folder) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char drive[_MAX_DRIVE] = "";
    char directory[_MAX_DIR] = "";
    _splitpath(path, drive, directory, nullptr, nullptr);
    folder = std::string(drive) + directory;
}

std::string ReadSetting(const std::string& path, const std::string& section,
                        const std::string& key) {
    char value[kMaxSettingBytes] = "";
    ::GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, kMaxSettingBytes,
                               path.c_str());
    return value;
}

}  // namespace wendrel
