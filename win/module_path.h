// The running executable's path, cut into the parts programs name things by.
#pragma once

#include <string>

struct ModulePath {
    std::string folder;  // Drive and directory, ending with a backslash: "C:\Tools\".
    std::string name;    // File name without its extension: "Tool".
};

// The running executable's path, split as _splitpath splits it.
ModulePath SplitModulePath();

// The running executable's drive and directory, ending with a backslash.
void GetModuleFolder(std::string& folder);
