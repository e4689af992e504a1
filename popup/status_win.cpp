// The status text: measured, wrapped, fitted to the work area, what lies
// below moved, the popup grown, a screen reader told.
#include <windows.h>

#include <cstring>
#include <utility>

#include "base/owned_win.h"
#include "popup/auto_close.h"
#include "popup/buttons.h"
#include "popup/layout.h"
#include "popup/menu.h"
#include "popup/placement.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/text_helpers.h"
#include "popup/text_windows.h"

namespace {

// How much room a status text takes: its width (the wrap width once it
// wraps) and its height beyond one line.
struct StatusExtent {
    int width, extra;
};

StatusExtent MeasureStatus(HDC dc) {
    StatusExtent e = {0, 0};
    const char* text = popup.status.text;
    if (!dc || !text) return e;
    const Selection font(dc, popup.graphics.statusFont);
    SIZE size = {0, 0};
    MeasureText(dc, text, &size);
    e.width = size.cx;
    // Wider than the work area allows: onto more lines.
    const int wrapWidth = StatusWrapWidthNow();
    if (e.width > wrapWidth) {
        e.width = wrapWidth;
        e.extra = WrappedTextHeight(dc, text, wrapWidth) - popup.layout.statusLineHeight;
    }
    return e;
}

// What stands below the status text (the button row and the menu, unless the
// author placed them) moves down by `delta` as the text grows taller, or up
// as it is cut.
void MoveBelowStatus(HWND window, int delta) {
    if (settings.yExit == 0) {
        popup.layout.buttonRowTop += delta;
        MoveRowDown(delta);
    }
    if (settings.yMenu == 0 && popup.menu.width > 0) MoveMenuDown(window, delta);
    popup.layout.windowHeight += delta;
}

// The popup grows for the row's controls: tall enough for Exit and Install,
// wide enough for the whole row (a long ExitMsg under a short status text
// would otherwise be cut off at the right edge).
bool GrowForRow() {
    PopupLayout& l = popup.layout;
    bool changed = false;
    const RowControl* row[3] = {&popup.row.exitButton, &popup.row.installButton, &popup.row.checkBox};
    for (int i = 0; i < 3; ++i) {
        const RowControl& c = *row[i];
        if (!c.exists) continue;
        const int neededHeight = c.height + 2 * popup.metrics.frameHeight + c.y + popup.metrics.captionHeight;
        if (i < 2 && neededHeight > l.windowHeight) {
            l.windowHeight = neededHeight;
            changed = true;
        }
        const int right = c.x + c.width + popup.metrics.frameWidth;
        if (right > l.contentWidth) {
            l.contentWidth = right;
            changed = true;
        }
    }
    return changed;
}

}  // namespace

int StatusWrapWidthNow() {
    const RECT& area = popup.metrics.workArea;
    return StatusWrapWidth(area.right - area.left, popup.metrics.frameWidth, popup.layout.textLeft);
}

void SetPopupText(const char* text) {
    if (!text) text = popup.status.settled ? popup.status.settled : "";
    popup.status.text = text;
}

void SetPopupText(HeapText text) {
    if (!text) return;
    SetPopupText(text.get());
    popup.status.owned = std::move(text);
}

int LayOutFirstStatus(HDC dc, TextBlock& block) {
    popup.layout.textLeft = block.textLeft;
    const StatusExtent e = MeasureStatus(dc);
    if (e.extra > 0) {
        popup.status.extra = e.extra;
        if (settings.yExit == 0) block.buttonRowTop += e.extra;
        if (settings.yMenu == 0) block.menuTop += e.extra;
    }
    popup.status.width = e.width;
    return e.width;
}

bool FitStatusOnWorkArea(HWND window) {
    const RECT& area = popup.metrics.workArea;
    PopupStatus& s = popup.status;
    const int kept =
        FitStatusExtra(s.extra, popup.layout.windowHeight, area.bottom - area.top, popup.layout.statusLineHeight);
    if (kept >= s.extra) return false;
    MoveBelowStatus(window, kept - s.extra);
    s.extra = kept;
    return true;
}

void RemeasurePopup(HWND window) {
    StatusExtent e;
    {
        WindowDC dc(window);
        e = MeasureStatus(dc);
    }
    PopupLayout& l = popup.layout;
    bool changed = false;
    if (e.extra > popup.status.extra) {
        MoveBelowStatus(window, e.extra - popup.status.extra);
        popup.status.extra = e.extra;
        changed = true;
    }
    const int neededWidth = e.width + popup.metrics.frameWidth + l.textLeft;
    if (neededWidth > l.contentWidth) {
        l.contentWidth = neededWidth;
        changed = true;
    }
    changed = GrowForRow() || changed;
    changed = FitStatusOnWorkArea(window) || changed;
    popup.status.width = e.width;
    UpdateStatusWindow(true);
    if (changed)
        MovePopup(window);
    else
        InvalidateRect(window, nullptr, TRUE);
}

void ShowPopupText(HWND window, bool stopTimer) {
    RemeasurePopup(window);
    if (popup.hidden) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : SW_SHOW);
        UpdateWindow(window);
        // Told again now that it can be seen: the first time it was hidden.
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, popup.status.window, OBJID_CLIENT, CHILDID_SELF);
        popup.hidden = false;
        WatchFromHere();
    }
    if (stopTimer) StopAutoClose(window);
}
