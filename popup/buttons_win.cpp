// The popup's button row: Exit, Install and the "Do not show again" box,
// made when a failure is told or the box is configured, and shown again
// (never twice) when a later failure comes.
#include <windows.h>

#include <initializer_list>

#include "base/owned_win.h"
#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "settings/run_state.h"
#include "settings/settings.h"

namespace {

const DWORD kExitStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
const DWORD kInstallStyle = WS_CHILD | WS_VISIBLE;
const DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | BS_CHECKBOX;

bool IsRowControl(HWND h) {
    return h && (h == popup.exitButton.window || h == popup.installButton.window || h == popup.checkBox.window);
}

// Drops the row controls from the focus list, keeping the menu buttons, so a
// repeated button row is appended afresh and the list never outgrows its slots.
void RemoveRowControlsFromFocusList() {
    if (popup.focusCount < 0) popup.focusCount = 0;
    int kept = 0;
    for (int i = 0; i < popup.focusCount && i < kFocusSlots; ++i)
        if (!IsRowControl(popup.focusList[i])) popup.focusList[kept++] = popup.focusList[i];
    for (int i = kept; i < kFocusSlots; ++i) popup.focusList[i] = nullptr;
    popup.focusCount = kept;
}

// Moves a control down within the popup.
void MoveDown(HWND control, int delta) {
    RECT r;
    if (!control || !GetWindowRect(control, &r)) return;
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, r.left, r.top + delta, r.right - r.left, r.bottom - r.top, TRUE);
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
    if (!popup.exitButton.exists) {
        HWND exitButton = CreateButton(settings.ExitMsg, kExitStyle, popup.textLeft, row.top, width, row.exitHeight,
                                       window, IdExit, popup.instanceHandle);
        if (!exitButton) return false;
        SubclassPushButton(exitButton);
        popup.exitButton.window = exitButton;
        popup.exitButton.exists = true;
    }
    PlaceControl(popup.exitButton, popup.textLeft, row.top, width, row.exitHeight);
    row.nextX = popup.textLeft + width + 2 * row.spaces;
    return true;
}

// A menu column that the Exit button would reach into moves down, and the
// popup grows with it.
void MakeRoomForExit(HWND window, const Row& row) {
    if (popup.menuWidth <= 0) return;
    TextBlock t;
    t.textLeft = popup.textLeft;
    t.buttonRowTop = row.top;
    t.menuLeft = popup.menuLeft;
    t.menuTop = popup.menuTop;
    const int shift = MenuTopClearOfExit(t, settings.yMenu, row.exitWidth, row.exitHeight, popup.menuWidth) - t.menuTop;
    if (shift <= 0) return;
    MoveMenuDown(window, shift);
    popup.windowHeight += shift;
    MovePopup(window, popup.contentWidth + 2 * popup.frameWidth, popup.windowHeight);
}

void OfferInstall(HWND window, Row& row, const char* caption) {
    if (!caption) caption = "";
    SIZE text = {0, 0};
    MeasureText(row.dc, caption, &text);
    const int width = text.cx + row.spaces, height = text.cy * 7 / 4;
    if (popup.installButton.exists) {
        // A new offer takes over the earlier Install button, which may carry
        // another caption or have been used (disabled) already. It is not
        // destroyed: this may run inside that very button's click.
        SetCaption(popup.installButton.window, caption);
        EnableWindow(popup.installButton.window, TRUE);
        MoveWindow(popup.installButton.window, row.nextX, row.top, width, height, TRUE);
    } else if (HWND install = CreateButton(caption, kInstallStyle, row.nextX, row.top, width, height, window,
                                           IdInstall, popup.instanceHandle)) {
        SubclassPushButton(install);
        popup.installButton.window = install;
        popup.installButton.exists = true;
    } else {
        row.stopped = true;
        return;
    }
    PlaceControl(popup.installButton, row.nextX, row.top, width, height);
    AppendToFocusList(popup.installButton.window);
    row.nextX += width + 2 * row.spaces;
}

