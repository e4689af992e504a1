// Conversions between UTF-8 texts and the ANSI services, in UTF-8 mode only.
#include <windows.h>

#include "base/ansi_text.h"

bool utf8Mode = false;

namespace {

// The whole text, terminator included, in UTF-16; null on failure.
HeapPtr<wchar_t> ToWide(UINT codePage, const char* text) {
    if (!text) return {};
    const int units = MultiByteToWideChar(codePage, 0, text, -1, nullptr, 0);
    if (units <= 0) return {};
    HeapPtr<wchar_t> wide = HeapPtr<wchar_t>::Allocate((size_t)units);
    if (wide && MultiByteToWideChar(codePage, 0, text, -1, wide, units) != units) wide.Reset();
    return wide;
}

}  // namespace

HeapPtr<wchar_t> Utf8ToWide(const char* text) { return ToWide(CP_UTF8, text); }

HeapText WideToAnsi(const wchar_t* text) {
    if (!text) return {};
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault) return {};
    HeapText ansi = HeapText::Allocate((size_t)bytes);
    if (!ansi) return ansi;
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi, bytes, nullptr, &usedDefault);
    if (written != bytes || usedDefault) ansi.Reset();
    return ansi;
}

AnsiArg::AnsiArg(const char* text) : text_(text) {
    if (!utf8Mode || !text) return;
    HeapPtr<wchar_t> wide = Utf8ToWide(text);
    converted_ = WideToAnsi(wide);
    if (converted_) text_ = converted_;
}

HeapText Utf8FromAnsi(const char* text) {
    if (!utf8Mode || !text) return {};
    HeapPtr<wchar_t> wide = ToWide(CP_ACP, text);
    if (!wide) return {};
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    HeapText utf8 = bytes > 0 ? HeapText::Allocate((size_t)bytes) : HeapText();
    if (utf8 && WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, bytes, nullptr, nullptr) != bytes) utf8.Reset();
    return utf8;
}
