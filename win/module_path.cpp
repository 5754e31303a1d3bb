#include "win/module_path.h"

#include <windows.h>

#include <cstdlib>

std::string ModuleName() {
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    char name[_MAX_FNAME] = "";
    _splitpath(path, nullptr, nullptr, name, nullptr);
    return name;
}
