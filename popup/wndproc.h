// The popup's window procedure.
#pragma once
#include <windows.h>

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
