// What wendrel-clip takes from Wendrel.ini beside the program, the settings
// file the dialog keeps, when the command line leaves it open.
#pragma once

#include <string>

namespace wendrel::cli {

// The value of key in section of the settings file at path, read as Windows
// reads such files: names in any letter case, the value without the blanks
// and the pair of quotes around it. "" when the file, section or key is
// missing.
std::string ReadSetting(const std::string& path, const std::string& section,
                        const std::string& key);

// The folder the program was started in.
std::string CurrentFolder();

// The remembered save folder, else the current folder.
std::string DefaultFolder(const std::string& settingsPath);

// [Fetch] Connections, read as the dialog reads it.
int DefaultConnections(const std::string& settingsPath);

}  // namespace wendrel::cli
