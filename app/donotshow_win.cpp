// The do-not-show-again memory: read before the popup, written back after.
#include "app/donotshow.h"

#include "base/owned_win.h"
#include "base/wide_text.h"
#include "settings/run_state.h"
#include "settings/settings.h"

const char kDoNotShowKey[] = "Software\\QRN\\CorvaneCDs";

HKEY OpenDoNotShowKey() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDoNotShowKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return nullptr;
    return key;
}

bool ReadDoNotShowValue(HKEY key, const char* name, uint32_t* value) {
    BYTE data[4] = {0, 0, 0, 0};
    DWORD size = sizeof data;
    if (RegQueryValueExW(key, WideArg(name), nullptr, nullptr, data, &size) != ERROR_SUCCESS) {
        // Earlier versions named the value through the ANSI functions with
        // the bytes of a UTF-8 settings file; such a choice still counts.
        size = sizeof data;
        if (!utf8Mode || RegQueryValueExA(key, name, nullptr, nullptr, data, &size) != ERROR_SUCCESS) return false;
    }
    // Whatever the type, the bytes read count; a short string "1" is non-zero.
    *value = static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8) |
             (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    return true;
}

void WriteDoNotShowValue(HKEY key, const char* name, bool doNotShow) {
    DWORD value = doNotShow ? 1 : 0;
    RegSetValueExW(key, WideArg(name), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

bool RunWithDoNotShowMemory(void (*runPopup)(void*), void* context) {
    bool show = true;
    RegKey key;
    const char* valueName = settings.DoNotRepeatId;
    if (settings.doNotRepeatActive) {
        key.Reset(OpenDoNotShowKey());
        if (key.Valid()) {
            bool ctrlHeld = GetKeyState(VK_CONTROL) < 0;
            uint32_t stored = 0;
            bool read = ReadDoNotShowValue(key, valueName, &stored);
            show = DecideShowPopup(read, stored, ctrlHeld);
        }
    }
    if (show) runPopup(context);
    if (key.Valid()) WriteDoNotShowValue(key, valueName, run.doNotShowAgain);
    return show;
}
