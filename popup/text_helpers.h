// Text and control helpers that pick the wide or the ANSI service by
// utf8Mode, so that the rest of the popup passes its byte strings unchanged.
#pragma once
#include <windows.h>

#include "base/ansi_text.h"  // Utf8ToWide, WideToAnsi

void MeasureText(HDC dc, const char* text, int count, SIZE* size);
void PutText(HDC dc, int x, int y, const char* text, int count);
HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                  HINSTANCE instance);

// A control made through the wide service is subclassed the wide way too: an
// ANSI subclass would pass its caption through the code page, and a Cyrillic
// caption would read back as question marks. Returns the previous procedure.
LONG_PTR Subclass(HWND control, WNDPROC procedure);
// Push buttons keep their previous procedure in their user data.
void SubclassPushButton(HWND button);
