// Bitmap files named in the settings, held in memory contexts ready to be
// drawn, and the splash window that shows one for a few seconds.
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

// The splash window of a run and its picture.
struct SplashState {
    Picture picture;
    HWND window = nullptr;
    UINT_PTR timer = 0;
};
extern SplashState splash;

// The program icon's 16x16 picture for a class's caption. Named at
// registration, it is taken from the resource as it stands; left to the
// system, the small icon is made again from the resource, which under Wine
// costs a few milliseconds before the first paint.
HICON SmallProgramIcon(HINSTANCE instance);

// Makes the splash window at `at` (registering its class first when asked),
// owned by `owner`, and shows it; on top with SplashOptions bit 1.
void ShowSplash(HWND owner, HINSTANCE instance, POINT at, bool registerClass);

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSplash(HDC dc);
