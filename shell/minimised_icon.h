// Where a minimised dialog draws its icon.
#pragma once

#include <windows.h>

// The icon's top-left corner that centres an icon of iconWidth x iconHeight
// in a client area of clientWidth x clientHeight, an odd pixel going right.
POINT MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight);
