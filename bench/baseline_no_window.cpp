// A launcher with no window at all: opens the document through the shell and
// exits. Shows what the window of a popup launcher costs.
#include <windows.h>

#include "baseline_window.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int) {
    char document[MAX_PATH];
    baseline::DocumentFromCommandLine(commandLine, document, sizeof document);
    return baseline::OpenDocument(document) ? 0 : 2;
}
