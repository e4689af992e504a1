// Conversions between UTF-8 and the system's UTF-16 and ANSI code page.
#include <windows.h>

#include <cstring>

#include "base/utf.h"
#include "base/wide_text.h"

namespace {

// wchar_t is the system's UTF-16 unit.
static_assert(sizeof(wchar_t) == sizeof(char16_t), "wide texts are UTF-16");
char16_t* Units(wchar_t* text) { return reinterpret_cast<char16_t*>(text); }
const char16_t* Units(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

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

HeapPtr<wchar_t> Utf8ToWide(const char* text) {
    if (!text) return {};
    const size_t length = std::strlen(text);
    const size_t units = Utf16FromUtf8(text, length, nullptr, 0);
    HeapPtr<wchar_t> wide = HeapPtr<wchar_t>::Allocate(units + 1);
    if (wide) Utf16FromUtf8(text, length, Units(wide.get()), units + 1);
    return wide;
}

HeapText Utf8FromWide(const wchar_t* text, int length) {
    if (!text) return {};
    const size_t units = length < 0 ? (size_t)lstrlenW(text) : (size_t)length;
    const size_t bytes = Utf8FromUtf16(Units(text), units, nullptr, 0);
    HeapText utf8 = HeapText::Allocate(bytes + 1);
    if (utf8) Utf8FromUtf16(Units(text), units, utf8, bytes + 1);
    return utf8;
}

size_t Utf8FromAnsi(const char* text, size_t length, char* out, size_t room) {
    if (room == 0) return 0;
    out[0] = '\0';
    if (length == 0) return 0;
    const int units = MultiByteToWideChar(CP_ACP, 0, text, (int)length, nullptr, 0);
    const HeapPtr<wchar_t> wide = HeapPtr<wchar_t>::Allocate((size_t)units + 1);
    if (!wide) return kConversionFailed;
    const int written = units > 0 ? MultiByteToWideChar(CP_ACP, 0, text, (int)length, wide, units) : 0;
    return Utf8FromUtf16(Units(wide.get()), (size_t)(written > 0 ? written : 0), out, room);
}

HeapText AnsiFromUtf8(const char* text) {
    const HeapPtr<wchar_t> wide = Utf8ToWide(text);
    return FromWide(CP_ACP, wide, -1);
}

HeapText AnsiFromWide(const wchar_t* text, int length) { return FromWide(CP_ACP, text, length); }
