// Conversions between UTF-8 and the system's UTF-16 and ANSI code page.
#include <windows.h>

#include "base/wide_text.h"

bool utf8Mode = false;

namespace {

// The whole text, terminator included, in UTF-16; null on failure.
HeapPtr<wchar_t> ToWide(UINT codePage, const char* text, int length) {
    if (!text) return {};
    const int units = MultiByteToWideChar(codePage, 0, text, length, nullptr, 0);
    HeapPtr<wchar_t> wide = HeapPtr<wchar_t>::Allocate((size_t)units + 1);
    if (!wide) return wide;
    const int written = units > 0 ? MultiByteToWideChar(codePage, 0, text, length, wide, units) : 0;
    wide[written > 0 ? written - (length < 0) : 0] = L'\0';
    return wide;
}

HeapText FromWide(UINT codePage, const wchar_t* text, int length) {
    if (!text) return {};
    const int bytes = WideCharToMultiByte(codePage, 0, text, length, nullptr, 0, nullptr, nullptr);
    HeapText out = HeapText::Allocate((size_t)bytes + 1);
    if (!out) return out;
    const int written = bytes > 0 ? WideCharToMultiByte(codePage, 0, text, length, out, bytes, nullptr, nullptr) : 0;
    out[written > 0 ? written - (length < 0) : 0] = '\0';
    return out;
}

}  // namespace

HeapPtr<wchar_t> Utf8ToWide(const char* text) { return ToWide(CP_UTF8, text, -1); }

HeapText Utf8FromWide(const wchar_t* text, int length) { return FromWide(CP_UTF8, text, length); }

size_t Utf8FromAnsi(const char* text, size_t length, char* out, size_t room) {
    if (room == 0) return 0;
    out[0] = '\0';
    const HeapPtr<wchar_t> wide = ToWide(CP_ACP, text, (int)length);
    if (!wide || length == 0) return 0;
    const int written = WideCharToMultiByte(CP_UTF8, 0, wide, -1, out, (int)room, nullptr, nullptr);
    if (written <= 0) {
        out[0] = '\0';
        return 0;
    }
    return (size_t)written - 1;
}

HeapText AnsiFromUtf8(const char* text) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    return FromWide(CP_ACP, wide, -1);
}

HeapText AnsiFromWide(const wchar_t* text, int length) { return FromWide(CP_ACP, text, length); }
