#include "shell/save_folder.h"

#include <windows.h>

#include <cstdlib>

namespace {

constexpr char kSettingsFileName[] = "Wendrel.ini";
constexpr char kSection[] = "Dest";
constexpr char kKey[] = "SaveFolderName";

}  // namespace

void GetModuleFolder(std::string& folder) {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char drive[_MAX_DRIVE] = "";
    char directory[_MAX_DIR] = "";
    _splitpath(path, drive, directory, nullptr, nullptr);
    folder = std::string(drive) + directory;
}

std::string SettingsFilePath() {
    std::string path;
    GetModuleFolder(path);
    return path + kSettingsFileName;
}

std::string LoadSaveFolder(const std::string& settingsPath) {
    char value[MAX_PATH] = "";
    ::GetPrivateProfileStringA(kSection, kKey, "", value, MAX_PATH, settingsPath.c_str());
    std::string folder = value;
    if (folder.empty()) {
        GetModuleFolder(folder);
    }
    return folder;
}

void StoreSaveFolder(const std::string& settingsPath, const std::string& folder) {
    ::WritePrivateProfileStringA(kSection, kKey, folder.c_str(), settingsPath.c_str());
}
