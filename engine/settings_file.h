// Wendrel.ini, the settings file beside the program: the dialog keeps it and
// wendrel-clip reads it, so both find each setting in the same place.
#pragma once

#include <string>

namespace wendrel {

constexpr char kSettingsFileName[] = "Wendrel.ini";

// kSettingsFileName in the running program's folder.
std::string SettingsFilePath();

// The folder the dialog remembers.
constexpr char kSaveFolderSection[] = "Dest";
constexpr char kSaveFolderKey[] = "SaveFolderName";

// How many pages a run fetches at once; nothing writes it.
constexpr char kFetchSection[] = "Fetch";
constexpr char kConnectionsKey[] = "Connections";

}  // namespace wendrel
