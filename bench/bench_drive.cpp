// Maps a folder to a drive letter as a CD drive, or removes the letter, while
// Wine runs, through Wine's mount manager (a link made by hand is not seen
// until the wineserver restarts).
//
//   bench_drive.exe LETTER UNIXFOLDER   maps the folder as a CD drive
//   bench_drive.exe LETTER              removes the letter
//
// Exits 0 when the drive is there as a CD drive (or gone), 1 when not.
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

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

bool SendDriveRequest(char letter, ULONG type, const char* unixFolder) {
    size_t length = unixFolder ? std::strlen(unixFolder) + 1 : 0;
    std::vector<char> request(sizeof(UnixDrive) + length, 0);
    UnixDrive* d = reinterpret_cast<UnixDrive*>(request.data());
    d->size = static_cast<ULONG>(request.size());
    d->type = type;
    d->letter = static_cast<WCHAR>(letter | 0x20);
    if (unixFolder) {
        d->mountPointOffset = sizeof(UnixDrive);
        std::memcpy(request.data() + sizeof(UnixDrive), unixFolder, length);
    }
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    DWORD returned = 0;
    BOOL ok = DeviceIoControl(manager, kDefineUnixDrive, request.data(), d->size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != FALSE;
}

}  // namespace

int main(int argc, char** argv) {
    char letter = argc >= 2 ? static_cast<char>(argv[1][0] & ~0x20) : '\0';
    if (argc < 2 || argc > 3 || letter < 'A' || letter > 'Z' || argv[1][1]) {
        std::fprintf(stderr, "usage: bench_drive LETTER [UNIXFOLDER]\n");
        return 2;
    }
    char root[] = {letter, ':', '\\', '\0'};
    if (argc == 2) {
        // DRIVE_NO_ROOT_DIR removes the letter; removing an absent one is no
        // failure, so only the outcome is checked.
        SendDriveRequest(letter, DRIVE_NO_ROOT_DIR, nullptr);
        if (GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR) {
            std::fprintf(stderr, "bench_drive: %s is still there\n", root);
            return 1;
        }
        return 0;
    }
    if (!SendDriveRequest(letter, DRIVE_CDROM, argv[2])) {
        std::fprintf(stderr, "bench_drive: the mount manager refused %s (error %lu)\n", root,
                     static_cast<unsigned long>(GetLastError()));
        return 1;
    }
    if (GetDriveTypeA(root) != DRIVE_CDROM || GetFileAttributesA(root) == INVALID_FILE_ATTRIBUTES) {
        std::fprintf(stderr, "bench_drive: %s is not a readable CD drive after mapping\n", root);
        return 1;
    }
    return 0;
}
