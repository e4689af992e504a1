// Keyboard navigation of the popup's controls: the popup is a plain window,
// not a dialog, so Tab and the arrow keys are handled here through
// subclassing and a hand-kept focus list whose order is the navigation order.
#pragma once
#include <windows.h>

// Adds a control to the keyboard's order; the link stays last, so that it
// is one Shift+Tab from the first control. Its slot, or -1 when full.
int AppendToFocusList(HWND control);
void RemoveFromFocusList(HWND control);
int FocusSlotOf(HWND control);
// The focus index follows the control that has the focus.
void TrackFocus(HWND control);
// Moves the focus for Tab, Shift+Tab, the arrows, Home and End.
void MoveFocusByKey(WPARAM virtualKey);

// Push buttons and the link keep their previous procedure in their user data.
void SubclassPushButton(HWND button);
// The check box keeps it in the popup's row record.
void SubclassCheckBox(HWND box);
