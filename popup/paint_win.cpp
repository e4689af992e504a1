// Drawing the popup's logo, information line and status text, and growing the
// popup when its text or controls no longer fit.
#include <windows.h>

#include "app/cmdline.h"
#include "app/settings.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"

void PaintPopup(HDC dc) {
    if (popup.logoBitmap && popup.logoDC)
        BitBlt(dc, popup.logoX, popup.logoY, popup.logoWidth, popup.logoHeight, popup.logoDC, 0, 0, SRCCOPY);

    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, settings.InfoColor);
    SetTextAlign(dc, TA_LEFT | TA_TOP | TA_NOUPDATECP);

    // The font the context came with; a text whose own font could not be made
    // is drawn in it rather than in the other text's font.
    HGDIOBJ originalFont = popup.infoFont ? SelectObject(dc, popup.infoFont) : nullptr;
    bool fontSelected = popup.infoFont != nullptr;

    PutText(dc, popup.textLeft, popup.infoTop, settings.Display, (int)settings.displayLength);

    HGDIOBJ previousPen = popup.infoPen ? SelectObject(dc, popup.infoPen) : nullptr;
    const int underlineY = popup.infoTop + popup.infoLineHeight;
    MoveToEx(dc, popup.textLeft, underlineY, nullptr);
    LineTo(dc, popup.textLeft + popup.displaySize.cx, underlineY);

    if (popup.statusFont) {
        HGDIOBJ replaced = SelectObject(dc, popup.statusFont);
        if (!fontSelected) originalFont = replaced;
        fontSelected = true;
    } else if (fontSelected) {
        SelectObject(dc, originalFont);
        fontSelected = false;
    }

    SetTextColor(dc, settings.MsgColor);
    if (popupText) PutText(dc, popup.textLeft, popup.statusTop, popupText, (int)popupTextLength);

    if (fontSelected && originalFont) SelectObject(dc, originalFont);
    if (previousPen) SelectObject(dc, previousPen);
}

void RemeasurePopup(HWND window) {
    SIZE text = {0, 0};
    HDC dc = GetDC(window);
    if (dc) {
        HGDIOBJ previous = popup.statusFont ? SelectObject(dc, popup.statusFont) : nullptr;
        if (popupText) MeasureText(dc, popupText, (int)popupTextLength, &text);
        if (previous) SelectObject(dc, previous);
        ReleaseDC(window, dc);
    }

    bool changed = false;
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

    if (changed)
        MovePopup(window, popup.contentWidth + 2 * F, popup.windowHeight);
    else
        InvalidateRect(window, nullptr, TRUE);
}
