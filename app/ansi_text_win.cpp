// Conversions between UTF-8 texts and the ANSI services, in UTF-8 mode only.
#include <windows.h>

#include <cstdlib>

#include "app/ansi_text.h"
#include "app/startup_state.h"

wchar_t* Utf8ToWide(const char* text) {
    if (!text) return nullptr;
    const int units = MultiByteToWideChar(CP_UTF8, 0, text, -1, nullptr, 0);
    if (units <= 0) return nullptr;
    wchar_t* wide = (wchar_t*)malloc((size_t)units * sizeof(wchar_t));
    if (!wide) return nullptr;
    if (MultiByteToWideChar(CP_UTF8, 0, text, -1, wide, units) != units) {
        free(wide);
        return nullptr;
    }
    return wide;
}

char* WideToAnsi(const wchar_t* text) {
    if (!text) return nullptr;
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, nullptr, 0, nullptr, &usedDefault);
    if (bytes <= 0 || usedDefault) return nullptr;
    char* ansi = (char*)malloc((size_t)bytes);
    if (!ansi) return nullptr;
    usedDefault = FALSE;
    const int written = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text, -1, ansi, bytes, nullptr, &usedDefault);
    if (written != bytes || usedDefault) {
        free(ansi);
        return nullptr;
    }
    return ansi;
}

AnsiArg::AnsiArg(const char* text) : converted_(nullptr), text_(text) {
    if (!utf8Mode || !text) return;
    if (wchar_t* wide = Utf8ToWide(text)) {
        converted_ = WideToAnsi(wide);
        free(wide);
    }
    if (converted_) text_ = converted_;
}

AnsiArg::~AnsiArg() { free(converted_); }

char* Utf8FromAnsi(const char* text) {
    if (!utf8Mode || !text) return nullptr;
    const int units = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (units <= 0) return nullptr;
    wchar_t* wide = (wchar_t*)malloc((size_t)units * sizeof(wchar_t));
    if (!wide) return nullptr;
    char* utf8 = nullptr;
    if (MultiByteToWideChar(CP_ACP, 0, text, -1, wide, units) == units) {
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide, -1, nullptr, 0, nullptr, nullptr);
        utf8 = bytes > 0 ? (char*)malloc((size_t)bytes) : nullptr;
        if (utf8 && WideCharToMultiByte(CP_UTF8, 0, wide, -1, utf8, bytes, nullptr, nullptr) != bytes) {
            free(utf8);
            utf8 = nullptr;
        }
    }
    free(wide);
    return utf8;
}
