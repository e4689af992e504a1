// The popup window: construction, painting, the button row, keyboard
// navigation and the window procedure.
#pragma once
#include <windows.h>

// Builds and runs the popup; returns when its message loop ends.
void RunPopup(HINSTANCE previousInstance, char* commandLine, int showCommand);

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void PaintPopup(HDC dc);
void RemeasurePopup(HWND window);

void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption);
void ShowPopupText(HWND window, bool stopTimer);
void StopAutoCloseTimer(HWND window);

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CheckBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void MoveFocusByKey(WPARAM virtualKey);
void TrackFocus(HWND control);

// Screen position of a window of the given size for a position code or pair,
// on the work area kept in the popup state.
POINT ComputePosition(int x, int y, int width, int height);
void MovePopup(HWND window, int width, int height);

// The built-in logo is drawn on white: its pixels of the colour of its
// top-left corner take the popup's background, so no white box shows on
// another BkColor. Works on the memory context that holds the picture.
void BlendLogoBackground(HDC memoryDC, int width, int height, COLORREF background);

// Releases the graphics objects the popup left for shutdown (start-up calls it).
void ReleasePopupObjects();
