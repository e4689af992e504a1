// Starting things: verb targets, the main target, menu entries, programs
// waited for, and the viewer check. These only start and report what
// happened; the popup tells the user (popup/tell_win.cpp).
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "base/owned.h"
#include "launch/placeholders.h"

struct Condition;

// The install command the Install button runs, and the guard of a start.
struct LaunchState {
    char installProgram[kCommandCap];
    char installParameters[kCommandCap];
    char installMessage[kCommandCap];
    bool installWaitAndRetry = true;
    bool startInProgress = false;
};
extern LaunchState launch;

// Marks a start in progress for a scope (a close request then only beeps)
// and puts back what it was, so that a start nested in another's wait cannot
// end the outer one's protection.
class StartGuard {
public:
    StartGuard() : before_(launch.startInProgress) { launch.startInProgress = true; }
    ~StartGuard() { launch.startInProgress = before_; }
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;

private:
    bool before_;
};

// What one start through the shell gave: the shell's code (above 32 is
// success, 32 or less its error code, 0 when there is none) and the thread's
// last error, which carries the cause.
struct StartResult {
    INT_PTR code = 0;
    DWORD error = 0;
    bool Started() const { return code > 32; }
};

// A verb target "~class[~verb[~operand]]": runs the class's command. Code -1:
// not a verb target; -2: the lookup failed (`error` tells why).
StartResult OpenClassVerb(HWND owner, char* targetText);

// The main target's start. NotTried: there is no target (or no memory for
// it); Skipped: its condition does not hold, which counts as done; Failed:
// the shell refused it, or its viewer is below NoViewerVersion.
struct MainStart {
    enum Outcome { NotTried, Skipped, Started, Failed } outcome = NotTried;
    StartResult result;
    bool viewerTooOld = false;
    HeapText shownTarget;  // the target as a failure names it (a verb target's shortened form)
};
MainStart StartMainTarget(HWND owner);
// The target started once more after an installer ended.
bool StartTargetAgain(HWND owner);

bool StartMenuEntry(HWND owner, char* targetText, const char* parameters, const char* specialProgram,
                    const char* specialTemplate, const Condition& condition);

// The shell's start of a file or program (UTF-8 texts; null ones are left
// out); its code: above 32 is success.
INT_PTR ShellOpen(HWND owner, const char* file, const char* parameters, const char* folder, int show);
// The same start handing back the started process in `info->hProcess`, which
// the caller owns; the thread's last error tells why nothing started.
BOOL ShellStartProcess(HWND owner, const char* file, const char* parameters, int show, SHELLEXECUTEINFOW* info);

// Starts a program; with `wait`, keeps the caller's windows served until it
// ends. `Ended` only after a program that was waited for.
enum class ProgramRun { NotWaited, Ended, QuitTaken, StartFailed };
ProgramRun RunProgram(HWND owner, const char* program, const char* parameters, bool wait);

// Fills the install command: parameters are the template with "%1" expanded to
// `placeholderValue`; an empty message gives "Starting " + program.
void SetInstallCommand(const char* program, const char* parameterTemplate, const char* placeholderValue,
                       const char* message, bool waitAndRetry);

// New heap text of 1024 characters: "%f" -> target as written, "%F" -> full path.
HeapText BuildSpecialParameters(const char* templ, const char* targetText);

// The first viewer rule whose sample has no (recent enough) viewer: its
// command is run at once and its installer offered; what to tell comes back.
struct ViewerCheck {
    bool failed = false;
    bool stopTimer = false;
    bool offerInstall = false;
    const char* installCaption = nullptr;
    HeapText text;  // the rule's message or the lookup failure; null when memory ran out
};
ViewerCheck CheckViewers(HWND owner);
