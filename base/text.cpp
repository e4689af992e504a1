#include "base/text.h"

#include <cstring>

#include "base/utf.h"

bool EqualNoCase(const char* a, const char* b) {
    if (!a || !b) return a == b;
    for (;; ++a, ++b) {
        if (LowerAscii(*a) != LowerAscii(*b)) return false;
        if (!*a) return true;
    }
}

int CompareNoCase(const char* a, size_t aLength, const char* b, size_t bLength) {
    const size_t n = aLength < bLength ? aLength : bLength;
    for (size_t i = 0; i < n; ++i) {
        const unsigned char x = static_cast<unsigned char>(LowerAscii(a[i]));
        const unsigned char y = static_cast<unsigned char>(LowerAscii(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (aLength == bLength) return 0;
    return aLength < bLength ? -1 : 1;
}

size_t PrefixNoCase(const char* text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i)
        if (!text[i] || LowerAscii(text[i]) != LowerAscii(prefix[i])) return 0;
    return i;
}

bool CopyBounded(char* dest, size_t cap, const char* src, size_t length) {
    if (cap == 0) return false;
    const bool whole = length < cap;
    if (!whole) length = cap - 1;
    if (length) std::memcpy(dest, src, length);
    dest[length] = '\0';
    return whole;
}

bool CopyBounded(char* dest, size_t cap, const char* src) {
    if (!src) src = "";
    return CopyBounded(dest, cap, src, std::strlen(src));
}

void AppendBounded(char* dest, size_t cap, const char* src) {
    const size_t used = std::strlen(dest);
    if (used + 1 < cap) CopyBounded(dest + used, cap - used, src);
}

const char* FileNamePart(const char* path) {
    if (!path) return "";
    const char* slash = std::strrchr(path, '\\');
    return slash ? slash + 1 : path;
}

uint32_t DecimalWrapped(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '-' || *p == '+') negative = *p++ == '-';
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    return negative ? 0u - value : value;
}

namespace {

// "scheme:" with a scheme of two or more characters (a drive letter is one),
// other than "file:", which names a path.
bool IsAddress(const char* name) {
    const char* p = name;
    if (!((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z'))) return false;
    while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') || *p == '+' ||
           *p == '-' || *p == '.')
        ++p;
    return *p == ':' && p - name >= 2 && !(p - name == 4 && PrefixNoCase(name, "file"));
}

}  // namespace

bool ShellTakesName(const char* name, bool pathOnly) {
    if (!name) return true;
    const size_t limit = !pathOnly && IsAddress(name) ? 960 : 259;
    // Counted in the system's UTF-16 units; a name of more bytes than that
    // many three-byte characters is too long without counting.
    const size_t bytes = std::strlen(name);
    if (bytes > 3 * limit) return false;
    return Utf16FromUtf8(name, bytes, nullptr, 0) <= limit;
}
