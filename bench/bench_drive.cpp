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

#include "tests/win/support/mount_drive.h"


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
        mount::SendDriveRequest(letter, DRIVE_NO_ROOT_DIR, nullptr);
        if (GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR) {
            std::fprintf(stderr, "bench_drive: %s is still there\n", root);
            return 1;
        }
        return 0;
    }
    if (!mount::SendDriveRequest(letter, DRIVE_CDROM, argv[2])) {
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
