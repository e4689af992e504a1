// Starting things: the main target, menu entries, verb targets, programs run
// for a missing viewer and installers, and the viewer check. Every start ends
// in one StartOutcome; what a failure means for the user is the popup's to
// tell (popup/tell_win.cpp).
#pragma once
#include <windows.h>

#include "base/owned.h"
#include "launch/placeholders.h"

struct Condition;

// The install command the Install button runs, and the guard of a start.
struct LaunchState {
    char installProgram[kCommandCap];
    char installParameters[kCommandCap];
    char installMessage[kCommandCap];
    bool installWaitAndRetry;
    bool startInProgress;
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

// What one start gave.
struct StartOutcome {
    enum Kind : unsigned char {
        NotTried,        // nothing to start (no target, or no memory for it)
        Skipped,         // its condition does not hold, which counts as done
        Started,
        Ended,           // a program waited for has ended
        QuitTaken,       // a program waited for, but the program's end was asked for meanwhile
        Failed,
    };
    Kind kind = NotTried;
    // The shell's code when it was asked (above 32 success, 1 to 32 its
    // error); -2 when a verb target's class command could not be found; 0
    // when the shell was not asked (a viewer too old, a name too long).
    INT_PTR code = 0;
    DWORD error = 0;  // the system's error: why it failed
    bool viewerTooOld = false;
    bool Succeeded() const { return kind == Started || kind == Ended || kind == QuitTaken; }
};

// A verb target "~class[~verb[~operand]]": runs the class's command.
StartOutcome OpenClassVerb(HWND owner, const char* target);

// The main target with its condition, viewer version and special program.
StartOutcome StartMainTarget(HWND owner);
// The target started once more after an installer ended.
StartOutcome StartTargetAgain(HWND owner);

StartOutcome StartMenuEntry(HWND owner, const char* target, const char* parameters, const char* specialProgram,
                            const char* specialTemplate, const Condition& condition);

// The shell's start of a file, program or address (UTF-8 texts; null ones
// are left out). A name longer than the shell takes is refused before it is
// asked: Failed with ERROR_FILENAME_EXCED_RANGE.
StartOutcome ShellOpen(HWND owner, const char* file, const char* parameters, const char* folder, int show);

// Starts a program; with `wait`, keeps the caller's windows served until it
// ends (Ended), or until the program's end is asked for (QuitTaken).
StartOutcome RunProgram(HWND owner, const char* program, const char* parameters, bool wait);

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
