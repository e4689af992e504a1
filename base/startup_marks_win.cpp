// The benchmark's start-up marks (see startup_marks.h); empty unless the
// build asks for them.
#ifdef CORVANE_STARTUP_MARKS
#include <windows.h>

#include "base/owned_win.h"
#include "base/startup_marks.h"

namespace {

const int kMaxMarks = 32;
struct Mark {
    const char* label;
    ULONGLONG ticks;
};
Mark marks[kMaxMarks];
int markCount = 0;
bool written = false;

// Appends text to a line buffer of 128 bytes; returns the new length.
int Append(char* line, int length, const char* text) {
    while (*text && length < 127) line[length++] = *text++;
    return length;
}

int AppendNumber(char* line, int length, ULONGLONG value) {
    char digits[24];
    int n = 0;
    do {
        digits[n++] = static_cast<char>('0' + value % 10);
        value /= 10;
    } while (value);
    while (n && length < 127) line[length++] = digits[--n];
    return length;
}

}  // namespace

void StartupMark(const char* label) {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    if (markCount < kMaxMarks) marks[markCount++] = {label, static_cast<ULONGLONG>(now.QuadPart)};
}

// One line per mark: the label, a tab, the counter value. Written once.
void WriteStartupMarks() {
    if (written) return;
    written = true;
    char path[MAX_PATH], temp[MAX_PATH + 4];
    DWORD n = GetEnvironmentVariableA("CORVANE_MARKS", path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return;
    lstrcpyA(temp, path);
    lstrcatA(temp, ".tmp");
    KernelHandle file(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return;
    for (int i = 0; i < markCount; ++i) {
        char line[128];
        int length = Append(line, 0, marks[i].label);
        length = Append(line, length, "\t");
        length = AppendNumber(line, length, marks[i].ticks);
        length = Append(line, length, "\n");
        DWORD done = 0;
        WriteFile(file, line, static_cast<DWORD>(length), &done, nullptr);
    }
    file.Reset();
    // Renamed when complete, so that a reader never sees half the marks.
    MoveFileExA(temp, path, MOVEFILE_REPLACE_EXISTING);
}
#endif
