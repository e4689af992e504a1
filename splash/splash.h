// The splash window: the author's bitmap (splash=) shown beside the popup
// for SplashShowTime, or until a mouse button or a key is pressed on it. It
// owns its picture and its window.
#pragma once
#include <windows.h>

// Where the splash goes: the popup's work area and system DPI.
struct SplashPlace {
    RECT workArea;
    int dpi;
};

// Loads the picture, scales it for the DPI (no further than the work area
// holds), places it by xSplash/ySplash and shows it, owned by `owner` (on top
// with SplashOptions bit 1). Registers the window class first when asked.
// Nothing is shown when the picture does not load.
void ShowSplash(HWND owner, HINSTANCE instance, const SplashPlace& place, bool registerClass);
// Closes the splash window when it still stands (the popup closes).
void CloseSplash();
// Releases the picture (shutdown).
void ReleaseSplash();
