// The shell's folder picker, opened on the save folder.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

// Selects the folder named by lpData (a path) once the picker is ready.
int CALLBACK BrowseCallbackProc(HWND hwnd, UINT uMsg, LPARAM lParam, LPARAM lpData);

// Lets the user choose a file-system folder, starting at current. The chosen
// folder's path, or nothing when the picker was cancelled or the chosen item
// has no path on disk.
std::optional<std::string> PickFolder(HWND owner, const std::string& current);
