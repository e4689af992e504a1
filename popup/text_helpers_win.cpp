// The popup's texts, UTF-8 inside the program, measured, drawn and shown
// through the wide services.
#include <windows.h>

#include "popup/popup.h"
#include "popup/text_helpers.h"

void MeasureText(HDC dc, const char* text, SIZE* size) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    if (!GetTextExtentPoint32W(dc, wide ? wide.get() : L"", wide ? lstrlenW(wide) : 0, size)) size->cx = size->cy = 0;
}

void PutText(HDC dc, int x, int y, const char* text) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    if (wide) TextOutW(dc, x, y, wide, lstrlenW(wide));
}

HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id,
                  HINSTANCE instance) {
    return CreateWindowExW(0, L"BUTTON", WideArg(caption), style, x, y, width, height, parent, (HMENU)(INT_PTR)id,
                           instance, nullptr);
}

void SetCaption(HWND control, const char* caption) { SetWindowTextW(control, WideArg(caption)); }

LONG_PTR Subclass(HWND control, WNDPROC procedure) {
    return SetWindowLongPtrW(control, GWLP_WNDPROC, (LONG_PTR)procedure);
}

void SubclassPushButton(HWND button) {
    const LONG_PTR previous = Subclass(button, ButtonSubclassProc);
    SetWindowLongPtrW(button, GWLP_USERDATA, previous);
}
