// Running a no-viewer command, an install command or the web address, with an
// optional wait for the started program and a second start of the target.
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/settings.h"
#include "launch/launch.h"
#include "popup/popup.h"
#include "popup/popup_state.h"

namespace {

enum WaitOutcome { ProcessEnded, QuitTaken };

// Keeps the popup responsive while the started program runs. The program's
// end wakes the loop by itself, so a popup that gets no messages (hidden, no
// timer) still notices it at once.
WaitOutcome PumpUntilEnded(HANDLE process) {
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The main loop must still see the quit it was meant for.
                PostQuitMessage((int)message.wParam);
                return QuitTaken;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return ProcessEnded;
        MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    }
}

// The target's second start after an installer; a verb target goes through
// its class again, on a copy, since the lookup cuts the text it is given.
bool StartTargetAgain(HWND window) {
    if (!target || !target[0]) return false;
    if (target[0] == '~') {
        const size_t length = std::strlen(target);
        char* copy = static_cast<char*>(std::malloc(length + 1));
        if (!copy) return false;
        std::memcpy(copy, target, length + 1);
        const INT_PTR code = OpenClassVerb(window, copy);
        std::free(copy);
        return code > 32;
    }
    const int show = maxOption ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return (INT_PTR)ShellExecuteA(window, nullptr, AnsiArg(target), nullptr, nullptr, show) > 32;
}

}  // namespace

bool RunCommand(HWND window, const char* message, const char* program, const char* parameters, bool waitAndRetry) {
    if (message && message[0]) {
        // Let the started program come to the front.
        SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetPopupText(message);
        RemeasurePopup(window);
    }

    const AnsiArg ansiProgram(program), ansiParameters(parameters);
    if (!waitAndRetry) {
        ShellExecuteA(window, nullptr, ansiProgram, ansiParameters, nullptr, SW_SHOWNORMAL);
    } else {
        SHELLEXECUTEINFOA info;
        std::memset(&info, 0, sizeof info);
        info.cbSize = sizeof info;
        info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        info.hwnd = window;
        info.lpFile = ansiProgram;
        info.lpParameters = ansiParameters;
        info.nShow = SW_SHOWNORMAL;
        if (ShellExecuteExA(&info) && info.hProcess) {
            const WaitOutcome outcome = PumpUntilEnded(info.hProcess);
            CloseHandle(info.hProcess);
            if (outcome == QuitTaken) return false;
            if (settings.Message[0]) {
                // A Message made only of options left no text behind; the
                // status text settled at start-up is shown then.
                SetPopupText(textAfterOptions);
                RemeasurePopup(window);
            }
            if (StartTargetAgain(window)) {
                DestroyWindow(window);
                return true;
            }
        }
    }

    if (!nomsgOption && !popup.autoCloseRunning && settings.ShowTime > 0 && IsWindow(window)) {
        const UINT_PTR id = SetTimer(window, kAutoCloseTimer, (UINT)settings.ShowTime, nullptr);
        if (id) {
            popup.autoCloseTimer = id;
            popup.autoCloseRunning = true;
        }
    }
    return false;
}
