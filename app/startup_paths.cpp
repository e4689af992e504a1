#include <cstring>

#include "app/startup_state.h"

char programFolder[260] = ".\\";
bool programFolderKnown = false;
char driveRoot[260] = "";
char settingsPath[260] = "";
bool utf8Mode = false;
int32_t exitCode = 0;
bool doNotRepeatActive = false;
bool doNotShowAgain = false;

namespace {
const char kSettingsName[] = "Corva.INF";

void CopyCut(char* dest, size_t cap, const char* src, size_t n) {
    if (n > cap - 1) n = cap - 1;
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}
}  // namespace

void SetStartupPaths(const char* modulePath) {
    std::strcpy(programFolder, ".\\");
    programFolderKnown = false;
    driveRoot[0] = '\0';
    const char* firstSlash = modulePath ? std::strchr(modulePath, '\\') : nullptr;
    if (firstSlash) {
        const char* lastSlash = std::strrchr(modulePath, '\\');
        CopyCut(driveRoot, sizeof driveRoot, modulePath, static_cast<size_t>(firstSlash - modulePath) + 1);
        CopyCut(programFolder, sizeof programFolder, modulePath, static_cast<size_t>(lastSlash - modulePath) + 1);
        programFolderKnown = true;
    }
    // A folder so long that the settings name no longer fits would name
    // another file; then no settings file is read at all.
    size_t folderLength = std::strlen(programFolder);
    if (folderLength + sizeof kSettingsName <= sizeof settingsPath) {
        std::memcpy(settingsPath, programFolder, folderLength);
        std::memcpy(settingsPath + folderLength, kSettingsName, sizeof kSettingsName);
    } else {
        settingsPath[0] = '\0';
    }
}

bool StartsWithUtf8Bom(const unsigned char* bytes, size_t count) {
    return count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

bool DecideShowPopup(bool valueRead, uint32_t storedValue, bool ctrlHeld) {
    if (!valueRead) return true;
    doNotShowAgain = storedValue != 0;
    return !(doNotShowAgain && !ctrlHeld);
}
