// The popup's button row: Exit, Install and the "Do not show again" box,
// made when a failure is told or the box is configured, and shown again
// (never twice) when a later failure comes.
#include <windows.h>

#include <initializer_list>

#include "base/owned_win.h"
#include "popup/buttons.h"
#include "popup/focus.h"
#include "popup/layout.h"
#include "popup/menu.h"
#include "popup/placement.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"

namespace {

const DWORD kExitStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
const DWORD kInstallStyle = WS_CHILD | WS_VISIBLE;
const DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | BS_CHECKBOX;

// Drops the row controls from the focus list, keeping the menu buttons, so a
// repeated button row is appended afresh and the list never outgrows its slots.
void RemoveRowControlsFromFocusList() {
    const PopupRow& r = popup.row;
    for (const RowControl* c : {&r.exitButton, &r.installButton, &r.checkBox})
        if (c->exists) RemoveFromFocusList(c->window);
}

// Makes a row control, or moves the one that exists (a repeated row); false
// when it cannot be made.
bool PutRowControl(HWND window, RowControl& c, const char* caption, DWORD style, int id, int x, int y, int width,
                   int height) {
    if (c.exists) {
        MoveWindow(c.window, x, y, width, height, TRUE);
    } else {
        c.window = CreateButton(caption, style, x, y, width, height, window, id);
        if (!c.window) return false;
        c.exists = true;
        if (id == IdCheckBox) SubclassCheckBox(c.window);
        else SubclassPushButton(c.window);
    }
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
    return true;
}

// The row in the making: its top, the system font's four-space width, the
// Exit button's height and where the next control goes.
struct Row {
    HDC dc;
    int top, spaces, exitWidth, exitHeight, nextX;
    bool stopped;
};

// The Exit button; its caption cannot change in a repeated row. False when
// it cannot be made.
bool MakeExitButton(HWND window, Row& row) {
    SIZE text = {0, 0};
    MeasureText(row.dc, settings.ExitMsg, &text);
    const int width = text.cx + row.spaces;
    row.exitWidth = width;
    row.exitHeight = text.cy * 7 / 4;
    const int x = popup.layout.textLeft;
    if (!PutRowControl(window, popup.row.exitButton, settings.ExitMsg, kExitStyle, IdExit, x, row.top, width,
                       row.exitHeight))
        return false;
    row.nextX = x + width + 2 * row.spaces;
    return true;
}

// A menu column that the Exit button would reach into moves down, and the
// popup grows with it.
void MakeRoomForExit(HWND window, const Row& row) {
    const PopupMenu& menu = popup.menu;
    if (menu.width <= 0) return;
    TextBlock t;
    t.textLeft = popup.layout.textLeft;
    t.buttonRowTop = row.top;
    t.menuLeft = menu.left;
    t.menuTop = menu.top;
    const int shift = MenuTopClearOfExit(t, settings.yMenu, row.exitWidth, row.exitHeight, menu.width) - t.menuTop;
    if (shift <= 0) return;
    MoveMenuDown(window, shift);
    popup.layout.windowHeight += shift;
    MovePopup(window);
}

void OfferInstall(HWND window, Row& row, const char* caption) {
    SIZE text = {0, 0};
    MeasureText(row.dc, caption, &text);
    const int width = text.cx + row.spaces, height = text.cy * 7 / 4;
    RowControl& install = popup.row.installButton;
    if (install.exists) {
        // A new offer takes over the earlier Install button, which may carry
        // another caption or have been used (disabled) already. It is not
        // destroyed: this may run inside that very button's click.
        SetCaption(install.window, caption);
        EnableWindow(install.window, TRUE);
    }
    if (!PutRowControl(window, install, caption, kInstallStyle, IdInstall, row.nextX, row.top, width, height)) {
        row.stopped = true;
        return;
    }
    AppendToFocusList(install.window);
    row.nextX += width + 2 * row.spaces;
}

void PlaceCheckBox(HWND window, Row& row) {
    RowControl& box = popup.row.checkBox;
    // A box that exists keeps its place when the row stopped short of it.
    if (row.stopped) {
        if (box.exists) AppendToFocusList(box.window);
        return;
    }
    SIZE text = {0, 0};
    MeasureText(row.dc, settings.DoNotRepeatText, &text);
    const int width = text.cx + 2 * popup.metrics.checkMarkWidth, height = text.cy;
    // Centred on the Exit button; taken from the row top each time so that a
    // repeated row does not shift the box down again.
    const int y = row.top + (row.exitHeight - height) / 2;
    const bool made = !box.exists;
    if (!PutRowControl(window, box, settings.DoNotRepeatText, kCheckBoxStyle, IdCheckBox, row.nextX, y, width,
                       height)) {
        row.stopped = true;
        return;
    }
    if (made) SendMessageW(box.window, BM_SETCHECK, popup.doNotShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
    AppendToFocusList(box.window);
}

}  // namespace

void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption) {
    WindowDC dc(window);
    if (!dc.get()) return;
    const Selection systemFont(dc, ButtonFont());
    SIZE spaces = {0, 0};
    GetTextExtentPoint32W(dc, L"    ", 4, &spaces);
    Row row = {dc, popup.layout.buttonRowTop, (int)spaces.cx, 0, 0, 0, false};

    if (!MakeExitButton(window, row)) return;
    MakeRoomForExit(window, row);
    RemoveRowControlsFromFocusList();
    const int exitSlot = AppendToFocusList(popup.row.exitButton.window);
    if (offerInstall) {
        OfferInstall(window, row, installCaption);
    } else if (popup.row.installButton.exists) {
        // An earlier offer still stands; a used (disabled) one stays out of the list.
        if (IsWindowEnabled(popup.row.installButton.window)) AppendToFocusList(popup.row.installButton.window);
        row.nextX = popup.row.installButton.x + popup.row.installButton.width + 2 * row.spaces;
    }
    if (settings.doNotRepeatActive) PlaceCheckBox(window, row);

    if (row.stopped) {
        // The focus stays where it was; keep its index pointing at that control.
        TrackFocus(GetFocus());
        return;
    }
    SetFocus(popup.row.exitButton.window);
    popup.focus.index = exitSlot;
}

void MoveRowDown(int delta) {
    PopupRow& r = popup.row;
    for (RowControl* c : {&r.exitButton, &r.installButton, &r.checkBox}) {
        if (!c->exists) continue;
        c->y += delta;
        MoveControlDown(c->window, delta);
    }
}

void ToggleCheckBox(HWND box) {
    popup.doNotShowAgain = SendMessageW(box, BM_GETCHECK, 0, 0) != BST_CHECKED;
    SendMessageW(box, BM_SETCHECK, popup.doNotShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
}

HGDIOBJ ButtonFont() {
    return popup.graphics.buttonFont.Valid() ? (HGDIOBJ)popup.graphics.buttonFont.get() : GetStockObject(SYSTEM_FONT);
}
