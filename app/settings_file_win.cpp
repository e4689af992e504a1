#include <windows.h>

#include <cstdlib>

#include "app/ansi_text.h"
#include "app/format.h"
#include "app/platform_state.h"
#include "app/settings_file.h"

HINSTANCE instanceHandle = nullptr;

namespace {

// A settings file saved as "Unicode" (UTF-16 with its byte-order mark) is
// read by the system's profile functions as text in the ANSI code page; it is
// handed to the reader the same way. False when the bytes are no such file.
bool LoadUtf16(const char* data, DWORD size, IniFile& ini) {
    if (size < 2) return false;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(data);
    bool little = bytes[0] == 0xFF && bytes[1] == 0xFE;
    bool big = bytes[0] == 0xFE && bytes[1] == 0xFF;
    if (!little && !big) return false;
    int units = static_cast<int>((size - 2) / 2);
    wchar_t* wide = static_cast<wchar_t*>(std::malloc((units ? units : 1) * sizeof(wchar_t)));
    if (!wide) return true;  // recognised, but no memory: the defaults apply
    for (int i = 0; i < units; ++i) {
        unsigned char a = bytes[2 + 2 * i], b = bytes[3 + 2 * i];
        wide[i] = static_cast<wchar_t>(little ? (a | (b << 8)) : ((a << 8) | b));
    }
    int length = units ? WideCharToMultiByte(CP_ACP, 0, wide, units, nullptr, 0, nullptr, nullptr) : 0;
    char* ansi = static_cast<char*>(std::malloc(length > 0 ? length : 1));
    if (ansi && length > 0) length = WideCharToMultiByte(CP_ACP, 0, wide, units, ansi, length, nullptr, nullptr);
    if (ansi) ini.Load(ansi, length > 0 ? static_cast<size_t>(length) : 0);
    std::free(ansi);
    std::free(wide);
    return true;
}

}  // namespace

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
            if (!LoadUtf16(data, got, ini)) ini.Load(data, got);
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
    MessageBoxA(nullptr, text, AnsiArg(title), MB_OK);
}
