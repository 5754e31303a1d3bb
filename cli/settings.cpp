#include "cli/settings.h"

#include "engine/connections_setting.h"

namespace wendrel::cli {

std::string DefaultFolder(const std::string& settingsPath) {
    std::string folder = ReadSetting(settingsPath, "Dest", "SaveFolderName");
    return folder.empty() ? CurrentFolder() : folder;
}

int DefaultConnections(const std::string& settingsPath) {
    return ConnectionsFromSetting(ReadSetting(settingsPath, "Fetch", "Connections"));
}

}  // namespace wendrel::cli
