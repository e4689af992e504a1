// Placing the popup on the desktop's work area.
#include <windows.h>

#include "app/settings.h"
#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"

POINT ComputePosition(int x, int y, int width, int height) {
    WorkAreaRect area;
    area.left = popup.workArea.left;
    area.top = popup.workArea.top;
    area.right = popup.workArea.right;
    area.bottom = popup.workArea.bottom;
    ScreenPoint p = PlaceOnWorkArea(area, x, y, width, height);
    POINT result = {p.x, p.y};
    return result;
}

void MovePopup(HWND window, int width, int height) {
    POINT at = ComputePosition(settings.popupPos.x, settings.popupPos.y, width, height);
    MoveWindow(window, at.x, at.y, width, height, TRUE);
}
