#include "shell/save_folder.h"

#include <windows.h>

#include "engine/settings_file.h"
#include "win/module_path.h"

using wendrel::kSaveFolderKey;
using wendrel::kSaveFolderSection;

std::string LoadSaveFolder(const std::string& settingsPath) {
    char value[MAX_PATH] = "";
    ::GetPrivateProfileStringA(kSaveFolderSection, kSaveFolderKey, "", value, MAX_PATH,
                               settingsPath.c_str());
    std::string folder = value;
    if (folder.empty()) {
        GetModuleFolder(folder);
    }
    return folder;
}

void StoreSaveFolder(const std::string& settingsPath, const std::string& folder) {
    ::WritePrivateProfileStringA(kSaveFolderSection, kSaveFolderKey, folder.c_str(),
                                 settingsPath.c_str());
}
