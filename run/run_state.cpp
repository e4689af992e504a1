#include "run/run_state.h"

#include <cstring>

#include "base/text.h"

RunState run;

namespace {
const char kSettingsName[] = "Corva.INF";
}  // namespace

void SetStartupPaths(const char* modulePath) {
    std::strcpy(run.programFolder, ".\\");
    run.programFolderKnown = false;
    run.driveRoot[0] = '\0';
    const char* firstSlash = modulePath ? std::strchr(modulePath, '\\') : nullptr;
    if (firstSlash) {
        const char* lastSlash = std::strrchr(modulePath, '\\');
        CopyBounded(run.driveRoot, sizeof run.driveRoot, modulePath, static_cast<size_t>(firstSlash - modulePath) + 1);
        CopyBounded(run.programFolder, sizeof run.programFolder, modulePath,
                    static_cast<size_t>(lastSlash - modulePath) + 1);
        run.programFolderKnown = true;
    }
    // A folder so long that the settings name no longer fits would name
    // another file; then no settings file is read at all.
    const size_t folderLength = std::strlen(run.programFolder);
    if (folderLength + sizeof kSettingsName <= sizeof run.settingsPath) {
        std::memcpy(run.settingsPath, run.programFolder, folderLength);
        std::memcpy(run.settingsPath + folderLength, kSettingsName, sizeof kSettingsName);
    } else {
        run.settingsPath[0] = '\0';
    }
}
