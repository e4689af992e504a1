// Pictures both windows draw: bitmap files named in the settings, loaded
// after their check, held in memory contexts ready to be drawn, and the
// program's small icon.
#pragma once
#include <windows.h>

#include "base/owned_win.h"

HBITMAP LoadBitmapFile(HDC dc, const char* path);
HBITMAP LoadBitmapFromHandle(HDC dc, HANDLE file);

// A picture selected into a memory context like a window's, for BitBlt. The
// members go in reverse order: the selection is undone before the context and
// the bitmap are deleted.
struct Picture {
    Bitmap bitmap;
    MemoryDC dc;
    Selection selection;
    int width = 0, height = 0;

    // Takes `picture` over (a null one is none) and puts it into a memory
    // context like `windowDC`; width and height stay 0 when any step fails.
    void Prepare(HDC windowDC, HBITMAP picture);
    // Redraws the picture at another size with the system's halftone filter,
    // which averages the pixels a step leaves out rather than dropping them.
    void Scale(HDC windowDC, int newWidth, int newHeight);
    bool Ready() const { return bitmap.Valid() && dc.Valid(); }
    void Release();
};

// The program icon's 16x16 picture for a class's caption. Named at
// registration, it is taken from the resource as it stands; left to the
// system, the small icon is made again from the resource, which under Wine
// costs a few milliseconds before the first paint.
HICON SmallProgramIcon(HINSTANCE instance);

// Registers a window class of the program: its icons, redrawn whole when
// its size changes.
void RegisterProgramClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH background);

// Where a window of the given size goes for a position code or a number pair
// (the settings' xPos/yPos, xSplash/ySplash) on `workArea`, kept inside it.
POINT PlaceOnScreen(const RECT& workArea, int x, int y, int width, int height);
