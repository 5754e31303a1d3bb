// How a failure that left a command handler reaches the user: a message box
// captioned with the application's name, after which the window goes on.
#pragma once

#include <windows.h>

#include <exception>
#include <new>

// Memory: system-modal with an exclamation mark, as nothing else may run first.
void ShowMemoryFailure(HWND owner, const std::bad_alloc& failure);

// Any other failure: a stop box with the failure's own text (code page 949).
void ShowFailure(HWND owner, const std::exception& failure);
