// Placing the popup on the desktop's work area.
#include <windows.h>

#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "settings/settings.h"

POINT ComputePosition(int x, int y, int width, int height) {
    WorkAreaRect area;
    area.left = popup.workArea.left;
    area.top = popup.workArea.top;
    area.right = popup.workArea.right;
    area.bottom = popup.workArea.bottom;
    // An author's numbers were chosen on the author's screen; on a smaller or
    // more scaled one the window would reach past the edge with its buttons.
    const ScreenPoint p = KeepInsideWorkArea(area, PlaceOnWorkArea(area, x, y, width, height), width, height);
    const POINT result = {p.x, p.y};
    return result;
}

void MovePopup(HWND window, int width, int height) {
    // Without a position of the author's, a menu is centred and a status
    // popup sits at the top left.
    const int x = DefaultPopupPosition(settings.popupPos.x, settings.anyButton);
    const POINT at = ComputePosition(x, settings.popupPos.y, width, height);
    MoveWindow(window, at.x, at.y, width, height, TRUE);
}
