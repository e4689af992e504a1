// Texts crossing between the program and the ANSI ("A") services of the
// system. In UTF-8 mode every text inside the program is UTF-8: a text that
// arrives from an ANSI service (the command line, the shell's type name, the
// system's error text) is converted on arrival with Utf8FromAnsi, and a text
// handed to an ANSI service (a file name, a registry name, a program to start)
// is converted right there with AnsiArg. Texts that come from an ANSI service
// and go straight back to one (the program folder, a found program, a full
// path) are never converted. Outside UTF-8 mode nothing is converted.
#pragma once
#include "base/owned.h"

// The settings file began with the UTF-8 byte-order mark: its texts, and so
// every text of the run, are UTF-8. Set once at start-up.
extern bool utf8Mode;

// Null on any failure (and for a null text).
HeapPtr<wchar_t> Utf8ToWide(const char* text);
HeapText WideToAnsi(const wchar_t* text);  // exact conversions only

// A text as an ANSI service takes it, for the length of one call: in UTF-8
// mode its exact form in the ANSI code page; the bytes as stored when some
// character has no exact equivalent there or the conversion fails (as before
// this conversion existed); outside UTF-8 mode the text itself. Null stays null.
class AnsiArg {
public:
    explicit AnsiArg(const char* text);
    AnsiArg(const AnsiArg&) = delete;
    AnsiArg& operator=(const AnsiArg&) = delete;
    operator const char*() const { return text_; }

private:
    HeapText converted_;
    const char* text_;
};

// In UTF-8 mode the UTF-8 form of an ANSI text; null outside UTF-8 mode, for
// a null text and on failure, and the caller then keeps the ANSI bytes.
HeapText Utf8FromAnsi(const char* text);
