// The menu: which entries are offered as buttons, and their column.
#pragma once
#include <windows.h>

struct TextBlock;

// Decides which entries are offered (a caption given and the condition
// holding; a verb target's button whatever its condition says) and makes
// their buttons in a column below the text block. Returns the top below the
// last button; `menuButtonWidth` gets their width (0 without a menu).
int LayOutMenu(HWND window, HDC dc, const TextBlock& block, int* menuButtonWidth);
// The column moves down by `delta` (up when negative).
void MoveMenuDown(HWND window, int delta);
