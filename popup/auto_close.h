// The auto-close timer: the popup closes itself ShowTime after the start
// message, unless a failure stopped the timer; a close while a start is in
// progress waits for it. The one place that arms, stops and answers it.
#pragma once
#include <windows.h>

// The start message: ShowTime from now (nothing for ShowTime -1), hidden or not.
void ArmAutoClose(HWND window);
// After a program was run from the popup: armed again unless it runs or the
// popup is hidden.
void ArmAutoCloseIfStopped(HWND window);
void StopAutoClose(HWND window);
// The timer's tick: closes the popup (pressing the first menu button first
// with ShowOptions bit 4), or, while a start is in progress, waits half a
// second more.
void AutoCloseTick(HWND window);
