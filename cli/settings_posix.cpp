#include <unistd.h>

#include <climits>

#include "cli/settings.h"

namespace wendrel::cli {

std::string CurrentFolder() {
    char folder[PATH_MAX];
    return getcwd(folder, sizeof folder) != nullptr ? folder : ".";
}

}  // namespace wendrel::cli
