// The do-not-show-again memory: read before the popup, written back after.
#include "app/donotshow.h"

#include "base/wide_text.h"

const char kDoNotShowKey[] = "Software\\QRN\\CorvaneCDs";

namespace {

uint32_t LittleEndian(const BYTE* b) {
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) | (static_cast<uint32_t>(b[2]) << 16) |
           (static_cast<uint32_t>(b[3]) << 24);
}

// Through the ANSI functions into four bytes, as earlier versions read it
// (they hand a string over in its ANSI form).
bool ReadAsAnsi(HKEY key, const char* ansiName, uint32_t* value) {
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    if (!ansiName || RegQueryValueExA(key, ansiName, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return false;
    *value = LittleEndian(data);
    return true;
}

// Under the Unicode name. A string takes twice its ANSI length or more in
// its wide form, so its ANSI form (with the terminator it is stored with)
// decides whether it fits, as it did.
bool ReadWide(HKEY key, const char* name, uint32_t* value) {
    BYTE data[64];
    DWORD type = 0, size = sizeof data;
    if (RegQueryValueExW(key, WideArg(name), nullptr, &type, data, &size) != ERROR_SUCCESS) return false;
    BYTE bytes[4] = {0, 0, 0, 0};
    if (type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ) {
        const int units = (int)(size / 2);
        if (units > 0 && WideCharToMultiByte(CP_ACP, 0, reinterpret_cast<const wchar_t*>(data), units,
                                             reinterpret_cast<char*>(bytes), sizeof bytes, nullptr, nullptr) == 0)
            return false;
    } else {
        if (size > sizeof bytes) return false;
        CopyMemory(bytes, data, size);
    }
    *value = LittleEndian(bytes);
    return true;
}

}  // namespace

HKEY OpenDoNotShowKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, WideArg(kDoNotShowKey), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool ReadDoNotShowValue(HKEY key, const char* name, TextEncoding encoding, uint32_t* value) {
    if (ReadWide(key, name, value)) return true;
    // Earlier versions named the value through the ANSI functions: with the
    // bytes of a UTF-8 file's name, or with the ANSI form the system gave a
    // UTF-16 file's name.
    if (encoding == TextEncoding::Utf8) return ReadAsAnsi(key, name, value);
    if (encoding != TextEncoding::Utf16) return false;
    const HeapText ansiName = AnsiFromUtf8(name);
    return ReadAsAnsi(key, ansiName, value);
}

void WriteDoNotShowValue(HKEY key, const char* name, bool doNotShow) {
    DWORD value = doNotShow ? 1 : 0;
    RegSetValueExW(key, WideArg(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

void ReadDoNotShowMemory(DoNotShowMemory& memory, const char* name, TextEncoding encoding) {
    memory.key.Reset(OpenDoNotShowKey());
    if (memory.key.Valid()) memory.read = ReadDoNotShowValue(memory.key, name, encoding, &memory.stored);
}
