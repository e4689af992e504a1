// The do-not-show-again memory: one REG_DWORD per DoNotRepeatId under
// HKEY_CURRENT_USER\Software\QRN\CorvaneCDs.
#pragma once
#include <windows.h>

#include <cstdint>

#include "base/owned_win.h"
#include "base/utf.h"

extern const char kDoNotShowKey[];  // "Software\QRN\CorvaneCDs"

// Opens or creates the key; null when that fails.
HKEY OpenDoNotShowKey();
// Reads the choice stored under `name` (UTF-8) as earlier versions read it:
// a value of at most 4 bytes in its ANSI form, whatever its type (a string
// "1" counts, and is not zero). A choice an earlier version stored under the
// ANSI form of a Unicode file's name counts too. False when there is none.
bool ReadDoNotShowValue(HKEY key, const char* name, TextEncoding encoding, uint32_t* value);
void WriteDoNotShowValue(HKEY key, const char* name, bool doNotShow);

// The memory of one run: open while DoNotRepeatId is given.
struct DoNotShowMemory {
    RegKey key;
    bool read = false;
    uint32_t stored = 0;
};
void ReadDoNotShowMemory(DoNotShowMemory& memory, const char* name, TextEncoding encoding);
