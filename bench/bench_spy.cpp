// The benchmark's target: the handler registered for the bench's document
// type. It records the moment it was started as a QueryPerformanceCounter
// value, which the harness reads on the same clock, and exits.
//
// The value lands in stamp.txt beside this executable. It is written to a
// temporary name first and renamed, so the harness never reads half a number,
// and then the harness's event CvBenchSpyStarted is set.
#include <windows.h>

#include <cstdio>
#include <cstring>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);

    char folder[MAX_PATH];
    DWORD n = GetModuleFileNameA(nullptr, folder, sizeof folder);
    if (n == 0 || n >= sizeof folder) return 1;
    char* slash = std::strrchr(folder, '\\');
    if (!slash) return 1;
    slash[1] = '\0';

    char temp[MAX_PATH + 16], stamp[MAX_PATH + 16];
    std::snprintf(temp, sizeof temp, "%sstamp.tmp", folder);
    std::snprintf(stamp, sizeof stamp, "%sstamp.txt", folder);

    char text[32];
    int length = std::snprintf(text, sizeof text, "%lld\n", static_cast<long long>(now.QuadPart));
    HANDLE file = CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 2;
    DWORD written = 0;
    BOOL ok = WriteFile(file, text, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
    if (!ok || written != static_cast<DWORD>(length)) return 3;
    if (!MoveFileExA(temp, stamp, MOVEFILE_REPLACE_EXISTING)) return 4;
    // The harness waits for this instead of polling for the file.
    if (HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, "CvBenchSpyStarted")) {
        SetEvent(started);
        CloseHandle(started);
    }
    return 0;
}
