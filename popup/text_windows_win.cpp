// Windows over the texts the popup draws: the web link (a button) and the
// status text (a static). A screen reader finds each text as a window's
// name, and the keyboard reaches the link. They draw exactly what the popup
// draws beneath them and let the mouse through to it, so the popup looks and
// answers the mouse as before.
#include <windows.h>

#include "base/owned_win.h"
#include "base/wide_text.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "settings/settings.h"

namespace {

// The information line with its underline, and a pixel around it for the
// focus rectangle.
RECT LinkRect() {
    const RECT r = {popup.textLeft - 1, popup.infoTop, popup.textLeft + popup.displaySize.cx + 1,
                    popup.infoTop + popup.infoLineHeight + popup.underlineWidth + 1};
    return r;
}

}  // namespace

void MakeTextWindows(HWND window, int statusWidth) {
    const RECT link = LinkRect();
    // An empty information line is no link: nothing to read out or to reach.
    if (settings.Display[0])
        popup.linkWindow = CreateButton(settings.Display, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, link.left,
                                        link.top, link.right - link.left, link.bottom - link.top, window, IdWebLink,
                                        popup.instanceHandle);
    if (popup.linkWindow) {
        SubclassPushButton(popup.linkWindow);
        const int slot = AppendToFocusList(popup.linkWindow);
        if (popup.focusIndex < 0) popup.focusIndex = slot;
    }
    popup.statusWindow =
        CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX, popup.textLeft,
                        popup.statusTop, 0, 0, window, (HMENU)(INT_PTR)IdStatusText, popup.instanceHandle, nullptr);
    UpdateStatusWindow(statusWidth, popup.statusLineHeight + popup.statusExtra, false);
}

void UpdateStatusWindow(int width, int height, bool announce) {
    if (!popup.statusWindow) return;
    SetWindowTextW(popup.statusWindow, WideArg(popup.popupText));
    SetWindowPos(popup.statusWindow, nullptr, popup.textLeft, popup.statusTop, width, height,
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // Read out by a screen reader, whether or not the system tells of the
    // new window text itself.
    if (announce) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, popup.statusWindow, OBJID_CLIENT, CHILDID_SELF);
}

void PaintTextWindow(HWND window, const DRAWITEMSTRUCT& item) {
    // A button an author placed over a text stays whole: the text window
    // draws around it, as the popup beneath does.
    for (int id = IdExit; id < IdFirstEntry + kMaxMenuEntries; ++id) {
        const HWND child = GetDlgItem(window, id);
        if (!child || id == IdWebLink || id == IdStatusText) continue;
        RECT c;
        GetWindowRect(child, &c);
        MapWindowPoints(nullptr, item.hwndItem, reinterpret_cast<POINT*>(&c), 2);
        ExcludeClipRect(item.hDC, c.left, c.top, c.right, c.bottom);
    }
    RECT r;
    if (!GetWindowRect(item.hwndItem, &r)) return;
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
    POINT origin;
    SetViewportOrgEx(item.hDC, -r.left, -r.top, &origin);
    FillRect(item.hDC, &r, popup.graphics.backgroundBrush);
    PaintPopup(item.hDC);
    SetViewportOrgEx(item.hDC, origin.x, origin.y, nullptr);
}

void DrawLinkFocus(HDC dc) {
    if (!popup.keyboardUsed || !popup.linkWindow || GetFocus() != popup.linkWindow) return;
    const RECT r = LinkRect();
    DrawFocusRect(dc, &r);
}
