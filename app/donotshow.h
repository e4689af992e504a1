// The do-not-show-again memory: one REG_DWORD per DoNotRepeatId under
// HKEY_CURRENT_USER\Software\QRN\CorvaneCDs.
#pragma once
#include <windows.h>
#include <cstdint>

extern const char kDoNotShowKey[];  // "Software\QRN\CorvaneCDs"

// Opens or creates the key; null when that fails.
HKEY OpenDoNotShowKey();
// Reads the named value (a UTF-8 name) into a 4-byte buffer that starts as
// zero; the type is ignored. False when the value is missing or longer than 4
// bytes.
bool ReadDoNotShowValue(HKEY key, const char* name, uint32_t* value);
void WriteDoNotShowValue(HKEY key, const char* name, bool doNotShow);

// The whole step: decide, run the popup when it is to be shown (through
// `runPopup`), write the state back. Returns whether the popup was run.
bool RunWithDoNotShowMemory(void (*runPopup)(void*), void* context);
