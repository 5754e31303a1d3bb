#include "win/module_path.h"

#include <windows.h>

#include <cstdlib>

ModulePath SplitModulePath() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char drive[_MAX_DRIVE] = "";
    char directory[_MAX_DIR] = "";
    char name[_MAX_FNAME] = "";
    _splitpath(path, drive, directory, name, nullptr);
    return {std::string(drive) + directory, name};
}

void GetModuleFolder(std::string& folder) {
    folder = SplitModulePath().folder;
}
