// Windows over the texts the popup draws: the web link (a button) and the
// status text (a static). A screen reader finds each text as a window's
// name, and the keyboard reaches the link. They draw exactly what the popup
// draws beneath them and let the mouse through to it.
#pragma once
#include <windows.h>

void MakeTextWindows(HWND window);
// The status window takes the status text and its place and size;
// `announce` raises the name-change event a screen reader reads out.
void UpdateStatusWindow(bool announce);
// WM_DRAWITEM of the link or the status window.
void PaintTextWindow(HWND window, const DRAWITEMSTRUCT& item);
// The link's focus rectangle, once a key has been used.
void DrawLinkFocus(HDC dc);
// Whether a mouse position (packed as in mouse messages) lies on the link.
bool IsOnInfoLine(LPARAM position);
