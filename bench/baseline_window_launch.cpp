// The least a launcher with a popup can do: show its window, then open the
// document through the shell, then keep the window until it is closed.
#include <windows.h>

#include "baseline_window.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    char document[MAX_PATH];
    baseline::DocumentFromCommandLine(commandLine, document, sizeof document);
    if (!baseline::ShowBaselineWindow(instance, showCommand)) return 1;
    if (!baseline::OpenDocument(document)) return 2;
    return baseline::RunMessageLoop();
}
