// Text and control helpers: the popup's UTF-8 texts go to the wide services.
#pragma once
#include <windows.h>

#include "base/wide_text.h"

void MeasureText(HDC dc, const char* text, SIZE* size);
void PutText(HDC dc, int x, int y, const char* text);
// The height of a text broken into lines of at most `width` pixels, and its
// drawing so, at the top left of `box`.
int WrappedTextHeight(HDC dc, const char* text, int width);
void PutWrappedText(HDC dc, const RECT& box, const char* text);
// A line cut with "..." where it does not fit `box`, and the width that cut
// line takes when it must fit `room`.
void PutCutText(HDC dc, const RECT& box, const char* text);
int CutTextWidth(HDC dc, const char* text, int room);
// A button of the popup, its caption in the DPI's button font.
HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id);
void SetCaption(HWND control, const char* caption);
// Moves a child control down (up when negative) within its parent.
void MoveControlDown(HWND control, int delta);

// Returns the previous window procedure of the control.
LONG_PTR Subclass(HWND control, WNDPROC procedure);
