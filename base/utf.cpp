#include "base/utf.h"

size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, uint32_t* codePoint) {
    if (p >= end) return 0;
    const unsigned char c = p[0];
    if (c < 0x80) {
        if (codePoint) *codePoint = c;
        return 1;
    }
    size_t n;
    uint32_t lowest;
    if (c >= 0xC2 && c <= 0xDF) n = 2, lowest = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, lowest = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, lowest = 0x10000;
    else return 0;
    if (static_cast<size_t>(end - p) < n) return 0;
    uint32_t cp = c & (0x7Fu >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    if (codePoint) *codePoint = cp;
    return n;
}

size_t Utf16FromUtf8(const char* text, size_t length, char16_t* out, size_t room) {
    if (out && room == 0) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + length;
    size_t used = 0;
    while (p < end) {
        uint32_t cp = 0xFFFD;
        const size_t n = Utf8SequenceLength(p, end, &cp);
        const size_t count = cp >= 0x10000 ? 2 : 1;
        if (out) {
            if (used + count >= room) break;
            if (count == 2) {
                out[used] = static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
                out[used + 1] = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out[used] = static_cast<char16_t>(cp);
            }
        }
        used += count;
        p += n ? n : 1;
    }
    if (out) out[used] = 0;
    return used;
}

size_t Utf8FromUtf16(const char16_t* text, size_t length, char* out, size_t room) {
    if (out && room == 0) return 0;
    size_t used = 0;
    for (size_t i = 0; i < length; ++i) {
        uint32_t cp = text[i];
        if ((cp & 0xFC00) == 0xD800 && i + 1 < length && (text[i + 1] & 0xFC00) == 0xDC00)
            cp = 0x10000 + ((cp - 0xD800) << 10) + (text[++i] - 0xDC00u);
        else if ((cp & 0xF800) == 0xD800)
            cp = 0xFFFD;
        const size_t count = cp < 0x80 ? 1 : cp < 0x800 ? 2 : cp < 0x10000 ? 3 : 4;
        if (out) {
            if (used + count >= room) break;
            // The lead byte carries the count (0xC0, 0xE0, 0xF0) above the highest bits.
            out[used] = static_cast<char>(count == 1 ? cp : ((0xF00u >> count) & 0xFF) | (cp >> (6 * (count - 1))));
            for (size_t k = 1; k < count; ++k)
                out[used + k] = static_cast<char>(0x80 | ((cp >> (6 * (count - 1 - k))) & 0x3F));
        }
        used += count;
    }
    if (out) out[used] = 0;
    return used;
}
