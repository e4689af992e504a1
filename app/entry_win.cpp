// Program entry: find the program folder and the settings file, read the
// settings once, honour the do-not-show-again memory, settle the target, run
// the popup, shut down in order and return the exit code.
#include <windows.h>

#include "app/donotshow.h"
#include "app/show_decision.h"
#include "app/target_select.h"
#include "base/format.h"
#include "base/kernel_function.h"
#include "base/startup_marks.h"
#include "base/wide_text.h"
#include "popup/popup.h"
#include "run/cmdline.h"
#include "run/run_state.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/user_languages.h"

namespace {

// No DLL placed beside the program on the medium may ever be loaded.
void RestrictDllSearch() {
    typedef BOOL(WINAPI * SetDefaultDirs)(DWORD);
    typedef BOOL(WINAPI * SetDllDir)(LPCSTR);
    const SetDefaultDirs setDefault = reinterpret_cast<SetDefaultDirs>(KernelFunction("SetDefaultDllDirectories"));
    if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
    const SetDllDir setDir = reinterpret_cast<SetDllDir>(KernelFunction("SetDllDirectoryA"));
    if (setDir) setDir("");
}

// The command line as the shell wrote it, in any script: the UTF-8 form of
// the whole wide line, cut here (the C runtime's cut takes bytes from 0x80 up
// for control characters, and leading blanks for the end of the program
// name). The copy lives as long as the run: the target and texts point into it.
char* ProgramArguments(HeapText& copy) {
    copy = Utf8FromWide(GetCommandLineW());
    return copy ? ArgumentsAfterProgramName(copy) : nullptr;
}

// Corva.INF beside the program, read once into the settings model, with the
// language section of the user's display languages over [Info].
void ReadSettingsFile() {
    LanguageTag languages[kMaxUserLanguages];
    char tags[kUserLanguagesRoom];
    const size_t languageCount = UserDisplayLanguages(languages, kMaxUserLanguages, tags, sizeof tags);
    IniFile ini;
    LoadSettingsFile(run.settingsPath, ini, &run.settingsEncoding, languages, languageCount);
    STARTUP_MARK("settings file read");
    ReadSettings(ini, settings, GetSysColor(COLOR_WINDOW));
    if (settings.viewerMsgMissing) {
        char text[64];
        FormatText(text, sizeof text, "ViewerMsg%d parameter not given", settings.viewerMsgMissing);
        MessageBoxW(nullptr, WideArg(text), WideArg(settings.Title), MB_OK);
    }
    STARTUP_MARK("settings parsed");
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR, int showCommand) {
    RestrictDllSearch();
    STARTUP_MARK("DLL search restricted");

    wchar_t modulePath[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, modulePath, MAX_PATH);
    // A path cut at the buffer's end would name the wrong folder.
    const HeapText path = length > 0 && length < MAX_PATH ? Utf8FromWide(modulePath) : HeapText();
    SetStartupPaths(path);
    // The settings model is at its defaults already (its constructor), and
    // ReadSettings resets it again before it reads.
    ReadSettingsFile();

    DoNotShowMemory memory;
    if (settings.doNotRepeatActive) ReadDoNotShowMemory(memory, settings.DoNotRepeatId, run.settingsEncoding);
    const ShowDecision decision = DecideShowPopup(memory.read, memory.stored, GetKeyState(VK_CONTROL) < 0);

    PopupOutcome outcome = {0, decision.doNotShowAgain};
    if (decision.show) {
        HeapText arguments;
        const char* statusText = SettleTarget(ProgramArguments(arguments));
        const PopupRequest request = {instance,     previous == nullptr, showCommand, statusText, run.statusText,
                                      run.nomsgOption, decision.doNotShowAgain};
        outcome = RunPopup(request);
    }
    if (memory.key.Valid()) WriteDoNotShowValue(memory.key, settings.DoNotRepeatId, outcome.doNotShowAgain);

    ReleasePopupObjects();
    ReleaseSettingsTexts(settings);
    return outcome.exitCode;
}
