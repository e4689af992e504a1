// Bitmap files and the splash window.
#pragma once
#include <windows.h>

HBITMAP LoadBitmapFile(HDC dc, const char* path);
HBITMAP LoadBitmapFromHandle(HDC dc, HANDLE file);

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PaintSplash(HDC dc);
