// The popup's texts, UTF-8 inside the program, measured, drawn and shown
// through the wide services.
#include <windows.h>

#include "popup/popup_state.h"
#include "popup/text_helpers.h"

void MeasureText(HDC dc, const char* text, SIZE* size) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    if (!GetTextExtentPoint32W(dc, wide ? wide.get() : L"", wide ? lstrlenW(wide) : 0, size)) size->cx = size->cy = 0;
}

void PutText(HDC dc, int x, int y, const char* text) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    if (wide) TextOutW(dc, x, y, wide, lstrlenW(wide));
}

int WrappedTextHeight(HDC dc, const char* text, int width) {
    RECT box = {0, 0, width, 0};
    DrawTextW(dc, WideArg(text), -1, &box, DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
    return box.bottom;
}

void PutWrappedText(HDC dc, const RECT& box, const char* text) {
    RECT r = box;
    DrawTextW(dc, WideArg(text), -1, &r, DT_WORDBREAK | DT_NOPREFIX | DT_EDITCONTROL);
}

int CutTextWidth(HDC dc, const char* text, int room) {
    HeapPtr<wchar_t> cut = Utf8ToWide(text);
    // The cut form replaces the end with "...", which may be longer than it.
    if (!cut || !cut.Resize((size_t)lstrlenW(cut) + 4)) return room;
    RECT box = {0, 0, room, 0};
    DrawTextW(dc, cut, -1, &box, DT_CALCRECT | DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX | DT_MODIFYSTRING);
    SIZE size = {0, 0};
    if (!GetTextExtentPoint32W(dc, cut, lstrlenW(cut), &size) || size.cx <= 0 || size.cx > room) return room;
    return size.cx;
}

void PutCutText(HDC dc, const RECT& box, const char* text) {
    RECT r = box;
    DrawTextW(dc, WideArg(text), -1, &r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_NOPREFIX);
}

HWND CreateButton(const char* caption, DWORD style, int x, int y, int width, int height, HWND parent, int id) {
    HWND button = CreateWindowExW(0, L"BUTTON", WideArg(caption), style, x, y, width, height, parent,
                                  (HMENU)(INT_PTR)id, popup.instanceHandle, nullptr);
    // Captions follow the system DPI as the text around them does.
    if (button && popup.graphics.buttonFont.Valid())
        SendMessageW(button, WM_SETFONT, (WPARAM)popup.graphics.buttonFont.get(), FALSE);
    return button;
}

void SetCaption(HWND control, const char* caption) { SetWindowTextW(control, WideArg(caption)); }

LONG_PTR Subclass(HWND control, WNDPROC procedure) {
    return SetWindowLongPtrW(control, GWLP_WNDPROC, (LONG_PTR)procedure);
}

void MoveControlDown(HWND control, int delta) {
    RECT r;
    if (!control || !GetWindowRect(control, &r)) return;
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(control, r.left, r.top + delta, r.right - r.left, r.bottom - r.top, TRUE);
}
