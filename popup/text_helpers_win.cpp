// Converters and A/W-choosing screen operations: in UTF-8 mode the popup's
// texts go through the wide services, otherwise straight to the ANSI ones.
#include <windows.h>

#include "popup/popup.h"
#include "popup/text_helpers.h"

void MeasureText(HDC dc, const char* text, int count, SIZE* size) {
    if (utf8Mode) {
        if (const HeapPtr<wchar_t> wide = Utf8ToWide(text)) {
            GetTextExtentPoint32W(dc, wide, lstrlenW(wide), size);
            return;
        }
    }
    GetTextExtentPoint32A(dc, text, count, size);
}

void PutText(HDC dc, int x, int y, const char* text, int count) {
    if (utf8Mode) {
        if (const HeapPtr<wchar_t> wide = Utf8ToWide(text)) {
            TextOutW(dc, x, y, wide, lstrlenW(wide));
            return;
        }
    }
    TextOutA(dc, x, y, text, count);
}

HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                  HINSTANCE instance) {
    HWND button = nullptr;
    const HeapPtr<wchar_t> wide = utf8Mode ? Utf8ToWide(caption) : HeapPtr<wchar_t>();
    if (wide)
        button = CreateWindowExW(0, L"BUTTON", wide, style, x, y, width, height, parent, (HMENU)(INT_PTR)id, instance,
                                 nullptr);
    if (!button) {
        const HeapText ansi = WideToAnsi(wide);
        button = CreateWindowExA(0, "BUTTON", ansi ? ansi.get() : caption, style, x, y, width, height, parent,
                                 (HMENU)(INT_PTR)id, instance, nullptr);
    }
    return button;
}

LONG_PTR Subclass(HWND control, WNDPROC procedure) {
    return IsWindowUnicode(control) ? SetWindowLongPtrW(control, GWLP_WNDPROC, (LONG_PTR)procedure)
                                    : SetWindowLongPtrA(control, GWLP_WNDPROC, (LONG_PTR)procedure);
}

void SubclassPushButton(HWND button) {
    const LONG_PTR previous = Subclass(button, ButtonSubclassProc);
    SetWindowLongPtrA(button, GWLP_USERDATA, previous);
}
