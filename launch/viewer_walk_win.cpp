// The viewer walk: each viewer rule's sample file must have an associated,
// recent enough program; the first rule that fails is told in the popup.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/format.h"
#include "app/settings.h"
#include "conditions/version_bound.h"
#include "launch/launch.h"
#include "launch/placeholders.h"
#include "popup/popup.h"

namespace {

const INT_PTR kNoAssociationCode = 31;  // SE_ERR_NOASSOC

// The message of a lookup failure, in a heap text of exactly its length, so
// that a sample path of any length is shown whole.
char* FormatLookupFailure(int ruleNumber, const char* viewerFile, INT_PTR code) {
    const bool notFound = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    const char* format = notFound ? "ViewerFile%d (%s) file not found." : "ViewerFile%d (%s) error %d";
    const size_t length = FormatText(nullptr, 0, format, ruleNumber, viewerFile, (int)code);
    char* text = static_cast<char*>(std::malloc(length + 1));
    if (!text) return nullptr;
    FormatText(text, length + 1, format, ruleNumber, viewerFile, (int)code);
    return text;
}

char* CopyToHeap(const char* text) {
    if (!text) text = "";
    const size_t length = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

}  // namespace

ViewerWalkResult RunViewerWalk(HWND window) {
    ViewerWalkResult result;
    for (int n = 1; n <= kMaxViewerRules && settings.viewer[n].present; ++n) {
        const ViewerRule& rule = settings.viewer[n];
        const char* viewerFile = rule.ViewerFile ? rule.ViewerFile : "";
        char found[MAX_PATH + 1] = "";
        const INT_PTR code = (INT_PTR)FindExecutableA(AnsiArg(viewerFile), nullptr, found);
        found[MAX_PATH] = '\0';
        const bool tooOld = code > 32 && IsViewerTooOld(rule.versionBound, found);
        if (code > 32 && !tooOld) continue;

        bool offerInstall = false;
        bool stopTimer = true;
        const char* caption = nullptr;
        char* text = nullptr;
        if (code == kNoAssociationCode || tooOld) {
            text = CopyToHeap(rule.ViewerMsg);
            if (rule.ViewerCmd && rule.ViewerCmd[0]) {
                char parameters[kCommandCap];
                ExpandPlaceholder(parameters, sizeof parameters, rule.ViewerCmdParam ? rule.ViewerCmdParam : "", "%1",
                                  viewerFile);
                const AnsiArg ansiParameters(parameters);
                ShellExecuteA(window, nullptr, AnsiArg(rule.ViewerCmd), parameters[0] ? (const char*)ansiParameters : nullptr,
                              nullptr, SW_SHOWNORMAL);
                stopTimer = false;
            }
            if (rule.ViewerCmdClick && rule.ViewerCmdClick[0]) {
                // A viewer rule's installer is never waited for.
                SetInstallCommand(rule.ViewerCmdClick, rule.ViewerCmdClickParam, viewerFile, rule.ViewerCmdClickMsg,
                                  false);
                caption = rule.ViewerCmdClickText && rule.ViewerCmdClickText[0] ? rule.ViewerCmdClickText
                                                                                : "Install viewer";
                offerInstall = true;
                stopTimer = true;
            }
        } else {
            text = FormatLookupFailure(n, viewerFile, code);
        }

        CreatePopupButtons(window, offerInstall, caption);
        if (text) SetPopupText(text);  // lives for the rest of the run
        ShowPopupText(window, stopTimer);
        result.failed = true;
        result.stopTimer = stopTimer;
        return result;
    }
    return result;
}
