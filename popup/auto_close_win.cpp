// The auto-close timer and the watch for a user who is still there.
#include <windows.h>

#include "launch/launch.h"
#include "popup/auto_close.h"
#include "popup/popup_state.h"
#include "popup/timing.h"

namespace {

// Often enough that the pointer's leaving is noticed well within a second.
const UINT kWatchPeriodMs = 250;

void Arm(HWND window, UINT ms) {
    AutoCloseTimer& t = popup.autoClose;
    const UINT_PTR id = SetTimer(window, kAutoCloseTimer, ms, nullptr);
    if (!id) return;
    t.id = id;
    t.running = true;
    t.held = false;
    t.due = GetTickCount() + ms;
    SetTimer(window, kUserWatchTimer, kWatchPeriodMs, nullptr);
}

// The user's "dismiss notifications after" setting in seconds; 0 when the
// system does not say (the popup then keeps ShowTime as it is).
uint32_t MessageSeconds() {
    ULONG seconds = 0;
    return SystemParametersInfoW(SPI_GETMESSAGEDURATION, 0, &seconds, 0) ? seconds : 0;
}

// The whole time for this user, worked out when it is first wanted (ShowTime
// is never 0 once read).
int32_t WholeTime() {
    AutoCloseTimer& t = popup.autoClose;
    if (!t.time) t.time = EffectiveShowTime(settings.ShowTime, MessageSeconds());
    return t.time;
}

// A pointer that rested where the popup appeared says nothing of the user;
// once it moved, resting on the popup (not on a window over it) does.
bool UserIsThere(HWND window) {
    AutoCloseTimer& t = popup.autoClose;
    // A hidden popup is under no pointer and never in front.
    POINT p;
    if (GetCursorPos(&p)) {
        if (p.x != t.startCursor.x || p.y != t.startCursor.y) t.pointerMoved = true;
        if (t.pointerMoved && GetAncestor(WindowFromPoint(p), GA_ROOT) == window) return true;
    }
    return popup.focus.keyboardUsed && GetForegroundWindow() == window;
}

// The time stops while the user is there and goes on when they leave.
void Hold(HWND window) {
    AutoCloseTimer& t = popup.autoClose;
    const int32_t left = static_cast<int32_t>(t.due - GetTickCount());
    t.left = left > 0 ? left : 0;
    t.held = true;
    KillTimer(window, t.id);
}

void WatchUser(HWND window) {
    AutoCloseTimer& t = popup.autoClose;
    const bool there = UserIsThere(window);
    if (there && !t.held) Hold(window);
    else if (!there && t.held) {
        t.held = false;
        Arm(window, (UINT)TimeLeftAfterUser(t.left));
    }
}

}  // namespace

void ArmAutoClose(HWND window) {
    const int32_t time = WholeTime();
    if (time > 0) Arm(window, (UINT)time);
}

void WatchFromHere() {
    AutoCloseTimer& t = popup.autoClose;
    GetCursorPos(&t.startCursor);
    t.pointerMoved = false;
}

void ArmAutoCloseIfStopped(HWND window) {
    if (!popup.hidden && !popup.autoClose.running && IsWindow(window)) ArmAutoClose(window);
}

void StopAutoClose(HWND window) {
    AutoCloseTimer& t = popup.autoClose;
    if (!t.running) return;
    KillTimer(window, t.id);
    KillTimer(window, kUserWatchTimer);
    t.running = t.held = false;
}

void AutoCloseTick(HWND window, WPARAM timer) {
    // A tick already in the queue when the timer was stopped is no time.
    if (!popup.autoClose.running) return;
    if (timer == kUserWatchTimer) {
        WatchUser(window);
        return;
    }
    if (launch.startInProgress) {
        // Close soon after the start has returned, not in the middle of it.
        Arm(window, 500);
        return;
    }
    if (UserIsThere(window)) {
        Hold(window);
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
