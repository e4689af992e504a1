// Program entry: find the program folder and the settings file, read the
// settings once, honour the do-not-show-again memory, run the popup, shut
// down in order and return the exit code.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/donotshow.h"
#include "app/ini_reader.h"
#include "app/platform_state.h"
#include "app/settings.h"
#include "app/settings_file.h"
#include "app/startup_marks.h"
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

// The C runtime's own cut of the command line takes bytes from 0x80 up for
// control characters and leading blanks for the end of the program name, so
// an accented folder or document name, or a launcher that puts blanks first,
// would hand over a wrong target. The cut is made here from the whole line,
// on a copy that lives as long as the target and texts that point into it.
// In UTF-8 mode the copy is the line's UTF-8 form, so that the target and
// message join the settings' texts in one encoding.
char* ProgramArguments(char* runtimeArguments) {
    const char* whole = GetCommandLineA();
    if (!whole) return runtimeArguments;
    if (char* utf8 = Utf8FromAnsi(whole)) return ArgumentsAfterProgramName(utf8);
    size_t length = std::strlen(whole);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (!copy) return runtimeArguments;
    std::memcpy(copy, whole, length + 1);
    return ArgumentsAfterProgramName(copy);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR commandLine, int showCommand) {
    RestrictDllSearch();
    STARTUP_MARK("DLL search restricted");

    // The settings model is at its defaults already (its constructor), and
    // ReadSettings resets it again before it reads.
    instanceHandle = instance;
    driveRoot[0] = '\0';

    char modulePath[260];
    DWORD length = GetModuleFileNameA(nullptr, modulePath, sizeof modulePath);
    // A path cut at the buffer's end would name the wrong folder.
    bool havePath = length > 0 && length < sizeof modulePath;
    SetStartupPaths(havePath ? modulePath : nullptr);

    IniFile ini;
    LoadSettingsFile(settingsPath, ini);
    STARTUP_MARK("settings file read");
    utf8Mode = ini.HasBom();
    int missing = ReadSettings(ini, settings, GetSysColor(COLOR_WINDOW));
    if (missing) ReportMissingViewerMsg(missing, settings.Title);
    STARTUP_MARK("settings parsed");

    PopupArgs args = {previous, ProgramArguments(commandLine), showCommand};
    RunWithDoNotShowMemory(RunPopupThunk, &args);

    ReleasePopupObjects();
    ReleaseSettingsTexts(settings);
    return exitCode;
}
