// Program entry: find the program folder and the settings file, read the
// settings once, honour the do-not-show-again memory, run the popup, shut
// down in order and return the exit code.
#include <windows.h>

#include "app/donotshow.h"
#include "app/ini_reader.h"
#include "app/platform_state.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/startup_state.h"
#include "popup/popup.h"

namespace {

struct PopupArgs {
    HINSTANCE previous;
    char* commandLine;
    int showCommand;
};

void RunPopupThunk(void* context) {
    PopupArgs* args = static_cast<PopupArgs*>(context);
    RunPopup(args->previous, args->commandLine, args->showCommand);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    RestrictDllSearch();

    instanceHandle = instance;
    ResetSettings(settings);
    driveRoot[0] = '\0';

    char modulePath[260];
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    // A path cut at the buffer's end would name the wrong folder.
    bool havePath = length > 0 && length < sizeof modulePath;
    SetStartupPaths(havePath ? modulePath : nullptr);

    IniFile ini;
    LoadSettingsFile(settingsPath, ini);
    utf8Mode = ini.HasBom();
    int missing = ReadSettings(ini, settings, GetSysColor(COLOR_WINDOW));
    if (missing) ReportMissingViewerMsg(missing, settings.Title);

    PopupArgs args = {previous, commandLine, showCommand};
    RunWithDoNotShowMemory(RunPopupThunk, &args);

    ReleasePopupObjects();
    ReleaseSettingsTexts(settings);
    return exitCode;
}
