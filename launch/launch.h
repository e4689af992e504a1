// Starting things: verb targets, the main target, menu entries, install
// commands and the viewer walk.
#pragma once
#include <windows.h>

struct Condition;

// Install command run by the Install button.
extern char installProgram[1024];
extern char installParameters[1024];
extern char installMessage[1024];
extern bool installWaitAndRetry;  // initially true
extern bool startInProgress;

// -1: not a verb target; -2: lookup failed (last error tells why); otherwise
// the ShellExecuteA result.
INT_PTR OpenClassVerb(HWND popup, char* targetText);

bool StartTarget(HWND popup);
bool StartMenuEntry(HWND popup, char* targetText, const char* parameters, const char* specialProgram,
                    const char* specialTemplate, const Condition& condition);
bool RunCommand(HWND popup, const char* message, const char* program, const char* parameters, bool waitAndRetry);
// Fills the install command: parameters are the template with "%1" expanded to
// `placeholderValue`; an empty message gives "Starting " + program.
void SetInstallCommand(const char* program, const char* parameterTemplate, const char* placeholderValue,
                       const char* message, bool waitAndRetry);

// New heap text of 1024 characters: "%f" -> target as written, "%F" -> full path.
char* BuildSpecialParameters(const char* templ, const char* targetText);

// Position packed as in mouse messages (x low 16 bits, y high), both unsigned.
bool IsOnInfoLine(LPARAM position);

struct ViewerWalkResult {
    bool failed = false;
    bool stopTimer = false;
};
ViewerWalkResult RunViewerWalk(HWND popup);
