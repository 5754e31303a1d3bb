// Where clip files go: the folder remembered in Wendrel.ini beside the
// executable, or the executable's own folder.
#pragma once

#include <string>

// The remembered save folder (at most 259 bytes), or the executable's folder
// when the settings file holds none. Never creates the file.
std::string LoadSaveFolder(const std::string& settingsPath);

// Remembers folder for the next start.
void StoreSaveFolder(const std::string& settingsPath, const std::string& folder);
