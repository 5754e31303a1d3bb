// How a failure that left a command handler reaches the user: a message box
// captioned with the application's name, after which the window goes on.
#pragma once

#include <windows.h>

#include <exception>

// Memory: system-modal with an exclamation mark, as nothing else may run first,
// and the same words for it, whatever was thrown.
void ShowMemoryFailure(HWND owner);

// Any other failure: a stop box with the failure's own text (code page 949).
void ShowFailure(HWND owner, const std::exception& failure);
