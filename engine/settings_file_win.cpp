#include "engine/settings_file.h"

#include "win/module_path.h"

namespace wendrel {

std::string SettingsFilePath() {
    std::string folder;
    GetModuleFolder(folder);
    return folder + kSettingsFileName;
}

}  // namespace wendrel
