// Keyboard navigation of the popup's controls. The popup is a plain window,
// not a dialog, so Tab and the arrow keys are handled here through
// subclassing and a hand-kept focus list whose order is the navigation order.
#include <windows.h>

#include "popup/popup.h"
#include "popup/popup_state.h"
#include "settings/run_state.h"

namespace {

LRESULT PassOn(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

}  // namespace

void TrackFocus(HWND control) { popup.focusIndex = FocusSlotOf(control); }

int FocusSlotOf(HWND control) {
    for (int i = 0; i < popup.focusCount && i < kFocusSlots; ++i)
        if (popup.focusList[i] == control) return i;
    return -1;
}

void RemoveFromFocusList(HWND control) {
    const int slot = control ? FocusSlotOf(control) : -1;
    if (slot < 0) return;
    for (int j = slot; j + 1 < popup.focusCount && j + 1 < kFocusSlots; ++j) popup.focusList[j] = popup.focusList[j + 1];
    --popup.focusCount;
    popup.focusList[popup.focusCount] = nullptr;
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

// A key pressed in a control: focus is shown from now on, and Escape closes
// the popup as Exit does. False when the popup (and the control) are gone.
bool TakeKey(HWND control, WPARAM key) {
    if (!popup.keyboardUsed) {
        popup.keyboardUsed = true;
        if (popup.linkWindow) InvalidateRect(popup.linkWindow, nullptr, FALSE);
    }
    if (key != VK_ESCAPE) return true;
    SendMessageW(GetParent(control), WM_COMMAND, IdExit, 0);
    return IsWindow(control) != FALSE;
}

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = (WNDPROC)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (window == popup.linkWindow && message == WM_NCHITTEST) return HTTRANSPARENT;  // the popup takes the mouse
    if (message == WM_SETFOCUS) {
        TrackFocus(window);
    } else if (message == WM_KEYDOWN) {
        if (!TakeKey(window, wParam)) return 0;
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
        if (!TakeKey(window, wParam)) return 0;
        MoveFocusByKey(wParam);
        if (wParam == VK_SPACE) run.doNotShowAgain = SendMessageA(window, BM_GETCHECK, 0, 0) != BST_CHECKED;
    }
    return PassOn(popup.checkBoxPreviousProc, window, message, wParam, lParam);
}
