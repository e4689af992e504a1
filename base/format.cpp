#include "base/format.h"

#include <cstdint>

namespace {

struct Sink {
    char* dest;
    size_t cap;
    size_t length;
    void Put(char c) {
        if (length + 1 < cap) dest[length] = c;
        ++length;
    }
};

}  // namespace

size_t FormatTextV(char* dest, size_t cap, const char* format, va_list args) {
    Sink out{dest, dest ? cap : 0, 0};
    for (const char* p = format; *p; ++p) {
        if (*p != '%') {
            out.Put(*p);
            continue;
        }
        char kind = *++p;
        if (kind == 'd') {
            int value = va_arg(args, int);
            uint32_t magnitude = value < 0 ? 0u - static_cast<uint32_t>(value) : static_cast<uint32_t>(value);
            if (value < 0) out.Put('-');
            char digits[12];
            int n = 0;
            do {
                digits[n++] = static_cast<char>('0' + magnitude % 10);
                magnitude /= 10;
            } while (magnitude);
            while (n) out.Put(digits[--n]);
        } else if (kind == 's') {
            const char* s = va_arg(args, const char*);
            for (s = s ? s : ""; *s; ++s) out.Put(*s);
        } else if (kind == '%') {
            out.Put('%');
        } else {
            // Unknown directives are copied as written; a trailing '%' ends the text.
            out.Put('%');
            if (!kind) break;
            out.Put(kind);
        }
    }
    if (out.cap) out.dest[out.length < out.cap ? out.length : out.cap - 1] = '\0';
    return out.length;
}

size_t FormatText(char* dest, size_t cap, const char* format, ...) {
    va_list args;
    va_start(args, format);
    size_t n = FormatTextV(dest, cap, format, args);
    va_end(args);
    return n;
}
