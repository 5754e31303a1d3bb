#include "shell/fetch_settings.h"

#include "engine/connections_setting.h"
#include "engine/settings_file.h"

int LoadConnections(const std::string& settingsPath) {
    return wendrel::ConnectionsFromSetting(
        wendrel::ReadSetting(settingsPath, wendrel::kFetchSection, wendrel::kConnectionsKey));
}
