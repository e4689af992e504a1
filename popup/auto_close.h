// The auto-close timer: the popup closes itself ShowTime after the start
// message (longer for a user who asked the system to give messages more
// time), unless a failure stopped the timer. The time does not run out while
// the user is there: while the pointer, once moved, rests on the popup, or
// while the popup keeps the focus after a key was pressed in it; when the
// user leaves, it closes after the time that was left, at least 5 seconds.
// A close while a start is in progress waits for it. The one place that
// arms, holds, stops and answers the timer.
#pragma once
#include <windows.h>

enum { kUserWatchTimer = 3 };

// The start message: ShowTime from now (nothing for ShowTime -1), hidden or not.
void ArmAutoClose(HWND window);
// After a program was run from the popup: armed again unless it runs (or is
// held) or the popup is hidden.
void ArmAutoCloseIfStopped(HWND window);
void StopAutoClose(HWND window);
// Where the pointer is now counts as where it rested before the user came:
// the popup appeared, or a hidden popup was shown. Taken then, not at the
// watch's first tick, so a pointer brought to the popup at once holds it.
void WatchFromHere();
// The timers' ticks: the auto-close timer closes the popup (pressing the
// first menu button first with ShowOptions bit 4), unless the user is there
// or a start is in progress; the watch holds and lets go of the time.
void AutoCloseTick(HWND window, WPARAM timer);
