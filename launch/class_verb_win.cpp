// Verb targets: run a file class's registered command for a verb.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/format.h"
#include "base/owned_win.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "launch/launch.h"
#include "launch/placeholders.h"
#include "run/run_state.h"

namespace {

// Copies a wide text as UTF-8; false when it does not fit.
bool CopyUtf8(char* out, size_t cap, const wchar_t* text, int length = -1) {
    const HeapText utf8 = Utf8FromWide(text, length);
    return utf8 && CopyBounded(out, cap, utf8);
}

// Reads the default value of HKEY_CLASSES_ROOT\<keyPath> as a terminated
// string. Only string values count: anything else is not a command line.
// `expandable` (when given) tells a REG_EXPAND_SZ value.
bool ReadClassesDefault(const char* keyPath, char* out, DWORD cap, bool* expandable = nullptr) {
    out[0] = '\0';
    RegKey key;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, WideArg(keyPath), 0, KEY_READ, key.Receive()) != ERROR_SUCCESS) return false;
    wchar_t value[kCommandCap];
    DWORD type = 0;
    DWORD size = sizeof value - sizeof value[0];  // keep room for a terminator the value may lack
    const LONG rc = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    value[size / sizeof value[0]] = L'\0';
    if (!CopyUtf8(out, cap, value)) {
        out[0] = '\0';
        return false;
    }
    if (expandable) *expandable = type == REG_EXPAND_SZ;
    return true;
}

// One level of current-version redirection, in place; its absence is normal.
void FollowCurVer(char (&className)[kCommandCap]) {
    char keyPath[kCommandCap];
    if (FormatText(keyPath, sizeof keyPath, "%s\\CurVer", className) >= sizeof keyPath) return;
    char redirected[kCommandCap];
    if (ReadClassesDefault(keyPath, redirected, sizeof redirected) && redirected[0])
        std::memcpy(className, redirected, sizeof className);
}

bool ReadVerbCommand(const char* className, const char* verb, char (&command)[kCommandCap], bool* expandable) {
    char keyPath[kCommandCap];
    if (FormatText(keyPath, sizeof keyPath, "%s\\Shell\\%s\\command", className, verb) >= sizeof keyPath) return false;
    return ReadClassesDefault(keyPath, command, sizeof command, expandable);
}

long EnvironmentValue(const char* name, char* value, size_t cap) {
    wchar_t wide[kCommandCap];
    SetLastError(0);
    const DWORD n = GetEnvironmentVariableW(WideArg(name), wide, kCommandCap);
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return -1;
    if (n >= kCommandCap || !CopyUtf8(value, cap, wide, (int)n)) return static_cast<long>(cap);  // did not fit
    return static_cast<long>(std::strlen(value));
}

// The verb's command of a class, or of the class an extension names (.txt
// names txtfile), followed once with its own redirection; an expandable
// command has its variables expanded. 0, or why there is none. Only an
// extension's default value names a class: a class's own default value is
// its display name ("Text Document").
DWORD ReadClassCommand(const char* cls, const char* verb, char (&command)[kCommandCap]) {
    char className[kCommandCap];
    bool expandable = false;
    // A class name that does not fit cannot name a registered class.
    if (!CopyBounded(className, sizeof className, cls)) return ERROR_NO_ASSOCIATION;
    FollowCurVer(className);
    if (!ReadVerbCommand(className, verb, command, &expandable)) {
        if (cls[0] != '.') return ERROR_NO_ASSOCIATION;
        char named[kCommandCap];
        if (!ReadClassesDefault(className, named, sizeof named) || !named[0]) return ERROR_NO_ASSOCIATION;
        std::memcpy(className, named, sizeof className);
        FollowCurVer(className);
        if (!ReadVerbCommand(className, verb, command, &expandable)) return ERROR_NO_ASSOCIATION;
    }
    if (expandable) {
        char expanded[kCommandCap];
        if (!ExpandVariables(expanded, sizeof expanded, command, EnvironmentValue)) return ERROR_INSUFFICIENT_BUFFER;
        std::memcpy(command, expanded, sizeof command);
    }
    return 0;
}

