// The popup's button row (Exit, Install, "Do not show again") and the keyboard
// navigation of its controls. The popup is a plain window, not a dialog, so
// Tab and the arrow keys are handled here through subclassing and a hand-kept
// focus list whose order is the navigation order.
#include <windows.h>

#include <cstdlib>

#include "app/cmdline.h"
#include "app/settings.h"
#include "app/startup_state.h"
#include "app/platform_state.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"

namespace {

const DWORD kExitStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;
const DWORD kInstallStyle = WS_CHILD | WS_VISIBLE;
const DWORD kCheckBoxStyle = WS_CHILD | WS_VISIBLE | BS_CHECKBOX;

struct WindowDC {
    HWND window;
    HDC dc;
    explicit WindowDC(HWND w) : window(w), dc(GetDC(w)) {}
    ~WindowDC() {
        if (dc) ReleaseDC(window, dc);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
};

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

int AppendToFocusList(HWND control) {
    if (popup.focusCount < 0) popup.focusCount = 0;
    if (popup.focusCount >= kFocusSlots) return -1;
    popup.focusList[popup.focusCount] = control;
    return popup.focusCount++;
}

// A control made through the wide service is subclassed the wide way too:
// an ANSI subclass would pass its caption through the code page, and a
// Cyrillic caption would read back as question marks.
LONG_PTR Subclass(HWND control, WNDPROC procedure) {
    return IsWindowUnicode(control) ? SetWindowLongPtrW(control, GWLP_WNDPROC, (LONG_PTR)procedure)
                                    : SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)procedure);
}

void SubclassPushButton(HWND button) {
    LONG_PTR previous = Subclass(button, ButtonSubclassProc);
    SetWindowLongPtrA(button, GWLP_USERDATA, previous);
}

LRESULT PassOn(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return IsWindowUnicode(window) ? CallWindowProcW(previous, window, message, wParam, lParam)
                                   : CallWindowProcA(previous, window, message, wParam, lParam);
}

void PlaceControl(RowControl& c, int x, int y, int width, int height) {
    c.x = x;
    c.y = y;
    c.width = width;
    c.height = height;
}

// Caption of an existing control, chosen the way CreateButton chooses it.
void SetCaption(HWND control, const char* caption) {
    wchar_t* wide = utf8Mode ? Utf8ToWide(caption) : nullptr;
    if (wide && IsWindowUnicode(control)) {
        SetWindowTextW(control, wide);
    } else {
        char* ansi = wide ? WideToAnsi(wide) : nullptr;
        SetWindowTextA(control, ansi ? ansi : caption);
        free(ansi);
    }
    free(wide);
}

}  // namespace

