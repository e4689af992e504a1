// Text helpers that pick the wide or the ANSI service by utf8Mode, so that the
// rest of the popup passes its byte strings unchanged.
#pragma once
#include <windows.h>

#include "app/ansi_text.h"  // Utf8ToWide, WideToAnsi

void MeasureText(HDC dc, const char* text, int count, SIZE* size);
void PutText(HDC dc, int x, int y, const char* text, int count);
HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                  HINSTANCE instance);
