// The popup: what start-up asks of it, and what it hands back. Everything
// else in popup/ is the popup's own.
#pragma once
#include <windows.h>

#include <cstdint>

struct PopupRequest {
    HINSTANCE instance;
    bool registerClasses;  // false when an earlier instance registered them
    int showCommand;
    const char* statusText;     // the text to show first; null shows `settledStatus`
    const char* settledStatus;  // "Starting ..." as settled at start-up, or null
    bool hidden;                // "nomsg": stay hidden unless something is to be told
    bool doNotShowAgain;        // the check box's state as remembered
};

// What the run decided while the popup stood.
struct PopupOutcome {
    int32_t exitCode;  // 0, or the failed main start's code
    bool doNotShowAgain;
};

// Builds and runs the popup for the settled target; returns when its message
// loop ends.
PopupOutcome RunPopup(const PopupRequest& request);

// Releases the graphics objects the popup left for shutdown.
void ReleasePopupObjects();
