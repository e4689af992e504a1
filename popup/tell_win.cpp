// Starting things from the popup and telling the user how it went: the main
// target's start and its failure (the exit code, the no-viewer handling, the
// status text and the button row), programs run with a message, and the
// viewer check.
#include <windows.h>

#include <cstring>

#include <utility>

#include "base/format.h"
#include "base/owned_win.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "launch/launch.h"
#include "popup/auto_close.h"
#include "popup/buttons.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/tell.h"
#include "run/run_state.h"
#include "settings/settings_keys.h"

namespace {

const char kNoViewerReason[] = "You need to install a suitable viewer program for this type of file";
const INT_PTR kNoAssociationCode = 31;  // SE_ERR_NOASSOC

// "Could not start <target> (<reason>)", a verb target named by its class
// ("~class"); null when memory runs out.
HeapText CouldNotStartText(const char* target, const char* reason) {
    static const char kPrefix[] = "Could not start ";
    size_t shown = std::strlen(target);
    if (IsVerbTarget(target))
        if (const char* verb = std::strchr(target + 1, '~')) shown = static_cast<size_t>(verb - target);
    const size_t cap = (sizeof kPrefix - 1) + shown + 2 + std::strlen(reason) + 2;
    HeapText text = HeapText::Allocate(cap);
    if (!text) return text;
    CopyBounded(text, cap, kPrefix);
    CopyBounded(text + (sizeof kPrefix - 1), shown + 1, target, shown);
    AppendBounded(text, cap, " (");
    AppendBounded(text, cap, reason);
    AppendBounded(text, cap, ")");
    return text;
}

// The system's words for a failure's cause, or the shell's code as a number.
HeapText FailureReason(const StartOutcome& result) {
    const DWORD flags = FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM |
                        FORMAT_MESSAGE_MAX_WIDTH_MASK;
    LocalText systemMessage;
    const DWORD length = FormatMessageW(flags, nullptr, result.error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                        reinterpret_cast<LPWSTR>(systemMessage.Receive()), 0, nullptr);
    if (length == 0 || !systemMessage.Valid()) {
        char codeText[16];
        FormatText(codeText, sizeof codeText, "%d", (int)result.code);
        return CopyToHeap(codeText);
    }
    // The width mask turns line breaks into blanks; drop the trailing ones.
    wchar_t* text = systemMessage;
    wchar_t* end = text + lstrlenW(text);
    while (end > text && (end[-1] == L' ' || end[-1] == L'\r' || end[-1] == L'\n')) *--end = L'\0';
    return Utf8FromWide(text);
}

struct Telling {
    bool offerInstall = false;
    bool stopTimer = true;
    bool statusSet = false;
};

// No viewer for the target (or too old a one): the author's message, the
// command run at once (perhaps waited for, and the target started again),
// the installer offered. True only when that command's retried start closed
// the popup.
bool TellNoViewer(HWND window, Telling& t) {
    if (settings.NoViewerMsg[0]) {
        SetPopupText(settings.NoViewerMsg);
        t.statusSet = true;
    }
    if (settings.NoViewerCmd[0]) {
        char parameters[kCommandCap];
        ExpandPlaceholder(parameters, sizeof parameters, settings.NoViewerCmdParam, "%1", run.target);
        if (RunCommand(window, settings.NoViewerMsg, settings.NoViewerCmd, parameters, settings.retryShow)) return true;
        // The popup may have gone while the command was waited for (medium
        // removed); there is nothing left to tell then.
        if (!IsWindow(window)) return false;
        SetPopupText(settings.NoViewerMsg);
        t.statusSet = true;
        t.stopTimer = false;
    }
    if (settings.NoViewerCmdClick[0]) {
        SetInstallCommand(settings.NoViewerCmdClick, settings.NoViewerCmdClickParam, run.target,
                          settings.NoViewerCmdClickMsg, settings.retryShow);
        t.offerInstall = true;
        t.stopTimer = true;
    }
    return false;
}

// A failed start of the main target: the exit code, then what to say and
// offer. Returns true only when a no-viewer command closed the popup.
bool TellStartFailure(HWND window, const StartOutcome& start) {
    // The shell's code, or -1 when the shell was not asked.
    popup.exitCode = start.code == 0 ? -1 : (int32_t)start.code;
    Telling t;
    // Windows reports a missing association with last error 1155; some shells
    // leave another last error and only the result code 31 tells.
    const bool noViewer = start.error == ERROR_NO_ASSOCIATION || start.code == kNoAssociationCode || start.viewerTooOld;
    if (noViewer) {
        if (TellNoViewer(window, t)) return true;
        if (!IsWindow(window)) return false;
    }
    if (!t.statusSet) {
        const HeapText reason = noViewer ? CopyToHeap(kNoViewerReason) : FailureReason(start);
        if (reason) SetPopupText(CouldNotStartText(run.target, reason));
    }
    const char* caption = settings.NoViewerCmdClickText[0] ? settings.NoViewerCmdClickText : kDefaultInstallCaption;
    CreatePopupButtons(window, t.offerInstall, t.offerInstall ? caption : nullptr);
    ShowPopupText(window, t.stopTimer);
    return false;
}

}  // namespace

bool StartTarget(HWND window) {
    StartGuard guard;
    const StartOutcome start = StartMainTarget(window);
    switch (start.kind) {
    case StartOutcome::NotTried: return false;
    case StartOutcome::Failed: return TellStartFailure(window, start);
    default: return true;
    }
}

bool RunCommand(HWND window, const char* message, const char* program, const char* parameters, bool waitAndRetry) {
    if (message && message[0]) {
        // Let the started program come to the front.
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetPopupText(message);
        RemeasurePopup(window);
    }
    const StartOutcome ran = RunProgram(window, program, parameters, waitAndRetry);
    if (ran.kind == StartOutcome::QuitTaken) return false;
    if (ran.kind == StartOutcome::Ended) {
        if (settings.Message[0]) {
            // A Message made only of options left no text behind; the status
            // text settled at start-up is shown then.
            SetPopupText(run.textAfterOptions);
            RemeasurePopup(window);
        }
        if (StartTargetAgain(window).Succeeded()) {
            DestroyWindow(window);
            return true;
        }
    }
    ArmAutoCloseIfStopped(window);
    return false;
}

ViewerWalkResult RunViewerWalk(HWND window) {
    ViewerCheck check = CheckViewers(window);
    ViewerWalkResult result;
    if (!check.failed) return result;
    CreatePopupButtons(window, check.offerInstall, check.installCaption);
    SetPopupText(std::move(check.text));
    ShowPopupText(window, check.stopTimer);
    result.failed = true;
    result.stopTimer = check.stopTimer;
    return result;
}
