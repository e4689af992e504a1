// Building the popup: what RunPopup does before its message loop.
#pragma once
#include <windows.h>

#include "popup/popup.h"

// Builds the popup for the request: colours, class, window, logo, fonts,
// layout, menu buttons, the link and status windows, its place, the splash;
// shows it unless it is to stay hidden. RunPopup then posts it the start
// message and runs the message loop. Null when the window could not be made
// (the user has been told).
HWND BuildPopup(const PopupRequest& request);

// The built-in logo is drawn on white: its pixels of the colour of its
// top-left corner take the popup's background, so no white box shows on
// another BkColor. Works on the memory context that holds the picture.
void BlendLogoBackground(HDC memoryDC, int width, int height, COLORREF background);
