#include "shell/minimised_icon.h"

// Division truncates toward zero, so a client area one pixel narrower than the
// icon still starts the icon at 0.
POINT MinimisedIconOrigin(int clientWidth, int clientHeight, int iconWidth, int iconHeight) {
    return POINT{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
