// Small text helpers shared by every layer: letter case, bounded copies and
// file names. Letter case means ASCII letters only, as the settings file's
// keywords and the system's class names compare; every other byte compares
// as it is.
#pragma once
#include <cstddef>
#include <cstdint>

inline char LowerAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Case-insensitive equality; two nulls are equal, a null and a text are not.
bool EqualNoCase(const char* a, const char* b);
// Orders two counted texts as their lower-case forms compare byte by byte.
int CompareNoCase(const char* a, size_t aLength, const char* b, size_t bLength);
// Length of `prefix` when `text` begins with it, else 0.
size_t PrefixNoCase(const char* text, const char* prefix);

// Copies as much of `src` (null counts as empty) as fits into `dest` with its
// terminator; false when it was cut. Nothing happens when `cap` is 0.
bool CopyBounded(char* dest, size_t cap, const char* src);
bool CopyBounded(char* dest, size_t cap, const char* src, size_t length);
// Appends to the terminated text in `dest` as much as fits.
void AppendBounded(char* dest, size_t cap, const char* src);

// The file name part of a path: the text after the last backslash.
const char* FileNamePart(const char* path);

// Whether the shell can be handed `name` (UTF-8) to open or to look up: a
// path (a "file:" address too) of at most 259 characters, the system's path
// length without its terminator; an address ("scheme:...") of at most 960,
// well within the 1,024 characters into which shells copy an address together
// with their own additions (Wine's fails from 997 on). Longer names are
// refused before the shell sees them. With `pathOnly` every name is held to
// the path length (the look-up of a file's program takes paths only).
bool ShellTakesName(const char* name, bool pathOnly = false);

// Blanks and control characters skipped, an optional sign, then decimal
// digits up to the first other character; no digits give 0. Wraps modulo
// 2^32 as the 32-bit conversion of the system's C library does.
uint32_t DecimalWrapped(const char* text);
