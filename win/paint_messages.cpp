#include "win/paint_messages.h"

#include <windows.h>

void DispatchPaintMessages() {
    MSG message;
    while (::PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
        ::TranslateMessage(&message);
        ::DispatchMessageA(&message);
    }
}
