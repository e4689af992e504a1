// Starting the main target and the menu entries: verb targets, the
// viewer-version test, the condition, special parameters and the shell start
// itself. What a failure means for the user is the popup's to tell.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/owned_win.h"
#include "base/text.h"
#include "conditions/condition.h"
#include "launch/shell_start.h"
#include "run/run_state.h"
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

// The shell start of the main target, with the -max and -min options.
StartOutcome ShellStart(HWND owner, const char* file, const char* parameters) {
    HANDLE handle;
    StartOutcome outcome = ShellStartProcess(
        owner, file, parameters, run.maxOption ? SW_SHOWMAXIMIZED : run.minOption ? SW_SHOWMINIMIZED : SW_SHOWNORMAL,
        &handle);
    const KernelHandle process(handle);
    if (outcome.kind == StartOutcome::Started && run.maxOption && process.Valid()) WaitForInputIdle(process, 5000);
    return outcome;
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

// The program the shell opens `target` with, when one is needed; "" when none.
void AssociatedProgram(const char* target, bool needed, char (&found)[kProgramRoom]) {
    found[0] = '\0';
    if (needed) FindAssociatedProgram(target, found);
}

}  // namespace

StartOutcome StartMainTarget(HWND owner) {
    // A popup without a target (no Filename, no command line) has nothing to
    // start, even when the main entry's button is pressed.
    const char* target = run.target;
    if (!target) return StartOutcome();
    if (IsVerbTarget(target)) return OpenClassVerb(owner, target);

    StartOutcome outcome;
    const bool hasSpecialProgram = settings.specialProgram && settings.specialProgram[0];
    char found[kProgramRoom];
    AssociatedProgram(target, settings.NoViewerVersion.set || hasSpecialProgram, found);
    if (settings.NoViewerVersion.set && found[0] && IsViewerTooOld(settings.NoViewerVersion, found)) {
        outcome.kind = StartOutcome::Failed;
        outcome.viewerTooOld = true;
        outcome.error = GetLastError();
        return outcome;
    }
    if (!EvaluateCondition(settings.FilenameCondition, target, run.settingsEncoding)) {
        outcome.kind = StartOutcome::Skipped;
        return outcome;
    }
    const char* file;
    const char* parameters = settings.Param[0] ? settings.Param : nullptr;
    HeapText special;
    ChooseSpecialProgram(target, found, settings.specialProgram, settings.specialParameters, &file, &parameters,
                         special);
    outcome = ShellStart(owner, file, parameters);
    if (outcome.kind == StartOutcome::Started && run.maxOption) MaximiseForegroundWindow(owner);
    return outcome;
}

StartOutcome StartTargetAgain(HWND owner) {
    const char* target = run.target;
    if (!target) return StartOutcome();
    if (IsVerbTarget(target)) return OpenClassVerb(owner, target);
    return ShellOpen(owner, target, nullptr, nullptr, run.maxOption ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
}

// A menu entry's failure is not shown; only the outcome tells.
StartOutcome StartMenuEntry(HWND owner, const char* target, const char* parameters, const char* specialProgram,
                            const char* specialTemplate, const Condition& condition) {
    if (!target) return StartOutcome();
    if (!EvaluateCondition(condition, target, run.settingsEncoding)) {
        StartOutcome skipped;
        skipped.kind = StartOutcome::Skipped;
        return skipped;
    }
    if (IsVerbTarget(target)) return OpenClassVerb(owner, target);
    char found[kProgramRoom];
    AssociatedProgram(target, specialProgram && specialProgram[0], found);
    const char* file;
    HeapText special;
    ChooseSpecialProgram(target, found, specialProgram, specialTemplate, &file, &parameters, special);
    if (parameters && !parameters[0]) parameters = nullptr;
    return ShellOpen(owner, file, parameters, nullptr, SW_SHOWNORMAL);
}
