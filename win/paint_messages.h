// For work that keeps the thread from its message loop: the windows still
// paint, and input stays queued for the loop.
#pragma once

// Dispatches the paint messages waiting for the thread's windows, and
// nothing else. Also tells Windows that the thread still answers.
void DispatchPaintMessages();
