#include "base/utf.h"

namespace {

// The length of the sequence at p, which is well-formed when `*valid`: the
// whole sequence, or else its maximal subpart (at least one byte). The
// second byte's range is narrowed where the lead byte alone allows overlong
// forms, surrogates or values beyond U+10FFFF.
size_t Utf8Subpart(const unsigned char* p, const unsigned char* end, bool* valid) {
    const unsigned char c = p[0];
    *valid = c < 0x80;
    if (c < 0xC2 || c > 0xF4) return 1;
    const size_t n = c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    const unsigned char low = c == 0xE0 ? 0xA0 : c == 0xF0 ? 0x90 : 0x80;
    const unsigned char high = c == 0xED ? 0x9F : c == 0xF4 ? 0x8F : 0xBF;
    size_t i = 1;
    if (p + i < end && p[i] >= low && p[i] <= high) {
        ++i;
        while (i < n && p + i < end && (p[i] & 0xC0) == 0x80) ++i;
    }
    *valid = i == n;
    return i;
}

}  // namespace

size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, uint32_t* codePoint) {
    if (p >= end) return 0;
    bool valid = false;
    const size_t n = Utf8Subpart(p, end, &valid);
    if (!valid) return 0;
    if (codePoint) {
        uint32_t cp = n == 1 ? p[0] : p[0] & (0x7Fu >> n);
        for (size_t i = 1; i < n; ++i) cp = (cp << 6) | (p[i] & 0x3Fu);
        *codePoint = cp;
    }
    return n;
}

size_t Utf16FromUtf8(const char* text, size_t length, char16_t* out, size_t room) {
    if (out && room == 0) return 0;
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = p + length;
    size_t used = 0;
    while (p < end) {
        uint32_t cp = 0xFFFD;
        size_t n = Utf8SequenceLength(p, end, &cp);
        if (n == 0) {
            bool valid;
            n = Utf8Subpart(p, end, &valid);
        }
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
        p += n;
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

size_t Utf8PrefixOfUnits(const char* text, size_t length, size_t units, size_t* counted) {
    const unsigned char* const start = reinterpret_cast<const unsigned char*>(text);
    const unsigned char* const end = start + length;
    const unsigned char* p = start;
    size_t used = 0;
    while (p < end) {
        bool valid = false;
        const size_t n = Utf8Subpart(p, end, &valid);
        const size_t count = valid && n == 4 ? 2 : 1;
        if (units - used < count) break;
        used += count;
        p += n;
    }
    if (counted) *counted = used;
    return static_cast<size_t>(p - start);
}
