// Whether a mouse position lies on the information line (the web link).
#include <windows.h>

#include "popup/popup.h"
#include "popup/popup_state.h"

bool IsOnInfoLine(LPARAM position) {
    // Both halves unsigned: positions left of or above the client area, which
    // arrive negative while the capture is held, land far outside.
    const long x = (long)LOWORD(position);
    const long y = (long)HIWORD(position);
    const long left = popup.textLeft, top = popup.infoTop;
    return x >= left && x < left + popup.displaySize.cx && y >= top && y < top + popup.displaySize.cy;
}
