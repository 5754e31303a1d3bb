// Wendrel.ini, the settings file beside the program: the dialog keeps it and
// wendrel-clip reads it, so both find each setting in the same place.
#pragma once

#include <string>

namespace wendrel {

constexpr char kSettingsFileName[] = "Wendrel.ini";

// Replaces folder with the running program's drive and folder, ending with
// its separator: where the settings file is, and where the dialog saves when
// no folder is remembered.
void GetModuleFolder(std::string& folder);

// kSettingsFileName in the running program's folder.
std::string SettingsFilePath();

// The value of key in section of the settings file at path, read as Windows
// reads such files (at most kMaxSettingBytes - 1 bytes of it): names in any
// letter case, the value without the blanks and the pair of quotes around
// it. "" when the file, section or key is missing.
std::string ReadSetting(const std::string& path, const std::string& section,
                        const std::string& key);
constexpr int kMaxSettingBytes = 260;

// The folder the dialog remembers.
constexpr char kSaveFolderSection[] = "Dest";
constexpr char kSaveFolderKey[] = "SaveFolderName";

// How many pages a run fetches at once; nothing writes it.
constexpr char kFetchSection[] = "Fetch";
constexpr char kConnectionsKey[] = "Connections";

}  // namespace wendrel
