// A small bounded formatter for the program's own texts ("%d", "%s", "%%"),
// so that the product does not pull in the C library's full printf.
#pragma once
#include <cstdarg>
#include <cstddef>

// Writes at most cap - 1 bytes and a terminator (nothing when cap is 0).
// Returns the length the whole text needs, like snprintf.
size_t FormatText(char* dest, size_t cap, const char* format, ...);
size_t FormatTextV(char* dest, size_t cap, const char* format, va_list args);
