// Starting the main target: verb targets, the viewer-version test, the
// condition, special parameters, the shell start itself and the turning of a
// failure into the popup's status text, the exit code and the Install offer.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/settings.h"
#include "app/startup_state.h"
#include "conditions/condition.h"
#include "conditions/version_bound.h"
#include "launch/launch.h"
#include "launch/placeholders.h"
#include "popup/popup.h"

char installProgram[1024];
char installParameters[1024];
char installMessage[1024];
bool installWaitAndRetry = true;
bool startInProgress = false;

namespace {

const char kNoViewerReason[] = "You need to install a suitable viewer program for this type of file";
const char kDefaultInstallCaption[] = "Install viewer";
const INT_PTR kNoAssociationCode = 31;  // SE_ERR_NOASSOC

// Sets the start-in-progress flag for StartTarget and puts back what it was on
// every way out, so that a start nested in another's wait cannot end the
// outer one's protection.
struct StartGuard {
    bool before = startInProgress;
    StartGuard() { startInProgress = true; }
    ~StartGuard() { startInProgress = before; }
    StartGuard(const StartGuard&) = delete;
    StartGuard& operator=(const StartGuard&) = delete;
};

// Heap text owned by one scope (malloc'd).
struct HeapText {
    char* text = nullptr;
    HeapText() = default;
    explicit HeapText(char* t) : text(t) {}
    ~HeapText() { std::free(text); }
    HeapText(const HeapText&) = delete;
    HeapText& operator=(const HeapText&) = delete;
};

char* CopyToHeap(const char* text) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

void CopyBounded(char* dest, size_t cap, const char* src) {
    if (!src) src = "";
    size_t length = std::strlen(src);
    if (length >= cap) length = cap - 1;
    std::memcpy(dest, src, length);
    dest[length] = '\0';
}

void AppendBounded(char* dest, size_t cap, const char* src) {
    const size_t used = std::strlen(dest);
    if (used + 1 < cap) CopyBounded(dest + used, cap - used, src);
}

}  // namespace

// Shared with the viewer walk: the Install button's command, with the message
// "Starting <program>" when none is configured.
void SetInstallCommand(const char* program, const char* parameterTemplate, const char* placeholderValue,
                       const char* message, bool waitAndRetry) {
    CopyBounded(installProgram, sizeof installProgram, program);
    ExpandPlaceholder(installParameters, sizeof installParameters, parameterTemplate ? parameterTemplate : "", "%1",
                      placeholderValue);
    if (message && message[0]) {
        CopyBounded(installMessage, sizeof installMessage, message);
    } else {
        CopyBounded(installMessage, sizeof installMessage, "Starting ");
        AppendBounded(installMessage, sizeof installMessage, program);
    }
    installWaitAndRetry = waitAndRetry;
}

namespace {

// Failure steps: exit code, the no-viewer handling, the status text and the
// button row. Returns true only when a no-viewer command closed the popup.
bool HandleStartFailure(HWND window, const char* shownTarget, INT_PTR code, DWORD lastError, bool viewerTooOld) {
    exitCode = code == 0 ? -1 : (int32_t)code;
    bool offerInstall = false;
    bool stopTimer = true;
    bool statusSet = false;
    const char* reason = nullptr;
    char* systemMessage = nullptr;
    char* utf8SystemMessage = nullptr;
    char codeText[16];

    // Windows reports a missing association with last error 1155; some shells
    // leave another last error and only the result code 31 tells.
    const bool noViewer = lastError == ERROR_NO_ASSOCIATION || code == kNoAssociationCode || viewerTooOld;
    if (noViewer) {
        reason = kNoViewerReason;
        if (settings.NoViewerMsg[0]) {
            SetPopupText(settings.NoViewerMsg);
            statusSet = true;
        }
        if (settings.NoViewerCmd[0]) {
            char parameters[kCommandCap];
            ExpandPlaceholder(parameters, sizeof parameters, settings.NoViewerCmdParam, "%1", target);
            if (RunCommand(window, settings.NoViewerMsg, settings.NoViewerCmd, parameters, settings.retryShow))
                return true;
            // The popup may have gone while the command was waited for
            // (medium removed); there is nothing left to tell then.
            if (!IsWindow(window)) return false;
            SetPopupText(settings.NoViewerMsg);
            statusSet = true;
            stopTimer = false;
        }
        if (settings.NoViewerCmdClick[0]) {
            SetInstallCommand(settings.NoViewerCmdClick, settings.NoViewerCmdClickParam, target,
                              settings.NoViewerCmdClickMsg, settings.retryShow);
            offerInstall = true;
            stopTimer = true;
        }
    } else {
        const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                            FORMAT_MESSAGE_MAX_WIDTH_MASK;
        const DWORD length = FormatMessageA(flags, nullptr, lastError, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                            reinterpret_cast<LPSTR>(&systemMessage), 0, nullptr);
        if (length > 0 && systemMessage) {
            // The width mask turns line breaks into blanks; drop the trailing ones.
            char* end = systemMessage + std::strlen(systemMessage);
            while (end > systemMessage && (end[-1] == ' ' || end[-1] == '\r' || end[-1] == '\n')) *--end = '\0';
            // The system words it in the ANSI code page.
            utf8SystemMessage = Utf8FromAnsi(systemMessage);
            reason = utf8SystemMessage ? utf8SystemMessage : systemMessage;
        } else {
            wsprintfA(codeText, "%d", (int)code);
            reason = codeText;
        }
    }

    if (!statusSet) {
        static const char kPrefix[] = "Could not start ";
        const size_t length = (sizeof kPrefix - 1) + std::strlen(shownTarget) + 2 + std::strlen(reason) + 1;
        char* text = static_cast<char*>(std::malloc(length + 1));
        if (text) {
            CopyBounded(text, length + 1, kPrefix);
            AppendBounded(text, length + 1, shownTarget);
            AppendBounded(text, length + 1, " (");
            AppendBounded(text, length + 1, reason);
            AppendBounded(text, length + 1, ")");
            SetPopupText(text);  // lives for the rest of the run
        }
    }

    const char* caption = settings.NoViewerCmdClickText[0] ? settings.NoViewerCmdClickText : kDefaultInstallCaption;
    CreatePopupButtons(window, offerInstall, offerInstall ? caption : nullptr);
    ShowPopupText(window, stopTimer);
    if (systemMessage) LocalFree(systemMessage);
    std::free(utf8SystemMessage);
    return false;
}

// The program the shell would open the target with; empty when none.
bool FindAssociatedProgram(const char* targetText, char (&found)[MAX_PATH + 1]) {
    found[0] = '\0';
    const INT_PTR code = (INT_PTR)FindExecutableA(targetText, nullptr, found);
    found[MAX_PATH] = '\0';
    return code > 32 && found[0];
}

}  // namespace