void PlaceCheckBox(HWND window, Row& row) {
    SIZE text = {0, 0};
    MeasureText(row.dc, settings.DoNotRepeatText, &text);
    const int width = text.cx + 2 * popup.checkMarkWidth, height = text.cy;
    // Centred on the Exit button; taken from the row top each time so that a
    // repeated row does not shift the box down again.
    const int y = row.top + (row.exitHeight - height) / 2;
    if (popup.checkBox.exists) {
        if (!row.stopped) {
            PlaceControl(popup.checkBox, row.nextX, y, width, height);
            MoveWindow(popup.checkBox.window, row.nextX, y, width, height, TRUE);
        }
        AppendToFocusList(popup.checkBox.window);
        return;
    }
    if (row.stopped) return;
    HWND box = CreateButton(settings.DoNotRepeatText, kCheckBoxStyle, row.nextX, y, width, height, window, IdCheckBox,
                            popup.instanceHandle);
    if (!box) {
        row.stopped = true;
        return;
    }
    popup.checkBoxPreviousProc = (WNDPROC)Subclass(box, CheckBoxSubclassProc);
    SendMessageA(box, BM_SETCHECK, run.doNotShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
    popup.checkBox.window = box;
    popup.checkBox.exists = true;
    PlaceControl(popup.checkBox, row.nextX, y, width, height);
    AppendToFocusList(box);
}

}  // namespace

int AppendToFocusList(HWND control) {
    if (popup.focusCount < 0) popup.focusCount = 0;
    if (popup.focusCount >= kFocusSlots) return -1;
    int slot = popup.focusCount++;
    if (slot > 0 && popup.linkWindow && popup.focusList[slot - 1] == popup.linkWindow) {
        popup.focusList[slot] = popup.linkWindow;
        if (popup.focusIndex == slot - 1) popup.focusIndex = slot;
        --slot;
    }
    popup.focusList[slot] = control;
    return slot;
}

void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption) {
    WindowDC dc(window);
    if (!dc.get()) return;
    const Selection systemFont(dc, ButtonFont());
    SIZE spaces = {0, 0};
    GetTextExtentPoint32A(dc, "    ", 4, &spaces);
    Row row = {dc, popup.buttonRowTop, (int)spaces.cx, 0, 0, 0, false};

    if (!MakeExitButton(window, row)) return;
    MakeRoomForExit(window, row);
    RemoveRowControlsFromFocusList();
    const int exitSlot = AppendToFocusList(popup.exitButton.window);
    if (offerInstall) {
        OfferInstall(window, row, installCaption);
    } else if (popup.installButton.exists) {
        // An earlier offer still stands; a used (disabled) one stays out of the list.
        if (IsWindowEnabled(popup.installButton.window)) AppendToFocusList(popup.installButton.window);
        row.nextX = popup.installButton.x + popup.installButton.width + 2 * row.spaces;
    }
    if (settings.doNotRepeatActive) PlaceCheckBox(window, row);

    if (row.stopped) {
        // The focus stays where it was; keep its index pointing at that control.
        TrackFocus(GetFocus());
        return;
    }
    SetFocus(popup.exitButton.window);
    popup.focusIndex = exitSlot;
}

void MoveMenuDown(HWND window, int delta) {
    for (int id = IdMainEntry; id < IdFirstEntry + kMaxMenuEntries; ++id) MoveDown(GetDlgItem(window, id), delta);
    popup.menuTop += delta;
}

void MoveBelowStatus(HWND window, int delta) {
    if (settings.yExit == 0) {
        popup.buttonRowTop += delta;
        for (RowControl* c : {&popup.exitButton, &popup.installButton, &popup.checkBox}) {
            c->y += delta;
            if (c->exists) MoveDown(c->window, delta);
        }
    }
    if (settings.yMenu == 0 && popup.menuWidth > 0) MoveMenuDown(window, delta);
    popup.windowHeight += delta;
}

bool FitStatusOnWorkArea(HWND window) {
    const int kept = FitStatusExtra(popup.statusExtra, popup.windowHeight,
                                    popup.workArea.bottom - popup.workArea.top, popup.statusLineHeight);
    if (kept >= popup.statusExtra) return false;
    MoveBelowStatus(window, kept - popup.statusExtra);
    popup.statusExtra = kept;
    return true;
}

void ShowPopupText(HWND window, bool stopTimer) {
    RemeasurePopup(window);
    if (run.nomsgOption) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : SW_SHOW);
        UpdateWindow(window);
        // Told again now that it can be seen: the first time it was hidden.
        NotifyWinEvent(EVENT_OBJECT_NAMECHANGE, popup.statusWindow, OBJID_CLIENT, CHILDID_SELF);
        run.nomsgOption = false;
    }
    if (stopTimer) StopAutoCloseTimer(window);
}

void StopAutoCloseTimer(HWND window) {
    if (!popup.autoCloseRunning) return;
    KillTimer(window, popup.autoCloseTimer);
    popup.autoCloseRunning = false;
}
