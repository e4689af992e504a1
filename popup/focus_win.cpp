// Keyboard navigation of the popup's controls. The popup is a plain window,
// not a dialog, so Tab and the arrow keys are handled here through
// subclassing and a hand-kept focus list whose order is the navigation order.
#include <windows.h>

#include "popup/focus.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"

namespace {

LRESULT PassOn(WNDPROC previous, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(previous, window, message, wParam, lParam);
}

// A key pressed in a control: focus is shown from now on, and Escape closes
// the popup as Exit does. False when the popup (and the control) are gone.
bool TakeKey(HWND control, WPARAM key) {
    if (!popup.focus.keyboardUsed) {
        popup.focus.keyboardUsed = true;
        if (popup.link.window) InvalidateRect(popup.link.window, nullptr, FALSE);
    }
    if (key != VK_ESCAPE) return true;
    SendMessageW(GetParent(control), WM_COMMAND, IdExit, 0);
    return IsWindow(control) != FALSE;
}

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    WNDPROC previous = (WNDPROC)GetWindowLongPtrW(window, GWLP_USERDATA);
    if (window == popup.link.window && message == WM_NCHITTEST) return HTTRANSPARENT;  // the popup takes the mouse
    if (message == WM_SETFOCUS) {
        TrackFocus(window);
    } else if (message == WM_KEYDOWN) {
        if (!TakeKey(window, wParam)) return 0;
        MoveFocusByKey(wParam);
        if (wParam == VK_RETURN) {
            SendMessageW(GetParent(window), WM_COMMAND, (WPARAM)GetDlgCtrlID(window), (LPARAM)window);
            // The command may have closed the popup and this button with it.
            if (!IsWindow(window)) return 0;
        }
    }
    return PassOn(previous, window, message, wParam, lParam);
}

// Space on the box is a click: the box itself sends it on the key's release.
LRESULT CALLBACK CheckBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS) {
        TrackFocus(window);
    } else if (message == WM_KEYDOWN) {
        if (!TakeKey(window, wParam)) return 0;
        MoveFocusByKey(wParam);
    }
    return PassOn(popup.row.checkBoxPreviousProc, window, message, wParam, lParam);
}

}  // namespace

int AppendToFocusList(HWND control) {
    PopupFocus& f = popup.focus;
    if (f.count >= kFocusSlots) return -1;
    int slot = f.count++;
    if (slot > 0 && popup.link.window && f.list[slot - 1] == popup.link.window) {
        f.list[slot] = popup.link.window;
        if (f.index == slot - 1) f.index = slot;
        --slot;
    }
    f.list[slot] = control;
    return slot;
}

void SubclassPushButton(HWND button) {
    const LONG_PTR previous = Subclass(button, ButtonSubclassProc);
    SetWindowLongPtrW(button, GWLP_USERDATA, previous);
}

void SubclassCheckBox(HWND box) { popup.row.checkBoxPreviousProc = (WNDPROC)Subclass(box, CheckBoxSubclassProc); }

void TrackFocus(HWND control) { popup.focus.index = FocusSlotOf(control); }

int FocusSlotOf(HWND control) {
    for (int i = 0; i < popup.focus.count && i < kFocusSlots; ++i)
        if (popup.focus.list[i] == control) return i;
    return -1;
}

void RemoveFromFocusList(HWND control) {
    const int slot = control ? FocusSlotOf(control) : -1;
    if (slot < 0) return;
    for (int j = slot; j + 1 < popup.focus.count && j + 1 < kFocusSlots; ++j) popup.focus.list[j] = popup.focus.list[j + 1];
    --popup.focus.count;
    popup.focus.list[popup.focus.count] = nullptr;
}

void MoveFocusByKey(WPARAM key) {
    const int count = popup.focus.count;
    if (count < 2) return;
    const bool shift = GetKeyState(VK_SHIFT) < 0;
    int index = popup.focus.index;
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
    popup.focus.index = index;
    SetFocus(popup.focus.list[index]);
}
