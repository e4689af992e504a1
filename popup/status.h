// The status text under the information line. This unit owns what a new
// status text does to the popup: it is measured, wrapped onto more lines when
// the work area is too narrow for it (and cut to the lines that fit when it
// is too low), what stands below it moves down, the popup grows (it never
// shrinks), a screen reader is told, and a hidden popup is shown when a text
// must be seen. It calls out to the button row, the menu and the placement,
// which never call back.
#pragma once
#include <windows.h>

#include "base/owned.h"

struct TextBlock;

// Sets the status text (it must outlive its showing); a null text shows the
// status text settled at start-up again, or an empty one. The text only:
// RemeasurePopup lays it out.
void SetPopupText(const char* text);
// The same for a text the popup keeps from now on; a null text (memory ran
// out) leaves the status text as it is.
void SetPopupText(HeapText text);

// Lays the popup out for the status text (after a new text, or after the
// button row was added) and tells a screen reader: the one step for a new
// status text once the popup stands.
void RemeasurePopup(HWND window);
// RemeasurePopup, then shows a hidden popup ("nomsg": something must be
// seen now) and stops the auto-close timer when asked.
void ShowPopupText(HWND window, bool stopTimer);

// While the popup is built: the first status text measured in the status
// font, wrapped when the work area is too narrow, with what stands below it
// in `block` moved down; returns the width it takes.
int LayOutFirstStatus(HDC dc, TextBlock& block);
// Once the popup's height is known: a wrapped text too tall for the work
// area keeps the whole lines that fit. True when it was cut.
bool FitStatusOnWorkArea(HWND window);
// The width the status text may take before it wraps.
int StatusWrapWidthNow();
