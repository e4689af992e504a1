// Whether the popup is shown at all: the do-not-show-again memory's say,
// with Ctrl held at start as the way to see it all the same. Platform-free.
#pragma once
#include <cstdint>

struct ShowDecision {
    bool show;
    bool doNotShowAgain;  // the check box's state to start with
};

// `valueRead`: a stored choice was found; `storedValue` is it; `ctrlHeld`:
// the Ctrl key was down when the program started.
ShowDecision DecideShowPopup(bool valueRead, uint32_t storedValue, bool ctrlHeld);
