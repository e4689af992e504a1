// The auto-close timer.
#include <windows.h>

#include "launch/launch.h"
#include "popup/auto_close.h"
#include "popup/popup_state.h"

namespace {

void Arm(HWND window, UINT ms) {
    const UINT_PTR id = SetTimer(window, kAutoCloseTimer, ms, nullptr);
    if (!id) return;
    popup.autoClose.id = id;
    popup.autoClose.running = true;
}

}  // namespace

void ArmAutoClose(HWND window) {
    if (settings.ShowTime > 0) Arm(window, (UINT)settings.ShowTime);
}

void ArmAutoCloseIfStopped(HWND window) {
    if (popup.hidden || popup.autoClose.running || !IsWindow(window)) return;
    ArmAutoClose(window);
}

void StopAutoClose(HWND window) {
    if (!popup.autoClose.running) return;
    KillTimer(window, popup.autoClose.id);
    popup.autoClose.running = false;
}

void AutoCloseTick(HWND window) {
    if (launch.startInProgress) {
        // Close soon after the start has returned, not in the middle of it.
        Arm(window, 500);
        return;
    }
    StopAutoClose(window);
    // The first button is the first menu button; the link, last in the
    // order, is none.
    const PopupFocus& f = popup.focus;
    if ((settings.ShowOptions & 4) && settings.anyButton && f.count > 0 && f.list[0] && f.list[0] != popup.link.window)
        SendMessageW(window, WM_COMMAND, (WPARAM)GetDlgCtrlID(f.list[0]), 0);
    if (IsWindow(window)) DestroyWindow(window);
}
