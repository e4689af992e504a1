// The run: where the program runs from, the settings file it read, and the
// target and options settled from the settings and the command line. One
// record for the process, filled at start-up and afterwards only read; what
// the popup decides comes back from it (popup/popup.h).
#pragma once
#include <cstdint>

#include "base/owned.h"
#include "base/utf.h"

// Paths are UTF-8: a path of the system's 260 characters takes up to three
// bytes a character.
enum { kRunPathRoom = 3 * 260 };

struct RunState {
    char programFolder[kRunPathRoom] = "";  // set by SetStartupPaths; then always ends in a backslash
    bool programFolderKnown = false;            // true only when taken from the module path
    char driveRoot[kRunPathRoom] = "";          // "D:\" or "\" for a UNC path; empty when unknown
    char settingsPath[kRunPathRoom] = "";       // empty when the folder leaves no room for the name
    TextEncoding settingsEncoding = TextEncoding::Ansi;  // how Corva.INF was saved

    const char* target = nullptr;            // none, Filename, or a piece of the command line
    bool targetGiven = false;                // false: "No parameter given" (or not settled yet)
    bool nomsgOption = false, maxOption = false, minOption = false;
    const char* textAfterOptions = nullptr;  // the message after the options, or null
    HeapText statusText;                     // "Starting ..." as settled at start-up, or null
};

extern RunState run;

// Derives programFolder, programFolderKnown, driveRoot and settingsPath from
// the module path (null or empty when none was obtained). The record starts
// zero-filled, so that it takes no room in the program file.
void SetStartupPaths(const char* modulePath);
