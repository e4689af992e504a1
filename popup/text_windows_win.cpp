// The link and status windows: the popup looks and answers the mouse as if
// they were not there.
#include <windows.h>

#include "base/owned_win.h"
#include "base/wide_text.h"
#include "popup/focus.h"
#include "popup/paint.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "popup/text_windows.h"

namespace {

// The information line with its underline, and a pixel around it for the
// focus rectangle.
RECT LinkRect() {
    const PopupLayout& l = popup.layout;
    const RECT r = {l.textLeft - 1, l.infoTop, l.textLeft + l.displaySize.cx + 1,
                    l.infoTop + l.infoLineHeight + l.underlineWidth + 1};
    return r;
}

}  // namespace

void MakeTextWindows(HWND window) {
    const RECT link = LinkRect();
    // An empty information line is no link: nothing to read out or to reach.
    if (settings.Display[0])
        popup.link.window = CreateButton(settings.Display, WS_CHILD | WS_VISIBLE | BS_OWNERDRAW, link.left, link.top,
                                         link.right - link.left, link.bottom - link.top, window, IdWebLink);
    if (popup.link.window) {
        SubclassPushButton(popup.link.window);
        const int slot = AppendToFocusList(popup.link.window);
        if (popup.focus.index < 0) popup.focus.index = slot;
    }
    popup.status.window =
        CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_OWNERDRAW | SS_NOPREFIX,
                        popup.layout.textLeft, popup.layout.statusTop, 0, 0, window, (HMENU)(INT_PTR)IdStatusText,
                        popup.instanceHandle, nullptr);
    UpdateStatusWindow(false);
}

void UpdateStatusWindow(bool announce) {
    const HWND status = popup.status.window;
    if (!status) return;
    SetWindowTextW(status, WideArg(popup.status.text));
    SetWindowPos(status, nullptr, popup.layout.textLeft, popup.layout.statusTop, popup.status.width,
                 popup.layout.statusLineHeight + popup.status.extra, SWP_NOZORDER | SWP_NOACTIVATE);
    // Read out by a screen reader, whether or not the system tells of the
    // new window text itself.
    if (announce) NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, status, OBJID_CLIENT, CHILDID_SELF);
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
    if (!popup.focus.keyboardUsed || !popup.link.window || GetFocus() != popup.link.window) return;
    const RECT r = LinkRect();
    DrawFocusRect(dc, &r);
}

bool IsOnInfoLine(LPARAM position) {
    // Both halves unsigned: positions left of or above the client area, which
    // arrive negative while the capture is held, land far outside.
    const long x = (long)LOWORD(position);
    const long y = (long)HIWORD(position);
    const PopupLayout& l = popup.layout;
    return x >= l.textLeft && x < l.textLeft + l.displaySize.cx && y >= l.infoTop && y < l.infoTop + l.displaySize.cy;
}
