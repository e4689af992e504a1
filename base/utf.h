// UTF-8 and UTF-16, converted without the platform, so that the conversions
// every name goes through are the same everywhere and can be fuzzed. Texts
// are counted; outputs are bounded by their room, terminator included, and
// cut only between characters. Malformed input is never refused: each
// maximal subpart of a malformed UTF-8 sequence (the longest start of a
// well-formed sequence, or else one byte), and each unpaired surrogate,
// becomes one U+FFFD, as Unicode recommends.
#pragma once
#include <cstddef>
#include <cstdint>

// The encodings a settings file comes in: the PC's ANSI code page (no mark),
// UTF-8 with its byte-order mark, or UTF-16 ("Unicode"). Texts inside the
// program are UTF-8 whatever the file was; what older versions did with a
// text, and so how it compares, depends on it.
enum class TextEncoding : unsigned char { Ansi, Utf8, Utf16 };

// The well-formed UTF-8 sequence at p (end exclusive): its length, or 0 when
// the bytes there are not UTF-8; `codePoint` (optional) gets its value.
size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end, uint32_t* codePoint = nullptr);

// Writes the UTF-16 form of `length` bytes into `out` (`room` units) and a
// terminator; returns the units written, or with a null `out` the units needed.
size_t Utf16FromUtf8(const char* text, size_t length, char16_t* out, size_t room);
// Writes the UTF-8 form of `length` units into `out` (`room` bytes) and a
// terminator; returns the bytes written, or with a null `out` the bytes needed.
size_t Utf8FromUtf16(const char16_t* text, size_t length, char* out, size_t room);

// How many bytes of a UTF-8 text hold at most `units` characters as the
// system's wide functions count them: the UTF-16 units Utf16FromUtf8 makes
// of them. A character beyond U+FFFF counts two and is never split; a
// malformed maximal subpart (a lone byte, or a cut sequence such as E2 82)
// counts one, as the U+FFFD it becomes, and is never split either.
// `counted` (optional) gets the units of that start, so that a look at the
// whole text (`units` = SIZE_MAX) counts its characters.
size_t Utf8PrefixOfUnits(const char* text, size_t length, size_t units, size_t* counted = nullptr);
