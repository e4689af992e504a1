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

void PlaceControl(RowControl& c, int x, int y, int width, int height) {
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
}

// The row in the making: its top, the system font's four-space width, the
// Exit button's height and where the next control goes.
struct Row {
    HDC dc;
    int top, spaces, exitWidth, exitHeight, nextX;
    bool stopped;
};

// The Exit button. A repeated row keeps the one that exists: its caption and
// place cannot have changed. False when it cannot be made.
bool MakeExitButton(HWND window, Row& row) {
    SIZE text = {0, 0};
    MeasureText(row.dc, settings.ExitMsg, &text);
    const int width = text.cx + row.spaces;
    row.exitWidth = width;
    row.exitHeight = text.cy * 7 / 4;
    if (!popup.row.exitButton.exists) {
        HWND exitButton =
            CreateButton(settings.ExitMsg, kExitStyle, popup.layout.textLeft, row.top, width, row.exitHeight, window, IdExit);
        if (!exitButton) return false;
        SubclassPushButton(exitButton);
        popup.row.exitButton.window = exitButton;
        popup.row.exitButton.exists = true;
    }
    PlaceControl(popup.row.exitButton, popup.layout.textLeft, row.top, width, row.exitHeight);
    row.nextX = popup.layout.textLeft + width + 2 * row.spaces;
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
    if (!caption) caption = "";
    SIZE text = {0, 0};
    MeasureText(row.dc, caption, &text);
    const int width = text.cx + row.spaces, height = text.cy * 7 / 4;
    if (popup.row.installButton.exists) {
        // A new offer takes over the earlier Install button, which may carry
        // another caption or have been used (disabled) already. It is not
        // destroyed: this may run inside that very button's click.
        SetCaption(popup.row.installButton.window, caption);
        EnableWindow(popup.row.installButton.window, TRUE);
        MoveWindow(popup.row.installButton.window, row.nextX, row.top, width, height, TRUE);
    } else if (HWND install =
                   CreateButton(caption, kInstallStyle, row.nextX, row.top, width, height, window, IdInstall)) {
        SubclassPushButton(install);
        popup.row.installButton.window = install;
        popup.row.installButton.exists = true;
    } else {
        row.stopped = true;
        return;
    }
    PlaceControl(popup.row.installButton, row.nextX, row.top, width, height);
    AppendToFocusList(popup.row.installButton.window);
    row.nextX += width + 2 * row.spaces;
}

void PlaceCheckBox(HWND window, Row& row) {
    SIZE text = {0, 0};
    MeasureText(row.dc, settings.DoNotRepeatText, &text);
    const int width = text.cx + 2 * popup.metrics.checkMarkWidth, height = text.cy;
    // Centred on the Exit button; taken from the row top each time so that a
    // repeated row does not shift the box down again.
    const int y = row.top + (row.exitHeight - height) / 2;
    if (popup.row.checkBox.exists) {
        if (!row.stopped) {
            PlaceControl(popup.row.checkBox, row.nextX, y, width, height);
            MoveWindow(popup.row.checkBox.window, row.nextX, y, width, height, TRUE);
        }
        AppendToFocusList(popup.row.checkBox.window);
        return;
    }
    if (row.stopped) return;
    HWND box = CreateButton(settings.DoNotRepeatText, kCheckBoxStyle, row.nextX, y, width, height, window, IdCheckBox);
    if (!box) {
        row.stopped = true;
        return;
    }
    SubclassCheckBox(box);
    SendMessageW(box, BM_SETCHECK, popup.doNotShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
    popup.row.checkBox.window = box;
    popup.row.checkBox.exists = true;
    PlaceControl(popup.row.checkBox, row.nextX, y, width, height);
    AppendToFocusList(box);
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
