// The viewer check: each viewer rule's sample file must have an associated,
// recent enough program; the first rule that fails runs its command, offers
// its installer and says what the popup is to tell.
#include <windows.h>
#include <shellapi.h>

#include "base/format.h"
#include "launch/launch.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"

namespace {

const INT_PTR kNoAssociationCode = 31;  // SE_ERR_NOASSOC

// The message of a lookup failure, in a heap text of exactly its length, so
// that a sample path of any length is shown whole.
HeapText FormatLookupFailure(int ruleNumber, const char* viewerFile, INT_PTR code) {
    const bool notFound = code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
    const char* format = notFound ? "ViewerFile%d (%s) file not found." : "ViewerFile%d (%s) error %d";
    const size_t length = FormatText(nullptr, 0, format, ruleNumber, viewerFile, (int)code);
    HeapText text = HeapText::Allocate(length + 1);
    if (text) FormatText(text, length + 1, format, ruleNumber, viewerFile, (int)code);
    return text;
}

// A rule whose sample has no viewer, or too old a one: its command runs at
// once, its installer is offered on the Install button.
void HandleMissingViewer(HWND owner, const ViewerRule& rule, const char* viewerFile, ViewerCheck& check) {
    check.text = CopyToHeap(rule.ViewerMsg);
    if (rule.ViewerCmd && rule.ViewerCmd[0]) {
        char parameters[kCommandCap];
        ExpandPlaceholder(parameters, sizeof parameters, rule.ViewerCmdParam, "%1", viewerFile);
        ShellOpen(owner, rule.ViewerCmd, parameters[0] ? parameters : nullptr, nullptr, SW_SHOWNORMAL);
        check.stopTimer = false;
    }
    if (rule.ViewerCmdClick && rule.ViewerCmdClick[0]) {
        // A viewer rule's installer is never waited for.
        SetInstallCommand(rule.ViewerCmdClick, rule.ViewerCmdClickParam, viewerFile, rule.ViewerCmdClickMsg, false);
        check.installCaption =
            rule.ViewerCmdClickText && rule.ViewerCmdClickText[0] ? rule.ViewerCmdClickText.get() : kDefaultInstallCaption;
        check.offerInstall = true;
        check.stopTimer = true;
    }
}

}  // namespace

ViewerCheck CheckViewers(HWND owner) {
    ViewerCheck check;
    for (int n = 1; n <= kMaxViewerRules && settings.viewer[n].present; ++n) {
        const ViewerRule& rule = settings.viewer[n];
        const char* viewerFile = rule.ViewerFile ? rule.ViewerFile.get() : "";
        char found[kProgramRoom];
        const INT_PTR code = (INT_PTR)FindAssociatedProgram(viewerFile, found);
        const bool tooOld = code > 32 && IsViewerTooOld(rule.versionBound, found);
        if (code > 32 && !tooOld) continue;

        check.failed = true;
        check.stopTimer = true;
        if (code == kNoAssociationCode || tooOld) HandleMissingViewer(owner, rule, viewerFile, check);
        else check.text = FormatLookupFailure(n, viewerFile, code);
        return check;
    }
    return check;
}
