#include <windows.h>

#include "cli/settings.h"

namespace wendrel::cli {

std::string CurrentFolder() {
    char folder[MAX_PATH] = "";
    const DWORD length = GetCurrentDirectoryA(MAX_PATH, folder);
    return length > 0 && length < MAX_PATH ? folder : ".";
}

}  // namespace wendrel::cli
