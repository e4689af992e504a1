// The popup's window procedure: the start sequence, the commands of its
// buttons, the auto-close timer, the web link and the system-menu item, and
// closing when the medium the program runs from goes away.
#include <windows.h>
#include <shellapi.h>
#include <dbt.h>

#include "base/wide_text.h"
#include "launch/launch.h"
#include "popup/auto_close.h"
#include "popup/buttons.h"
#include "popup/focus.h"
#include "popup/layout.h"
#include "popup/paint.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/tell.h"
#include "popup/text_windows.h"
#include "popup/wndproc.h"
#include "run/run_state.h"
#include "splash/splash.h"

namespace {

LRESULT DefaultProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcW(window, message, wParam, lParam);
}

// An empty target (corvane.exe "") is a target too: its start is tried and
// its failure told.
bool HasTarget() { return run.targetGiven && run.target; }

// A menu entry's start; its failure is not told.
void StartEntry(HWND window, int n) {
    const MenuEntry& entry = settings.menu[n];
    if (entry.present)
        StartMenuEntry(window, entry.Filename, entry.Param, entry.specialProgram, entry.specialParameters,
                       entry.condition);
}

void RunStartSequence(HWND window) {
    // The start message is meant for once per run; a stray second one would
    // start everything again.
    if (popup.startSequenceDone) return;
    popup.startSequenceDone = true;

    ArmAutoClose(window);
    if (!HasTarget()) return;
    if (const char* error = settings.FilenameCondition.parseError) {
        SetPopupText(error);
        ShowPopupText(window, true);
        return;
    }
    if (!popup.menu.mainOffered) {
        if (!StartTarget(window)) return;
        if (!IsWindow(window)) return;  // an installer's retried start closed it
    }
    for (int n = 1; n <= kMaxMenuEntries && settings.menu[n].present; ++n)
        if (!popup.menu.entryOffered[n]) StartEntry(window, n);

    const ViewerWalkResult walk = RunViewerWalk(window);
    if (settings.doNotRepeatActive && !walk.failed) {
        CreatePopupButtons(window, false, nullptr);
        ShowPopupText(window, false);
    }
    if ((settings.ShowOptions & 1) || (walk.failed && walk.stopTimer))
        SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void RunInstallCommand(HWND window) {
    const PopupRow& row = popup.row;
    HWND install = row.installButton.exists ? row.installButton.window : nullptr;
    if (install) EnableWindow(install, FALSE);
    if (RunCommand(window, launch.installMessage, launch.installProgram, launch.installParameters,
                   launch.installWaitAndRetry))
        return;
    if (!IsWindow(window)) return;
    RemoveFromFocusList(install);
    if (row.exitButton.exists) {
        SetFocus(row.exitButton.window);
        popup.focus.index = FocusSlotOf(row.exitButton.window);
    }
}

// The information line's address, clicked or pressed.
void OpenWeb(HWND window) {
    RunCommand(window, settings.WebMsg, settings.Web[0] ? settings.Web : kMakerWebAddress, ".", false);
}

void HandleCommand(HWND window, WPARAM command, LPARAM lParam) {
    bool outcome = false;
    switch (command) {
    case IdExit:
        DestroyWindow(window);
        return;
    case IdInstall:
        RunInstallCommand(window);
        return;
    case IdCheckBox:
        ToggleCheckBox(popup.row.checkBox.exists ? popup.row.checkBox.window : (HWND)lParam);
        return;
    case IdWebLink:
        OpenWeb(window);
        return;
    case IdMainEntry:
        // A second press while the first start waits for its installer (a
        // double click, a held Enter key) would start the installer again
        // inside the wait; it is refused like the close box.
        if (launch.startInProgress) {
            MessageBeep(MB_ICONEXCLAMATION);
            return;
        }
        // Without a target the main button has nothing to start.
        outcome = HasTarget() && StartTarget(window);
        break;
    default:
        if (command >= IdFirstEntry && command < IdFirstEntry + kMaxMenuEntries) {
            StartEntry(window, (int)(command - IdMainEntry));
            outcome = true;  // a failed entry start is not reported
            break;
        }
        return;
    }
    if ((settings.ShowOptions & 2) && outcome && IsWindow(window)) DestroyWindow(window);
}

void HandleMouseMove(HWND window, LPARAM position) {
    PopupLink& link = popup.link;
    const bool onLink = IsOnInfoLine(position);
    if (onLink && !link.hover) {
        // Loaded when first needed: nobody sees it before the first paint.
        if (!link.handCursor) link.handCursor = LoadCursorA(popup.instanceHandle, "HAND");
        SetCursor(link.handCursor);
        SetCapture(window);
        link.hover = true;
    } else if (!onLink && link.hover) {
        link.hover = false;
        ReleaseCapture();
        SetCursor(link.arrowCursor);
    }
}

bool ProgramVolumeGone() {
    if (!run.driveRoot[0]) return false;
    wchar_t volumeName[MAX_PATH + 1];
    DWORD maximumComponentLength = 0, fileSystemFlags = 0;
    // No "insert disk" box for a drive whose medium has gone.
    const UINT previousMode = SetErrorMode(SEM_FAILCRITICALERRORS);
    const BOOL readable = GetVolumeInformationW(WideArg(run.driveRoot), volumeName, MAX_PATH + 1, nullptr,
                                                &maximumComponentLength, &fileSystemFlags, nullptr, 0);
    SetErrorMode(previousMode);
    return !readable;
}

// The check box's colours (in high contrast the system draws it as it does
// its own), and the windows over the link and the status text.
LRESULT PaintControl(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        const DRAWITEMSTRUCT* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item->CtlID != IdWebLink && item->CtlID != IdStatusText) return DefaultProc(window, message, wParam, lParam);
        PaintTextWindow(window, *item);
        return TRUE;
    }
    if (!popup.row.checkBox.exists || (HWND)lParam != popup.row.checkBox.window || popup.colours.systemCheckBox)
        return DefaultProc(window, message, wParam, lParam);
    HDC dc = (HDC)wParam;
    SetBkColor(dc, popup.colours.background);
    SetTextColor(dc, popup.colours.checkBox);
    return (LRESULT)popup.graphics.backgroundBrush.get();
}

}  // namespace

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        CloseSplash();
        StopAutoClose(window);
        popup.link.hover = false;
        PostQuitMessage(0);
        return 0;
    case WM_SIZE:
        if (popup.layout.logoCentred) {
            const Picture& logo = popup.graphics.logo;
            const LogoPlacement p = CentreLogo((int)LOWORD(lParam), (int)HIWORD(lParam), logo.width, logo.height);
            popup.layout.logoX = p.x;
            popup.layout.logoY = p.y;
        }
        return 0;
    case WM_SETFOCUS: {
        const PopupFocus& f = popup.focus;
        if (f.index >= 0 && f.index < f.count && f.index < kFocusSlots) SetFocus(f.list[f.index]);
        return 0;
    }
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc) PaintPopup(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_CLOSE:
        if (launch.startInProgress)
            MessageBeep(MB_ICONEXCLAMATION);
        else
            DestroyWindow(window);
        return 0;
    case WM_COMMAND:
        HandleCommand(window, wParam, lParam);
        return 0;
    case WM_SYSCOMMAND:
        if (wParam == IdSysMenuWeb) {
            SetPopupText(kMakerWebMessage);
            RemeasurePopup(window);
            ShellOpen(window, kMakerWebAddress, ".", nullptr, SW_SHOWNORMAL);
        }
        return DefaultProc(window, message, wParam, lParam);
    case WM_TIMER:
        AutoCloseTick(window, wParam);
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_DRAWITEM:
        return PaintControl(window, message, wParam, lParam);
    case WM_MOUSEMOVE:
        HandleMouseMove(window, lParam);
        return 0;
    case WM_CAPTURECHANGED:
        // Capture taken away by someone else: the link is no longer hovered.
        if ((HWND)lParam != window) popup.link.hover = false;
        return DefaultProc(window, message, wParam, lParam);
    case WM_LBUTTONUP:
        if (IsOnInfoLine(lParam)) OpenWeb(window);
        return 0;
    case WM_DEVICECHANGE:
        if (wParam == DBT_DEVICEREMOVECOMPLETE && ProgramVolumeGone()) DestroyWindow(window);
        return DefaultProc(window, message, wParam, lParam);
    case kStartMessage:
        RunStartSequence(window);
        return 0;
    default:
        return DefaultProc(window, message, wParam, lParam);
    }
}