bool StartTarget(HWND window) {
    StartGuard guard;
    // A popup without a target (no Filename, no command line) has nothing to
    // start, even when the main entry's button is pressed.
    if (!target || !target[0]) return false;

    if (target[0] == '~') {
        // The lookup cuts the text in place; a copy keeps the target whole for
        // a later start, while the failure text shows the shortened form.
        HeapText verbTarget(CopyToHeap(target));
        if (!verbTarget.text) return false;
        const INT_PTR code = OpenClassVerb(window, verbTarget.text);
        const DWORD lastError = GetLastError();
        if (code > 32) return true;
        return HandleStartFailure(window, verbTarget.text, code, lastError, false);
    }

    const bool hasSpecialProgram = settings.specialProgram && settings.specialProgram[0];
    const AnsiArg ansiTarget(target), ansiParam(settings.Param);
    char found[MAX_PATH + 1] = "";
    bool programFound = false;
    if (settings.NoViewerVersion.set || hasSpecialProgram) programFound = FindAssociatedProgram(ansiTarget, found);

    if (settings.NoViewerVersion.set && programFound && IsViewerTooOld(settings.NoViewerVersion, found))
        return HandleStartFailure(window, target, 0, GetLastError(), true);

    if (!EvaluateCondition(settings.FilenameCondition, target)) return true;

    const char* file = ansiTarget;
    const char* parameters = settings.Param[0] ? static_cast<const char*>(ansiParam) : nullptr;
    HeapText special;
    if (hasSpecialProgram && programFound && EqualNoCase(FileNamePart(found), AnsiArg(settings.specialProgram))) {
        special.text = BuildSpecialParameters(settings.specialParameters, target);
        if (special.text) {
            parameters = special.text;
            file = found;
        }
    }

    SHELLEXECUTEINFOA info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    info.hwnd = window;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.nShow = maxOption ? SW_SHOWMAXIMIZED : minOption ? SW_SHOWMINIMIZED : SW_SHOWNORMAL;
    SetLastError(0);
    ShellExecuteExA(&info);
    const DWORD lastError = GetLastError();
    const INT_PTR code = (INT_PTR)info.hInstApp;

    if (info.hProcess) {
        if (code > 32 && maxOption) WaitForInputIdle(info.hProcess, 5000);
        CloseHandle(info.hProcess);
    }
    if (code <= 32) return HandleStartFailure(window, target, code, lastError, false);

    if (maxOption) {
        Sleep(500);
        HWND foreground = GetForegroundWindow();
        if (foreground && foreground != window) {
            WINDOWPLACEMENT placement;
            std::memset(&placement, 0, sizeof placement);
            placement.length = sizeof placement;
            if (!GetWindowPlacement(foreground, &placement) || placement.showCmd != SW_SHOWMAXIMIZED)
                ShowWindow(foreground, SW_SHOWMAXIMIZED);
        }
    }
    return true;
}
