// Starting things from the popup and telling the user how it went: the one
// place where a start's outcome becomes the status text, the exit code and
// the button row.
#pragma once
#include <windows.h>

// Starts the main target and tells a failure. False when it failed or there
// was nothing to start; true when it started, its condition does not hold,
// or a no-viewer command's second start closed the popup.
bool StartTarget(HWND window);

// Runs a program with `message` as the status text. With `waitAndRetry` the
// popup stays served until the program ends, then the target is started again
// and the popup closes when that works (returns true). Otherwise the
// auto-close timer is armed unless it runs already.
bool RunCommand(HWND window, const char* message, const char* program, const char* parameters, bool waitAndRetry);

// The viewer check with its failure told in the popup.
struct ViewerWalkResult {
    bool failed = false;
    bool stopTimer = false;
};
ViewerWalkResult RunViewerWalk(HWND window);
