// Texts between the program and the system. Inside the program every text is
// UTF-8: the settings (a file in the ANSI code page is converted as it is
// read), the command line, the program's folder and what the system says.
// The system's wide ("W") services take and give UTF-16, so a text is
// converted right where it crosses: WideArg on the way out, Utf8FromWide on
// the way in. Names and texts may then hold any character.
#pragma once
#include <cstddef>

#include "base/owned.h"

// Null for a null text, and when memory runs out. Invalid UTF-8 becomes
// U+FFFD, as the system converts it.
HeapPtr<wchar_t> Utf8ToWide(const char* text);
// `length` units of `text`, or up to its terminator when -1.
HeapText Utf8FromWide(const wchar_t* text, int length = -1);

// Between the ANSI code page and UTF-8, for what the ANSI services once saw:
// `room` bytes of `out` hold the converted text and its terminator (cut
// between characters when it does not fit); the count written comes back,
// or kConversionFailed (with `out` empty) when memory ran out, which is not
// an empty text.
const size_t kConversionFailed = static_cast<size_t>(-1);
size_t Utf8FromAnsi(const char* text, size_t length, char* out, size_t room);
// The ANSI form of a UTF-8 or UTF-16 text; null when memory runs out.
HeapText AnsiFromUtf8(const char* text);
HeapText AnsiFromWide(const wchar_t* text, int length = -1);

// A UTF-8 text as a wide service takes it, for the length of one call. Null
// stays null.
class WideArg {
public:
    explicit WideArg(const char* text) : wide_(Utf8ToWide(text)) {}
    operator const wchar_t*() const { return wide_.get(); }

private:
    HeapPtr<wchar_t> wide_;
};
