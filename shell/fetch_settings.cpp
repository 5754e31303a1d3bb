#include "shell/fetch_settings.h"

#include <windows.h>

#include "engine/connections_setting.h"
#include "engine/settings_file.h"

namespace {

constexpr DWORD kValueSize = 64;

}  // namespace

int LoadConnections(const std::string& settingsPath) {
    char value[kValueSize] = "";
    ::GetPrivateProfileStringA(wendrel::kFetchSection, wendrel::kConnectionsKey, "", value,
                               kValueSize, settingsPath.c_str());
    return wendrel::ConnectionsFromSetting(value);
}
