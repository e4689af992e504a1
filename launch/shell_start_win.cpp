// The shell's starts: a plain start, a start handing back its process, and a
// program waited for while the caller's windows stay served.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/owned_win.h"
#include "base/text.h"
#include "base/wide_text.h"
#include "launch/shell_start.h"

namespace {

// A name the shell would copy into a buffer too small for it is refused as
// Windows refuses a path beyond its length.
bool Refuse(const char* file, StartOutcome& outcome) {
    if (ShellTakesName(file)) return false;
    outcome.kind = StartOutcome::Failed;
    outcome.error = ERROR_FILENAME_EXCED_RANGE;
    return true;
}

void Finish(StartOutcome& outcome, INT_PTR code, DWORD error) {
    outcome.code = code;
    outcome.error = error;
    outcome.kind = code > 32 ? StartOutcome::Started : StartOutcome::Failed;
}

// The program's end wakes the loop by itself, so a window that gets no
// messages (hidden, no timer) still notices it at once.
StartOutcome::Kind PumpUntilEnded(HANDLE process) {
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                // The main loop must still see the quit it was meant for.
                PostQuitMessage((int)message.wParam);
                return StartOutcome::QuitTaken;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (WaitForSingleObject(process, 0) == WAIT_OBJECT_0) return StartOutcome::Ended;
        MsgWaitForMultipleObjects(1, &process, FALSE, INFINITE, QS_ALLINPUT);
    }
}

}  // namespace

StartOutcome ShellOpen(HWND owner, const char* file, const char* parameters, const char* folder, int show) {
    StartOutcome outcome;
    if (Refuse(file, outcome)) return outcome;
    const INT_PTR code =
        (INT_PTR)ShellExecuteW(owner, nullptr, WideArg(file), WideArg(parameters), WideArg(folder), show);
    Finish(outcome, code, GetLastError());
    return outcome;
}

StartOutcome ShellStartProcess(HWND owner, const char* file, const char* parameters, int show, HANDLE* process) {
    StartOutcome outcome;
    *process = nullptr;
    if (Refuse(file, outcome)) return outcome;
    const WideArg wideFile(file), wideParameters(parameters);
    SHELLEXECUTEINFOW info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = wideFile;
    info.lpParameters = wideParameters;
    info.nShow = show;
    SetLastError(0);
    ShellExecuteExW(&info);
    Finish(outcome, (INT_PTR)info.hInstApp, GetLastError());
    *process = info.hProcess;
    return outcome;
}

StartOutcome RunProgram(HWND owner, const char* program, const char* parameters, bool wait) {
    if (!wait) return ShellOpen(owner, program, parameters, nullptr, SW_SHOWNORMAL);
    HANDLE handle;
    StartOutcome outcome = ShellStartProcess(owner, program, parameters, SW_SHOWNORMAL, &handle);
    const KernelHandle process(handle);
    if (outcome.kind != StartOutcome::Started) return outcome;
    // Started, but nothing to wait for (a document handed to a running program).
    if (!process.Valid()) {
        outcome.kind = StartOutcome::Failed;
        return outcome;
    }
    outcome.kind = PumpUntilEnded(process);
    return outcome;
}

void ChooseSpecialProgram(const char* target, const char* found, const char* specialProgram,
                          const char* specialTemplate, const char** file, const char** parameters, HeapText& built) {
    *file = target;
    if (!specialProgram || !specialProgram[0] || !found || !found[0]) return;
    if (!EqualNoCase(FileNamePart(found), specialProgram)) return;
    built = BuildSpecialParameters(specialTemplate, target);
    if (!built) return;
    *file = found;
    *parameters = built;
}