// Puts the Windows folder and the operand into the command; `fullPath` gets
// the operand's full path in its long form. 0, or why it could not be done:
// a command line that would outgrow its buffer is refused rather than started
// with a placeholder left in it or its parameters cut off.
DWORD PutOperand(char (&command)[kCommandCap], const char* operand, char (&fullPath)[kCommandCap]) {
    wchar_t wideWindows[MAX_PATH];
    const UINT w = GetWindowsDirectoryW(wideWindows, MAX_PATH);
    if (w == 0) return GetLastError();
    char windowsFolder[kCommandCap];
    if (w >= MAX_PATH || !CopyUtf8(windowsFolder, sizeof windowsFolder, wideWindows)) return ERROR_INSUFFICIENT_BUFFER;
    if (!ReplaceNoCase(command, sizeof command, "%SystemRoot%", windowsFolder)) return ERROR_INSUFFICIENT_BUFFER;
    // A verb target passes one operand: the placeholders of all and of further
    // operands stand for nothing. Removed before "%1" is put in, so that an
    // operand holding such text is passed as written.
    static const char kFurtherOperands[][3] = {"%*", "%2", "%3", "%4", "%5", "%6", "%7", "%8", "%9"};
    for (const char* placeholder : kFurtherOperands) ReplaceNoCase(command, sizeof command, placeholder, "");
    if (!ReplaceNoCase(command, sizeof command, "%1", operand)) return ERROR_INSUFFICIENT_BUFFER;

    wchar_t wideFull[MAX_PATH], wideLong[MAX_PATH];
    const DWORD f = GetFullPathNameW(WideArg(operand), MAX_PATH, wideFull, nullptr);
    if (f == 0) return GetLastError();
    if (f >= MAX_PATH) return ERROR_FILENAME_EXCED_RANGE;
    const DWORD l = GetLongPathNameW(wideFull, wideLong, MAX_PATH);
    if (!CopyUtf8(fullPath, sizeof fullPath, l > 0 && l < MAX_PATH ? wideLong : wideFull))
        return ERROR_FILENAME_EXCED_RANGE;
    if (!ReplaceNoCase(command, sizeof command, "%L", fullPath)) return ERROR_INSUFFICIENT_BUFFER;
    return 0;
}

}  // namespace

StartOutcome OpenClassVerb(HWND owner, const char* target) {
    // The lookup cuts its text in place: the target stays whole for a later start.
    StartOutcome outcome;
    const HeapText copy = CopyToHeap(target);
    const char* cls = nullptr;
    const char* verb = nullptr;
    const char* operandText = nullptr;
    if (!copy || !SplitVerbTarget(copy, &cls, &verb, &operandText)) return outcome;
    outcome.kind = StartOutcome::Failed;
    outcome.code = -2;
    const char* operand = operandText ? operandText : run.programFolder;
    char command[kCommandCap];
    char fullPath[kCommandCap];
    if ((outcome.error = ReadClassCommand(cls, verb, command)) != 0) return outcome;
    if ((outcome.error = PutOperand(command, operand, fullPath)) != 0) return outcome;
    const char* program = nullptr;
    const char* parameters = nullptr;
    if (!SplitCommandLine(command, &program, &parameters)) {
        outcome.error = ERROR_INVALID_PARAMETER;
        return outcome;
    }

    // The operand is the working folder as written, so the default operand
    // gives the program folder. A document operand cannot be a working folder
    // (the start would fail or fall back to an arbitrary one): its own folder
    // is used instead.
    const char* workingFolder = operand;
    char documentFolder[kCommandCap];
    const DWORD attributes = GetFileAttributesW(WideArg(operand));
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::memcpy(documentFolder, fullPath, sizeof documentFolder);
        char* slash = std::strrchr(documentFolder, '\\');
        if (slash) {
            slash[1] = '\0';
            workingFolder = documentFolder;
        }
    }
    return ShellOpen(owner, program, parameters, workingFolder, SW_SHOWNORMAL);
}
