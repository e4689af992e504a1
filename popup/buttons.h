// The popup's button row: Exit, Install and the "Do not show again" box.
#pragma once
#include <windows.h>

// Makes the row (a failure is told, or the box is configured), or shows it
// again (never twice) for a later failure: Exit, the Install button when
// `offerInstall` (with `installCaption`; an earlier offer stays unless a new
// one replaces it) and the box when DoNotRepeatId is set. The focus goes to
// Exit. The caller lays the popup out for it (RemeasurePopup).
void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption);
// The row moves down by `delta` (up when negative) as the status text above
// it grows or is cut.
void MoveRowDown(int delta);
// The box was clicked or pressed: its state flips, and so does what the run
// remembers.
void ToggleCheckBox(HWND box);
// The font button captions are drawn and measured in.
HGDIOBJ ButtonFont();
