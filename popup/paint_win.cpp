// Drawing the popup's logo, information line and status text, and growing the
// popup when its text or controls no longer fit.
#include <windows.h>

#include "base/owned_win.h"
#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "settings/settings.h"

void PaintPopup(HDC dc) {
    const PopupGraphics& g = popup.graphics;
    if (g.logo.Ready()) BitBlt(dc, popup.logoX, popup.logoY, g.logo.width, g.logo.height, g.logo.dc, 0, 0, SRCCOPY);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, popup.colours.info);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    // A text whose own font could not be made is drawn in the font the
    // context came with, rather than in the other text's font.
    Selection font(dc, g.infoFont);
    if (popup.displayCut) {
        const RECT box = {popup.textLeft, popup.infoTop, popup.textLeft + popup.displaySize.cx,
                          popup.infoTop + popup.infoLineHeight};
        PutCutText(dc, box, settings.Display);
    } else {
        PutText(dc, popup.textLeft, popup.infoTop, settings.Display);
    }

    const int underlineY = popup.infoTop + popup.infoLineHeight;
    if (popup.underlineWidth > 1) {
        // A wide pen has round ends that run past the text and up into it.
        const RECT bar = {popup.textLeft, underlineY, popup.textLeft + popup.displaySize.cx,
                          underlineY + popup.underlineWidth};
        const Brush brush(CreateSolidBrush(popup.colours.info));
        FillRect(dc, &bar, brush);
    } else {
        const Selection pen(dc, g.infoPen);
        MoveToEx(dc, popup.textLeft, underlineY, nullptr);
        LineTo(dc, popup.textLeft + popup.displaySize.cx, underlineY);
    }

    font.Select(dc, g.statusFont);
    SetTextColor(dc, popup.colours.message);
    if (popup.popupText && popup.statusExtra > 0) {
        const RECT box = {popup.textLeft, popup.statusTop, popup.textLeft + StatusWidth(),
                          popup.statusTop + popup.statusLineHeight + popup.statusExtra};
        PutWrappedText(dc, box, popup.popupText);
    } else if (popup.popupText) {
        PutText(dc, popup.textLeft, popup.statusTop, popup.popupText);
    }
    DrawLinkFocus(dc);
}

int StatusWidth() {
    return StatusWrapWidth(popup.workArea.right - popup.workArea.left, popup.frameWidth, popup.textLeft);
}

void RemeasurePopup(HWND window) {
    SIZE text = {0, 0};
    int extra = 0;
    {
        WindowDC dc(window);
        const Selection font(dc, popup.graphics.statusFont);
        if (dc.get() && popup.popupText) MeasureText(dc, popup.popupText, &text);
        // Wider than the work area allows: onto more lines.
        if (text.cx > StatusWidth()) {
            text.cx = StatusWidth();
            extra = WrappedTextHeight(dc, popup.popupText, text.cx) - popup.statusLineHeight;
        }
    }

    bool changed = false;
    if (extra > popup.statusExtra) {
        MoveBelowStatus(window, extra - popup.statusExtra);
        popup.statusExtra = extra;
        changed = true;
    }
    const int F = popup.frameWidth, G = popup.frameHeight;
    const int neededWidth = text.cx + F + popup.textLeft;
    if (neededWidth > popup.contentWidth) {
        popup.contentWidth = neededWidth;
        changed = true;
    }
    const RowControl* tall[2] = {&popup.exitButton, &popup.installButton};
    for (const RowControl* c : tall) {
        if (!c->exists) continue;
        const int neededHeight = c->height + 2 * G + c->y + popup.captionHeight;
        if (neededHeight > popup.windowHeight) {
            popup.windowHeight = neededHeight;
            changed = true;
        }
    }
    // The whole row must fit, the Exit button included: a long ExitMsg under
    // a short status text would otherwise be cut off at the right edge.
    const RowControl* row[3] = {&popup.exitButton, &popup.installButton, &popup.checkBox};
    for (const RowControl* c : row) {
        if (!c->exists) continue;
        const int right = c->x + c->width + F;
        if (right > popup.contentWidth) {
            popup.contentWidth = right;
            changed = true;
        }
    }

    changed = FitStatusOnWorkArea(window) || changed;
    UpdateStatusWindow(text.cx, popup.statusLineHeight + popup.statusExtra, true);
    if (changed)
        MovePopup(window, popup.contentWidth + 2 * F, popup.windowHeight);
    else
        InvalidateRect(window, nullptr, TRUE);
}
