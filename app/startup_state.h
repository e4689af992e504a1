// Process-wide start-up state. Platform-free parts only; the instance handle
// lives in app/platform_state.h.
#pragma once
#include <cstddef>
#include <cstdint>

extern char programFolder[260];   // always ends in a backslash, or ".\"
extern bool programFolderKnown;   // true only when taken from the module path
extern char driveRoot[260];       // "D:\" or "\" for a UNC path; empty when unknown
extern char settingsPath[260];
extern bool utf8Mode;
extern int32_t exitCode;
extern bool doNotRepeatActive;
extern bool doNotShowAgain;

// Derives programFolder, programFolderKnown, driveRoot and settingsPath from
// the module path (null or empty when none was obtained).
void SetStartupPaths(const char* modulePath);

// True when the first bytes read are exactly EF BB BF.
bool StartsWithUtf8Bom(const unsigned char* bytes, size_t count);

// The do-not-show-again decision: whether the popup is to be shown, given
// whether the stored value could be read, its value and the sampled Ctrl state.
// Updates doNotShowAgain as start-up does.
bool DecideShowPopup(bool valueRead, uint32_t storedValue, bool ctrlHeld);
