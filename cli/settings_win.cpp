#include <windows.h>

#include "cli/settings.h"

namespace wendrel::cli {

std::string ReadSetting(const std::string& path, const std::string& section,
                        const std::string& key) {
    char value[MAX_PATH] = "";
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", value, MAX_PATH, path.c_str());
    return value;
}

std::string CurrentFolder() {
    char folder[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? folder : ".";
}

}  // namespace wendrel::cli
