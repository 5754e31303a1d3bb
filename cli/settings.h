// What wendrel-clip takes from Wendrel.ini beside the program, the settings
// file the dialog keeps, when the command line leaves it open.
#pragma once

#include <string>

namespace wendrel::cli {

// The folder the program was started in.
std::string CurrentFolder();

// The remembered save folder, else the current folder.
std::string DefaultFolder(const std::string& settingsPath);

// [Fetch] Connections, read as the dialog reads it.
int DefaultConnections(const std::string& settingsPath);

}  // namespace wendrel::cli
