#include "shell/fetch_settings.h"

#include <windows.h>

#include "engine/connections_setting.h"

namespace {

constexpr char kSection[] = "Fetch";
constexpr char kKey[] = "Connections";
constexpr DWORD kValueSize = 64;

}  // namespace

int LoadConnections(const std::string& settingsPath) {
    char value[kValueSize] = "";
    ::GetPrivateProfileStringA(kSection, kKey, "", value, kValueSize, settingsPath.c_str());
    return wendrel::ConnectionsFromSetting(value);
}
