// Starting the main target: verb targets, the viewer-version test, the
// condition, special parameters and the shell start itself. What a failure
// means for the user is the popup's to tell.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/owned_win.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "conditions/condition.h"
#include "launch/launch.h"
#include "settings/run_state.h"
#include "settings/settings.h"

LaunchState launch;

// Shared with the viewer check: the Install button's command, with the
// message "Starting <program>" when none is configured.
void SetInstallCommand(const char* program, const char* parameterTemplate, const char* placeholderValue,
                       const char* message, bool waitAndRetry) {
    CopyBounded(launch.installProgram, sizeof launch.installProgram, program);
    ExpandPlaceholder(launch.installParameters, sizeof launch.installParameters, parameterTemplate, "%1",
                      placeholderValue);
    if (message && message[0]) {
        CopyBounded(launch.installMessage, sizeof launch.installMessage, message);
    } else {
        CopyBounded(launch.installMessage, sizeof launch.installMessage, "Starting ");
        AppendBounded(launch.installMessage, sizeof launch.installMessage, program);
    }
    launch.installWaitAndRetry = waitAndRetry;
}

namespace {

// The shell start of a document or program, with the -max and -min options.
StartResult ShellStart(HWND owner, const char* file, const char* parameters) {
    SHELLEXECUTEINFOW info;
    ShellStartProcess(owner, file, parameters,
                      run.maxOption ? SW_SHOWMAXIMIZED : run.minOption ? SW_SHOWMINIMIZED : SW_SHOWNORMAL, &info);
    StartResult result;
    result.error = GetLastError();
    result.code = (INT_PTR)info.hInstApp;
    const KernelHandle process(info.hProcess);
    if (result.Started() && run.maxOption && process.Valid()) WaitForInputIdle(process, 5000);
    return result;
}

// -max asks for the started program's window maximised; a program that
// ignores its show command gets it maximised once it is in front.
void MaximiseForegroundWindow(HWND owner) {
    Sleep(500);
    HWND foreground = GetForegroundWindow();
    if (!foreground || foreground == owner) return;
    WINDOWPLACEMENT placement;
    std::memset(&placement, 0, sizeof placement);
    placement.length = sizeof placement;
    if (!GetWindowPlacement(foreground, &placement) || placement.showCmd != SW_SHOWMAXIMIZED)
        ShowWindow(foreground, SW_SHOWMAXIMIZED);
}

}  // namespace

MainStart StartMainTarget(HWND owner) {
    MainStart start;
    // A popup without a target (no Filename, no command line) has nothing to
    // start, even when the main entry's button is pressed.
    const char* target = run.target;
    if (!target) return start;
    start.shownTarget = CopyToHeap(target);
    if (target[0] == '~') {
        // The lookup cuts the text in place; the copy keeps the target whole
        // for a later start, while the failure names the shortened form.
        if (!start.shownTarget) return start;
        start.result = OpenClassVerb(owner, start.shownTarget);
        start.outcome = start.result.Started() ? MainStart::Started : MainStart::Failed;
        return start;
    }

    const bool hasSpecialProgram = settings.specialProgram && settings.specialProgram[0];
    char found[kProgramRoom] = "";
    bool programFound = false;
    if (settings.NoViewerVersion.set || hasSpecialProgram)
        programFound = FindAssociatedProgram(target, found) > 32 && found[0];

    if (settings.NoViewerVersion.set && programFound && IsViewerTooOld(settings.NoViewerVersion, found)) {
        start.outcome = MainStart::Failed;
        start.viewerTooOld = true;
        start.result.error = GetLastError();
        return start;
    }
    if (!EvaluateCondition(settings.FilenameCondition, target)) {
        start.outcome = MainStart::Skipped;
        return start;
    }

    const char* file = target;
    const char* parameters = settings.Param[0] ? settings.Param : nullptr;
    HeapText special;
    if (hasSpecialProgram && programFound && EqualNoCase(FileNamePart(found), settings.specialProgram)) {
        special = BuildSpecialParameters(settings.specialParameters, target);
        if (special) {
            parameters = special;
            file = found;
        }
    }
    start.result = ShellStart(owner, file, parameters);
    start.outcome = start.result.Started() ? MainStart::Started : MainStart::Failed;
    if (start.result.Started() && run.maxOption) MaximiseForegroundWindow(owner);
    return start;
}
