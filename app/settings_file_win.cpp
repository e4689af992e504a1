#include <windows.h>

#include <cstdlib>

#include "app/format.h"
#include "app/platform_state.h"
#include "app/settings_file.h"

HINSTANCE instanceHandle = nullptr;

bool LoadSettingsFile(const char* path, IniFile& ini) {
    ini.Load(nullptr, 0);
    if (!path || !*path) return false;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool ok = false;
    DWORD size = GetFileSize(file, nullptr);
    if (size != INVALID_FILE_SIZE) {
        if (size > kMaxSettingsBytes) size = kMaxSettingsBytes;
        char* data = static_cast<char*>(std::malloc(size ? size : 1));
        DWORD got = 0;
        if (data && (size == 0 || ReadFile(file, data, size, &got, nullptr))) {
            ini.Load(data, got);
            ok = true;
        }
        std::free(data);
    }
    CloseHandle(file);
    return ok;
}

void RestrictDllSearch() {
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    if (!kernel) return;
    typedef BOOL(WINAPI * SetDefaultDirs)(DWORD);
    typedef BOOL(WINAPI * SetDllDir)(LPCSTR);
    SetDefaultDirs setDefault = reinterpret_cast<SetDefaultDirs>(
        reinterpret_cast<void*>(GetProcAddress(kernel, "SetDefaultDllDirectories")));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    SetDllDir setDir = reinterpret_cast<SetDllDir>(reinterpret_cast<void*>(GetProcAddress(kernel, "SetDllDirectoryA")));
    if (setDir) setDir("");
}

void ReportMissingViewerMsg(int ruleNumber, const char* title) {
    char text[64];
    FormatText(text, sizeof text, "ViewerMsg%d parameter not given", ruleNumber);
    MessageBoxA(nullptr, text, title, MB_OK);
}
