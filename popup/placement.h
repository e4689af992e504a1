// Placing the popup on the work area.
#pragma once
#include <windows.h>

// Moves and sizes the popup to its layout (content width with its frames,
// window height) where xPos/yPos put it: without a position of the author's,
// a menu is centred and a status popup sits at the top left.
void MovePopup(HWND window);
