// The running executable's name, as programs name things by it.
#pragma once

#include <string>

// The running executable's file name without its folder and extension: "Tool"
// for C:\Tools\Tool.exe.
std::string ModuleName();
