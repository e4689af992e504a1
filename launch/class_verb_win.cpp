// Verb targets: run a file class's registered command for a verb.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/ansi_text.h"
#include "app/format.h"
#include "app/startup_state.h"
#include "launch/launch.h"
#include "launch/placeholders.h"

namespace {

typedef DWORD(WINAPI* GetLongPathNameAFn)(LPCSTR, LPSTR, DWORD);

// Reads the default value of HKEY_CLASSES_ROOT\<keyPath> as a terminated
// string. Only string values count: anything else is not a command line.
// `expandable` (when given) tells a REG_EXPAND_SZ value.
bool ReadClassesDefault(const char* keyPath, char* out, DWORD cap, bool* expandable = nullptr) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    DWORD type = 0;
    DWORD size = cap - 1;  // keep room for a terminator the value may lack
    LONG rc = RegQueryValueExA(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(out), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) {
        out[0] = '\0';
        return false;
    }
    out[size < cap ? size : cap - 1] = '\0';
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
    SetLastError(0);
    const DWORD n = GetEnvironmentVariableA(name, value, static_cast<DWORD>(cap));
    if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) return -1;
    return static_cast<long>(n);  // cap or more: did not fit
}

bool CopyText(char* dest, size_t cap, const char* text) {
    size_t n = std::strlen(text);
    if (n >= cap) return false;
    std::memcpy(dest, text, n + 1);
    return true;
}

INT_PTR Fail(DWORD error) {
    SetLastError(error);
    return -2;
}

}  // namespace

INT_PTR OpenClassVerb(HWND popup, char* targetText) {
    const char* cls = nullptr;
    const char* verb = nullptr;
    const char* operandText = nullptr;
    if (!SplitVerbTarget(targetText, &cls, &verb, &operandText)) return -1;
    // The pieces go to the registry and the shell in the ANSI code page; the
    // default operand, the program folder, already is.
    const AnsiArg ansiClass(cls), ansiVerb(verb), ansiOperand(operandText);
    const char* operand = operandText ? static_cast<const char*>(ansiOperand) : programFolder;

    char className[kCommandCap];
    char command[kCommandCap];
    bool expandable = false;
    // A class name that does not fit cannot name a registered class.
    if (!CopyText(className, sizeof className, ansiClass)) return Fail(ERROR_NO_ASSOCIATION);
    FollowCurVer(className);
    if (!ReadVerbCommand(className, ansiVerb, command, &expandable)) {
        // An extension's verbs live under the class it names (.txt names
        // txtfile): that class is followed once, with its own redirection.
        char named[kCommandCap];
        if (!ReadClassesDefault(className, named, sizeof named) || !named[0]) return Fail(ERROR_NO_ASSOCIATION);
        std::memcpy(className, named, sizeof className);
        FollowCurVer(className);
        if (!ReadVerbCommand(className, ansiVerb, command, &expandable)) return Fail(ERROR_NO_ASSOCIATION);
    }

    if (expandable) {
        char expanded[kCommandCap];
        if (!ExpandVariables(expanded, sizeof expanded, command, EnvironmentValue))
            return Fail(ERROR_INSUFFICIENT_BUFFER);
        std::memcpy(command, expanded, sizeof command);
    }

    char windowsFolder[MAX_PATH];
    UINT w = GetWindowsDirectoryA(windowsFolder, sizeof windowsFolder);
    if (w == 0) return -2;
    if (w >= sizeof windowsFolder) return Fail(ERROR_INSUFFICIENT_BUFFER);

    // A command line that would outgrow its buffer is refused rather than
    // started with a placeholder left in it or its parameters cut off.
    if (!ReplaceNoCase(command, sizeof command, "%SystemRoot%", windowsFolder)) return Fail(ERROR_INSUFFICIENT_BUFFER);
    // A verb target passes one operand: the placeholders of all and of further
    // operands stand for nothing. Removed before "%1" is put in, so that an
    // operand holding such text is passed as written.
    static const char kFurtherOperands[][3] = {"%*", "%2", "%3", "%4", "%5", "%6", "%7", "%8", "%9"};
    for (const char* placeholder : kFurtherOperands) ReplaceNoCase(command, sizeof command, placeholder, "");
    if (!ReplaceNoCase(command, sizeof command, "%1", operand)) return Fail(ERROR_INSUFFICIENT_BUFFER);

    char fullPath[MAX_PATH];
    DWORD f = GetFullPathNameA(operand, sizeof fullPath, fullPath, nullptr);
    if (f == 0) return -2;
    if (f >= sizeof fullPath) return Fail(ERROR_FILENAME_EXCED_RANGE);
    // Looked up at run time: systems before Windows 98 lack it. The module is
    // always loaded, so no reference is taken on it.
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    GetLongPathNameAFn getLongPathName =
        kernel ? reinterpret_cast<GetLongPathNameAFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetLongPathNameA")))
               : nullptr;
    if (getLongPathName) {
        char longPath[MAX_PATH];
        DWORD l = getLongPathName(fullPath, longPath, sizeof longPath);
        if (l > 0 && l < sizeof longPath) std::memcpy(fullPath, longPath, l + 1);
    }
    if (!ReplaceNoCase(command, sizeof command, "%L", fullPath)) return Fail(ERROR_INSUFFICIENT_BUFFER);

    const char* program = nullptr;
    const char* parameters = nullptr;
    if (!SplitCommandLine(command, &program, &parameters)) return Fail(ERROR_INVALID_PARAMETER);

    // The operand is the working folder as written, so the default operand
    // gives the program folder. A document operand cannot be a working folder
    // (the start would fail or fall back to an arbitrary one): its own folder
    // is used instead.
    const char* workingFolder = operand;
    char documentFolder[MAX_PATH];
    DWORD attributes = GetFileAttributesA(operand);
    if (attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        std::memcpy(documentFolder, fullPath, sizeof documentFolder);
        char* slash = std::strrchr(documentFolder, '\\');
        if (slash) {
            slash[1] = '\0';
            workingFolder = documentFolder;
        }
    }

    return reinterpret_cast<INT_PTR>(ShellExecuteA(popup, nullptr, program, parameters, workingFolder, SW_SHOWNORMAL));
}
