// Reading Corva.INF from disk: one open, one read.
#include <windows.h>

#include "base/owned_win.h"
#include "base/utf.h"
#include "base/wide_text.h"
#include "settings/settings_file.h"

namespace {

// A settings file saved as "Unicode" (UTF-16 with its byte-order mark) is
// handed to the reader as UTF-8 with its mark, so that every character of it
// reaches the program. False when the bytes are no such file.
bool LoadUtf16(char* data, DWORD size, IniFile& ini, const LanguageTag* languages, size_t languageCount) {
    if (size < 2) return false;
    unsigned char* bytes = reinterpret_cast<unsigned char*>(data);
    const bool little = bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool big = bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (!little && !big) return false;
    const size_t count = (size - 2) / 2;
    // Units in the order of this machine, in place.
    if (big)
        for (size_t i = 2; i + 1 < size; i += 2) {
            const unsigned char high = bytes[i];
            bytes[i] = bytes[i + 1];
            bytes[i + 1] = high;
        }
    const char16_t* units = reinterpret_cast<const char16_t*>(bytes + 2);
    const size_t length = Utf8FromUtf16(units, count, nullptr, 0);
    HeapText utf8 = HeapText::Allocate(3 + length + 1);
    if (!utf8) return true;  // recognised, but no memory: the defaults apply
    utf8[0] = '\xEF', utf8[1] = '\xBB', utf8[2] = '\xBF';
    Utf8FromUtf16(units, count, utf8 + 3, length + 1);
    ini.LoadSection(utf8, 3 + length, "Info", languages, languageCount);
    return true;
}

// The reader's decoder for a file in the ANSI code page; its failure is the reader's.
static_assert(kConversionFailed == IniFile::kDecodeFailed, "one mark for a conversion without memory");
size_t DecodeAnsi(const char* text, size_t length, char* out, size_t room) {
    return Utf8FromAnsi(text, length, out, room);
}

}  // namespace

bool LoadSettingsFile(const char* path, IniFile& ini, TextEncoding* encoding, const LanguageTag* languages,
                      size_t languageCount) {
    if (encoding) *encoding = TextEncoding::Ansi;
    ini.LoadSection(nullptr, 0, "Info", nullptr, 0);
    ini.SetAnsiDecoder(DecodeAnsi);
    if (!path || !*path) return false;
    KernelHandle file(CreateFileW(WideArg(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    if (size > kMaxSettingsBytes) size = kMaxSettingsBytes;
    HeapText data = HeapText::Allocate(size);
    DWORD got = 0;
    if (!data || (size != 0 && !ReadFile(file, data, size, &got, nullptr))) return false;
    if (LoadUtf16(data, got, ini, languages, languageCount)) {
        if (encoding) *encoding = TextEncoding::Utf16;
    } else {
        ini.LoadSection(data, got, "Info", languages, languageCount);
        if (encoding && ini.HasBom()) *encoding = TextEncoding::Utf8;
    }
    return true;
}
