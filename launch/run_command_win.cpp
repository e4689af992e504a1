// Running a program, optionally waited for while the caller's windows stay
// served, and the target's second start after an installer.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/owned_win.h"
#include "base/wide_text.h"
#include "launch/launch.h"
#include "settings/run_state.h"

namespace {

// The program's end wakes the loop by itself, so a window that gets no
// messages (hidden, no timer) still notices it at once.
ProgramRun PumpUntilEnded(HANDLE process) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The main loop must still see the quit it was meant for.
                PostQuitMessage((int)message.wParam);
                return ProgramRun::QuitTaken;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return ProgramRun::Ended;
        MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    }
}

}  // namespace

INT_PTR ShellOpen(HWND owner, const char* file, const char* parameters, const char* folder, int show) {
    return (INT_PTR)ShellExecuteW(owner, nullptr, WideArg(file), WideArg(parameters), WideArg(folder), show);
}

BOOL ShellStartProcess(HWND owner, const char* file, const char* parameters, int show, SHELLEXECUTEINFOW* info) {
    BOOL started;
    DWORD error;
    {
        const WideArg wideFile(file), wideParameters(parameters);
        std::memset(info, 0, sizeof *info);
        info->cbSize = sizeof *info;
        info->fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
        info->hwnd = owner;
        info->lpFile = wideFile;
        info->lpParameters = wideParameters;
        info->nShow = show;
        SetLastError(0);
        started = ShellExecuteExW(info);
        error = GetLastError();
        info->lpFile = info->lpParameters = nullptr;  // their texts end here
    }
    SetLastError(error);  // freeing the texts must not hide why the start failed
    return started;
}

ProgramRun RunProgram(HWND owner, const char* program, const char* parameters, bool wait) {
    if (!wait) {
        ShellOpen(owner, program, parameters, nullptr, SW_SHOWNORMAL);
        return ProgramRun::NotWaited;
    }
    SHELLEXECUTEINFOW info;
    const BOOL started = ShellStartProcess(owner, program, parameters, SW_SHOWNORMAL, &info);
    const KernelHandle process(info.hProcess);
    if (!started || !process.Valid()) return ProgramRun::StartFailed;
    return PumpUntilEnded(process);
}

// A verb target goes through its class again, on a copy, since the lookup
// cuts the text it is given.
bool StartTargetAgain(HWND owner) {
    const char* target = run.target;
    if (!target) return false;
    if (target[0] == '~') {
        HeapText copy = CopyToHeap(target);
        return copy && OpenClassVerb(owner, copy).Started();
    }
    const int show = run.maxOption ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    return ShellOpen(owner, target, nullptr, nullptr, show) > 32;
}
