#include "shell/save_folder.h"

#include <windows.h>

#include "engine/settings_file.h"

using wendrel::kSaveFolderKey;
using wendrel::kSaveFolderSection;

std::string LoadSaveFolder(const std::string& settingsPath) {
    std::string folder = wendrel::ReadSetting(settingsPath, kSaveFolderSection, kSaveFolderKey);
    if (folder.empty()) {
        wendrel::GetModuleFolder(folder);
    }
    return folder;
}

void StoreSaveFolder(const std::string& settingsPath, const std::string& folder) {
    ::WritePrivateProfileStringA(kSaveFolderSection, kSaveFolderKey, folder.c_str(),
                                 settingsPath.c_str());
}
