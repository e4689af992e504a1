// Converters and A/W-choosing screen operations: in UTF-8 mode the popup's
// texts go through the wide services, otherwise straight to the ANSI ones.
#include <windows.h>

#include <cstdlib>

#include "app/startup_state.h"
#include "popup/text_helpers.h"

// Length in UTF-16 units of a converted text, without its terminator.
static int WideLength(const wchar_t* wide) { return lstrlenW(wide); }

void MeasureText(HDC dc, const char* text, int count, SIZE* size) {
    if (utf8Mode) {
        if (wchar_t* wide = Utf8ToWide(text)) {
            GetTextExtentPoint32W(dc, wide, WideLength(wide), size);
            free(wide);
            return;
        }
    }
    GetTextExtentPoint32A(dc, text, count, size);
}

void PutText(HDC dc, int x, int y, const char* text, int count) {
    if (utf8Mode) {
        if (wchar_t* wide = Utf8ToWide(text)) {
            TextOutW(dc, x, y, wide, WideLength(wide));
            free(wide);
            return;
        }
    }
    TextOutA(dc, x, y, text, count);
}

HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                  HINSTANCE instance) {
    HWND button = nullptr;
    wchar_t* wide = utf8Mode ? Utf8ToWide(caption) : nullptr;
    if (wide)
        button = CreateWindowExW(0, L"BUTTON", wide, style, x, y, width, height, parent, (HMENU)(INT_PTR)id, instance,
                                 nullptr);
    if (!button) {
        char* ansi = wide ? WideToAnsi(wide) : nullptr;
        button = CreateWindowExA(0, "BUTTON", ansi ? ansi : caption, style, x, y, width, height, parent,
                                 (HMENU)(INT_PTR)id, instance, nullptr);
        free(ansi);
    }
    free(wide);
    return button;
}
