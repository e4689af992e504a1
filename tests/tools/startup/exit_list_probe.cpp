// A GUI program linked with the shipped program's start-up
// (app/startup_win.cpp) instead of the runtime's, whose WinMainCRTStartup is
// its entry. Registers as many exit functions as its command line says, the
// reporting one first so that it runs last: it exits with 100 + the number of
// the others that ran. A refused registration exits 1.
#include <windows.h>

#include <cstdlib>

#include "run/cmdline.h"

namespace {
int ran = 0;
void Count() { ++ran; }
void Report() { ExitProcess(100 + ran); }
}  // namespace

// The start-up hands the entry no command line; the count is read from the
// process's own, as the program reads its arguments.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int wanted = std::atoi(ArgumentsAfterProgramName(GetCommandLineA()));
    if (wanted < 1 || atexit(Report) != 0) ExitProcess(1);
    for (int i = 1; i < wanted; ++i)
        if (atexit(Count) != 0) ExitProcess(1);
    return 0;
}
