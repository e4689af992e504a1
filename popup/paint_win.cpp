// Drawing the popup's logo, information line and status text.
#include <windows.h>

#include "base/owned_win.h"
#include "popup/paint.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/text_helpers.h"
#include "popup/text_windows.h"

void PaintPopup(HDC dc) {
    const PopupGraphics& g = popup.graphics;
    const PopupLayout& l = popup.layout;
    if (g.logo.Ready()) BitBlt(dc, l.logoX, l.logoY, g.logo.width, g.logo.height, g.logo.dc, 0, 0, SRCCOPY);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, popup.colours.info);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    // A text whose own font could not be made is drawn in the font the
    // context came with, rather than in the other text's font.
    Selection font(dc, g.infoFont);
    if (l.displayCut) {
        const RECT box = {l.textLeft, l.infoTop, l.textLeft + l.displaySize.cx, l.infoTop + l.infoLineHeight};
        PutCutText(dc, box, settings.Display);
    } else {
        PutText(dc, l.textLeft, l.infoTop, settings.Display);
    }

    const int underlineY = l.infoTop + l.infoLineHeight;
    if (l.underlineWidth > 1) {
        // A wide pen has round ends that run past the text and up into it.
        const RECT bar = {l.textLeft, underlineY, l.textLeft + l.displaySize.cx, underlineY + l.underlineWidth};
        const Brush brush(CreateSolidBrush(popup.colours.info));
        FillRect(dc, &bar, brush);
    } else {
        const Selection pen(dc, g.infoPen);
        MoveToEx(dc, l.textLeft, underlineY, nullptr);
        LineTo(dc, l.textLeft + l.displaySize.cx, underlineY);
    }

    font.Select(dc, g.statusFont);
    SetTextColor(dc, popup.colours.message);
    const char* text = popup.status.text;
    if (text && popup.status.extra > 0) {
        const RECT box = {l.textLeft, l.statusTop, l.textLeft + StatusWrapWidthNow(),
                          l.statusTop + l.statusLineHeight + popup.status.extra};
        PutWrappedText(dc, box, text);
    } else if (text) {
        PutText(dc, l.textLeft, l.statusTop, text);
    }
    DrawLinkFocus(dc);
}
