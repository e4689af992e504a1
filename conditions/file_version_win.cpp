// Reading a program file's fixed file version. The version-information
// functions come from the system's own version.dll, loaded at run time by full
// path: a launcher on a writable medium must never pick up a DLL placed beside it.
#include <windows.h>

#include <cstring>

#include "base/kernel_function.h"
#include "base/owned_win.h"
#include "base/wide_text.h"
#include "conditions/version_bound.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

namespace {

typedef DWORD(WINAPI* GetSizeFn)(LPCWSTR, LPDWORD);
typedef BOOL(WINAPI* GetInfoFn)(LPCWSTR, DWORD, DWORD, LPVOID);
typedef BOOL(WINAPI* QueryFn)(LPCVOID, LPCWSTR, LPVOID*, PUINT);

struct VersionApi {
    GetSizeFn getSize;
    GetInfoFn getInfo;
    QueryFn query;
};

HMODULE LoadSystemVersionDll() {
    static const wchar_t kName[] = L"\\version.dll";
    wchar_t path[MAX_PATH];
    const UINT n = GetSystemDirectoryW(path, MAX_PATH);
    if (n == 0 || n + sizeof kName / sizeof kName[0] > MAX_PATH) return nullptr;
    memcpy(path + n, kName, sizeof kName);

    // Where the loader knows the flag, the DLL's own dependencies are also
    // taken from the system folder only. Older systems reject the flag.
    if (KernelFunction("AddDllDirectory")) {
        HMODULE module = LoadLibraryExW(path, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (module) return module;
    }
    return LoadLibraryW(path);
}

// Loaded once per process on first use and kept until the process ends.
const VersionApi* GetVersionApi() {
    static VersionApi api;
    static bool loaded = false;
    if (loaded) return &api;
    Module module(LoadSystemVersionDll());
    if (!module.Valid()) return nullptr;
    VersionApi found;
    found.getSize = reinterpret_cast<GetSizeFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoSizeW")));
    found.getInfo = reinterpret_cast<GetInfoFn>(reinterpret_cast<void*>(GetProcAddress(module, "GetFileVersionInfoW")));
    found.query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(GetProcAddress(module, "VerQueryValueW")));
    if (!found.getSize || !found.getInfo || !found.query) return nullptr;
    module.Release();  // kept for the rest of the process
    api = found;
    loaded = true;
    return &api;
}

// Reads the fixed file version; false when the file has none readable.
bool ReadFileVersion(const char* programPath, FileVersion& version) {
    const VersionApi* api = GetVersionApi();
    if (!api || !programPath) return false;
    const WideArg path(programPath);
    DWORD handle = 0;
    const DWORD size = api->getSize(path, &handle);
    if (size == 0) return false;
    HeapPtr<BYTE> buffer = HeapPtr<BYTE>::Allocate(size);
    if (!buffer || !api->getInfo(path, 0, size, buffer)) return false;
    void* block = nullptr;
    UINT length = 0;
    if (!api->query(buffer, L"\\", &block, &length) || !block || length < sizeof(VS_FIXEDFILEINFO)) return false;
    const VS_FIXEDFILEINFO* info = static_cast<const VS_FIXEDFILEINFO*>(block);
    if (info->dwSignature != 0xFEEF04BD) return false;
    version.major = HIWORD(info->dwFileVersionMS);
    version.minor = LOWORD(info->dwFileVersionMS);
    version.build = HIWORD(info->dwFileVersionLS);
    version.revision = LOWORD(info->dwFileVersionLS);
    return true;
}

}  // namespace

bool IsVersionBelow(const VersionBound& bound, const char* programPath) {
    FileVersion version;
    if (!ReadFileVersion(programPath, version)) return true;
    return VersionIsBelow(version, bound);
}

bool IsViewerTooOld(const VersionBound& bound, const char* foundProgramPath) {
    if (!bound.set) return false;
    if (bound.programName && !EqualNoCase(FileNamePart(foundProgramPath), bound.programName)) return false;
    return IsVersionBelow(bound, foundProgramPath);
}
