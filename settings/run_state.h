// The run: where the program runs from, the target and options settled from
// the settings and the command line, and what the run decided. One record for
// the process, filled at start-up; the popup's own state is in the popup.
#pragma once
#include <cstdint>

#include "base/owned.h"

// Paths are UTF-8: a path of the system's 260 characters takes up to three
// bytes a character.
enum { kRunPathRoom = 3 * 260 };

struct RunState {
    char programFolder[kRunPathRoom] = "";  // set by SetStartupPaths; then always ends in a backslash
    bool programFolderKnown = false;            // true only when taken from the module path
    char driveRoot[kRunPathRoom] = "";          // "D:\" or "\" for a UNC path; empty when unknown
    char settingsPath[kRunPathRoom] = "";       // empty when the folder leaves no room for the name

    const char* target = nullptr;            // none, Filename, or a piece of the command line
    bool targetGiven = false;                // false: "No parameter given" (or not settled yet)
    bool nomsgOption = false, maxOption = false, minOption = false;
    const char* textAfterOptions = nullptr;  // the message after the options, or null
    HeapText statusText;                     // "Starting ..." as settled at start-up, or null

    int32_t exitCode = 0;         // 0, or the failed main start's code
    bool doNotShowAgain = false;  // the check box's state, written back at the end
};

extern RunState run;

// Derives programFolder, programFolderKnown, driveRoot and settingsPath from
// the module path (null or empty when none was obtained). The record starts
// zero-filled, so that it takes no room in the program file.
void SetStartupPaths(const char* modulePath);

// The do-not-show-again decision: whether the popup is to be shown, given
// whether the stored value could be read, its value and the sampled Ctrl state.
// Updates doNotShowAgain as start-up does.
bool DecideShowPopup(bool valueRead, uint32_t storedValue, bool ctrlHeld);
