// A minimal Win32 program that only shows a window: the floor for the time
// from process start to a visible popup.
#include <windows.h>

#include "baseline_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    STARTUP_MARK("entry");
    if (!baseline::ShowBaselineWindow(instance, showCommand)) return 1;
    return baseline::RunMessageLoop();
}
