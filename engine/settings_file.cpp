#include "engine/settings_file.h"

namespace wendrel {

std::string SettingsFilePath() {
    std::string folder;
    GetModuleFolder(folder);
    return folder + kSettingsFileName;
}

}  // namespace wendrel
