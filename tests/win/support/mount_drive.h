// Drive letters while Wine runs, through Wine's mount manager (a link made
// by hand is not seen until the wineserver restarts): a folder mapped as a
// CD drive, or a letter removed. Shared by the acceptance suite and the bench.
#pragma once
#include <windows.h>

#include <cstring>
#include <vector>

namespace mount {

// The mount manager's request to define or remove a drive letter.
#pragma pack(push, 4)
struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDev;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
#pragma pack(pop)
static_assert(sizeof(UnixDrive) == 32, "the mount manager expects 32 bytes before the path");

const DWORD kDefineUnixDrive = 0x6DC080;

// `type` DRIVE_CDROM (5) maps `unixFolder` to `letter`; DRIVE_NO_ROOT_DIR (1)
// removes the letter (the folder is then not used).
inline bool SendDriveRequest(char letter, ULONG type, const char* unixFolder) {
    const bool removal = type == DRIVE_NO_ROOT_DIR || !unixFolder;
    const size_t length = removal ? 0 : std::strlen(unixFolder) + 1;
    std::vector<char> request(sizeof(UnixDrive) + length, 0);
    UnixDrive* d = reinterpret_cast<UnixDrive*>(request.data());
    d->size = static_cast<ULONG>(request.size());
    d->type = type;
    d->letter = static_cast<WCHAR>(letter | 0x20);
    if (!removal) {
        d->mountPointOffset = sizeof(UnixDrive);
        std::memcpy(request.data() + sizeof(UnixDrive), unixFolder, length);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, request.data(), d->size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

}  // namespace mount
