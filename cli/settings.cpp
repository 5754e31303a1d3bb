#include "cli/settings.h"

#include "engine/connections_setting.h"
#include "engine/settings_file.h"

namespace wendrel::cli {

std::string DefaultFolder(const std::string& settingsPath) {
    std::string folder = ReadSetting(settingsPath, kSaveFolderSection, kSaveFolderKey);
    return folder.empty() ? CurrentFolder() : folder;
}

int DefaultConnections(const std::string& settingsPath) {
    return ConnectionsFromSetting(ReadSetting(settingsPath, kFetchSection, kConnectionsKey));
}

}  // namespace wendrel::cli
