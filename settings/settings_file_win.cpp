// Reading Corva.INF from disk: one open, one read.
#include <windows.h>

#include "base/owned_win.h"
#include "base/utf.h"
#include "base/wide_text.h"
#include "settings/settings_file.h"

namespace {

// A settings file saved as "Unicode" (UTF-16 with its byte-order mark) is
// handed to the reader as UTF-8 with its mark, so that every character of it
// reaches the program: the bytes to read then, and their count. Null for
// bytes that are no such file (and, recognised, when memory runs out: the
// defaults apply, from no text at all).
HeapText Utf16AsUtf8(char* data, DWORD size, size_t* length, bool* utf16) {
    unsigned char* bytes = reinterpret_cast<unsigned char*>(data);
    const bool little = size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const bool big = size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF;
    *utf16 = little || big;
    if (!*utf16) return HeapText();
    const size_t count = (size - 2) / 2;
    // Units in the order of this machine, in place.
    if (big)
        for (size_t i = 2; i + 1 < size; i += 2) {
            const unsigned char high = bytes[i];
            bytes[i] = bytes[i + 1];
            bytes[i + 1] = high;
        }
    const char16_t* units = reinterpret_cast<const char16_t*>(bytes + 2);
    const size_t needed = Utf8FromUtf16(units, count, nullptr, 0);
    HeapText utf8 = HeapText::Allocate(3 + needed + 1);
    *length = 0;
    if (!utf8) return utf8;
    utf8[0] = '\xEF', utf8[1] = '\xBB', utf8[2] = '\xBF';
    *length = 3 + Utf8FromUtf16(units, count, utf8 + 3, needed + 1);
    return utf8;
}

// The reader's decoder for a file in the ANSI code page; its failure is the reader's.
static_assert(kConversionFailed == IniFile::kDecodeFailed, "one mark for a conversion without memory");
size_t DecodeAnsi(const char* text, size_t length, char* out, size_t room) {
    // A cut between the two bytes of a character of a double-byte code page
    // leaves its first byte alone at the end: it goes, so that no half
    // character is shown.
    size_t at = 0;
    while (at < length) at += IsDBCSLeadByte(static_cast<BYTE>(text[at])) ? 2 : 1;
    if (at > length) --length;
    return Utf8FromAnsi(text, length, out, room);
}

// The whole file in one read (up to kMaxSettingsBytes); false when it cannot be read.
bool ReadWholeFile(const char* path, HeapText& data, DWORD* got) {
    *got = 0;
    if (!path || !*path) return false;
    KernelHandle file(CreateFileW(WideArg(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return false;
    DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return false;
    if (size > kMaxSettingsBytes) size = kMaxSettingsBytes;
    data = HeapText::Allocate(size);
    return data && (size == 0 || ReadFile(file, data, size, got, nullptr));
}

}  // namespace

bool LoadSettingsFile(const char* path, IniFile& ini, TextEncoding* encoding, const LanguageTag* languages,
                      size_t languageCount) {
    ini.SetAnsiDecoder(DecodeAnsi);
    HeapText data;
    DWORD got = 0;
    const bool read = ReadWholeFile(path, data, &got);
    bool utf16 = false;
    size_t length = read ? got : 0;
    const HeapText utf8 = read ? Utf16AsUtf8(data, got, &length, &utf16) : HeapText();
    // A file that cannot be read leaves the reader empty: the defaults.
    ini.LoadSection(utf16 ? utf8.get() : read ? data.get() : nullptr, length, "Info", languages, languageCount);
    if (encoding)
        *encoding = utf16 ? TextEncoding::Utf16 : ini.HasBom() ? TextEncoding::Utf8 : TextEncoding::Ansi;
    return read;
}