void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption) {
    WindowDC dc(window);
    if (!dc.dc) return;
    HGDIOBJ previousFont = SelectObject(dc.dc, GetStockObject(SYSTEM_FONT));
    SIZE spaces = {0, 0};
    GetTextExtentPoint32A(dc.dc, "    ", 4, &spaces);
    const int s = spaces.cx;
    const int top = popup.buttonRowTop;

    // Exit button. A repeated row keeps the one that exists: its caption and
    // place cannot have changed.
    SIZE text = {0, 0};
    MeasureText(dc.dc, settings.ExitMsg, lstrlenA(settings.ExitMsg), &text);
    const int exitWidth = text.cx + s, exitHeight = text.cy * 7 / 4;
    if (!popup.exitButton.exists) {
        HWND exitButton = CreateButton(settings.ExitMsg, kExitStyle, popup.textLeft, top, exitWidth, exitHeight, window,
                                       IdExit, instanceHandle);
        if (!exitButton) {
            SelectObject(dc.dc, previousFont);
            return;
        }
        SubclassPushButton(exitButton);
        popup.exitButton.window = exitButton;
        popup.exitButton.exists = true;
    }
    PlaceControl(popup.exitButton, popup.textLeft, top, exitWidth, exitHeight);
    RemoveRowControlsFromFocusList();
    const int exitSlot = AppendToFocusList(popup.exitButton.window);
    int nextX = popup.textLeft + exitWidth + 2 * s;

    bool stopped = false;
    if (offerInstall) {
        const char* caption = installCaption ? installCaption : "";
        MeasureText(dc.dc, caption, lstrlenA(caption), &text);
        const int width = text.cx + s, height = text.cy * 7 / 4;
        if (popup.installButton.exists) {
            // A new offer takes over the earlier Install button, which may carry
            // another caption or have been used (disabled) already. It is not
            // destroyed: this may run inside that very button's click.
            SetCaption(popup.installButton.window, caption);
            EnableWindow(popup.installButton.window, TRUE);
            MoveWindow(popup.installButton.window, nextX, top, width, height, TRUE);
        } else if (HWND install = CreateButton(caption, kInstallStyle, nextX, top, width, height, window, IdInstall,
                                               instanceHandle)) {
            SubclassPushButton(install);
            popup.installButton.window = install;
            popup.installButton.exists = true;
        } else {
            stopped = true;
        }
        if (!stopped) {
            PlaceControl(popup.installButton, nextX, top, width, height);
            AppendToFocusList(popup.installButton.window);
            nextX = nextX + width + 2 * s;
        }
    } else if (popup.installButton.exists) {
        // An earlier offer still stands; a used (disabled) one stays out of the list.
        if (IsWindowEnabled(popup.installButton.window)) AppendToFocusList(popup.installButton.window);
        nextX = popup.installButton.x + popup.installButton.width + 2 * s;
    }

    if (doNotRepeatActive) {
        MeasureText(dc.dc, settings.DoNotRepeatText, lstrlenA(settings.DoNotRepeatText), &text);
        const int width = text.cx + 2 * popup.checkMarkWidth, height = text.cy;
        // Centred on the Exit button; taken from the row top each time so that
        // a repeated row does not shift the box down again.
        const int y = top + (exitHeight - height) / 2;
        if (popup.checkBox.exists) {
            if (!stopped) {
                PlaceControl(popup.checkBox, nextX, y, width, height);
                MoveWindow(popup.checkBox.window, nextX, y, width, height, TRUE);
            }
            AppendToFocusList(popup.checkBox.window);
        } else if (!stopped) {
            HWND box = CreateButton(settings.DoNotRepeatText, kCheckBoxStyle, nextX, y, width, height, window,
                                    IdCheckBox, instanceHandle);
            if (box) {
                popup.checkBoxPreviousProc = (WNDPROC)Subclass(box, CheckBoxSubclassProc);
                SendMessageA(box, BM_SETCHECK, doNotShowAgain ? BST_CHECKED : BST_UNCHECKED, 0);
                popup.checkBox.window = box;
                popup.checkBox.exists = true;
                PlaceControl(popup.checkBox, nextX, y, width, height);
                AppendToFocusList(box);
            } else {
                stopped = true;
            }
        }
    }

    SelectObject(dc.dc, previousFont);
    if (stopped) {
        // The focus stays where it was; keep its index pointing at that control.
        TrackFocus(GetFocus());
        return;
    }
    SetFocus(popup.exitButton.window);
    popup.focusIndex = exitSlot;
}

void ShowPopupText(HWND window, bool stopTimer) {
    RemeasurePopup(window);
    if (nomsgOption) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : SW_SHOW);
        UpdateWindow(window);
        nomsgOption = false;
    }
    if (stopTimer) StopAutoCloseTimer(window);
}

void StopAutoCloseTimer(HWND window) {
    if (!popup.autoCloseRunning) return;
    KillTimer(window, popup.autoCloseTimer);
    popup.autoCloseRunning = false;
}

void TrackFocus(HWND control) {
    popup.focusIndex = -1;
    for (int i = 0; i < popup.focusCount && i < kFocusSlots; ++i) {
        if (popup.focusList[i] == control) {
            popup.focusIndex = i;
            return;
        }
    }
}

void MoveFocusByKey(WPARAM key) {
    const int count = popup.focusCount;
    if (count < 2) return;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    int index = popup.focusIndex;
    switch (key) {
    case VK_HOME: index = 0; break;
    case VK_END: index = count - 1; break;
    case VK_TAB:
        index = shift ? (index <= 0 ? count - 1 : index - 1) : (index + 1 >= count ? 0 : index + 1);
        break;
    case VK_RIGHT:
    case VK_DOWN:
    case VK_NEXT: index = index + 1 >= count ? 0 : index + 1; break;
    case VK_LEFT:
    case VK_UP:
    case VK_PRIOR: index = index <= 0 ? count - 1 : index - 1; break;
    default: break;
    }
    if (index < 0 || index >= count) return;
    popup.focusIndex = index;
    SetFocus(popup.focusList[index]);
}

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = (WNDPROC)GetWindowLongPtrA(window, GWLP_USERDATA);
    if (message == WM_SETFOCUS) {
        TrackFocus(window);
    } else if (message == WM_KEYDOWN) {
        MoveFocusByKey(wParam);
        if (wParam == VK_RETURN) {
            SendMessageA(GetParent(window), WM_COMMAND, (WPARAM)GetDlgCtrlID(window), (LPARAM)window);
            // The command may have closed the popup and this button with it.
            if (!IsWindow(window)) return 0;
        }
    }
    return PassOn(previous, window, message, wParam, lParam);
}

LRESULT CALLBACK CheckBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        TrackFocus(window);
    } else if (message == WM_KEYDOWN) {
        MoveFocusByKey(wParam);
        if (wParam == VK_SPACE) doNotShowAgain = SendMessageA(window, BM_GETCHECK, 0, 0) != BST_CHECKED;
    }
    return PassOn(popup.checkBoxPreviousProc, window, message, wParam, lParam);
}
