// Process start-up and exit of the shipped program, in place of the C
// runtime's own start-up code. The program needs from it only the arguments
// of WinMain, the constructors and destructors of its process-wide records and
// the exit; the runtime's version also brings argument vectors, environment
// copies, thread-local storage, floating-point set-up, pseudo-relocations and
// an exception filter that nothing here uses, about 10 KB of the executable.
// msvcrt.dll sets itself up when it is loaded, so malloc and the string
// functions work without it.
#include <windows.h>

#include "app/exit_list.h"
#include "base/startup_marks.h"

extern "C" {

typedef void(__cdecl* ExitFunction)(void);

static ExitFunction exitFunctions[kExitListCapacity];
static int exitFunctionCount = 0;

// The callers are compiler-generated and ignore what atexit returns, so a
// refused registration would be a destructor that silently never runs. What
// registers is fixed by the program's code, not by its input, and all of it
// happens in the records' constructors, which run on every start: a build that
// outgrows the list stops every start here, before WinMain, which no
// acceptance scenario lets pass.
int __cdecl atexit(ExitFunction function) {
    if (!function) return -1;
    // The exit code says why (app/exit_list.h): raise kExitListCapacity.
    if (exitFunctionCount == kExitListCapacity) ExitProcess(kExitListFullCode);
    exitFunctions[exitFunctionCount++] = function;
    return 0;
}

// The linker collects the constructors of process-wide records in this list:
// a count or -1 first, then the functions, then a null entry.
extern ExitFunction __CTOR_LIST__[];

__attribute__((force_align_arg_pointer, noreturn)) void WinMainCRTStartup(void) {
    STARTUP_MARK("entry");
    size_t count = (size_t)(INT_PTR)__CTOR_LIST__[0];
    if (count == (size_t)-1)
        for (count = 0; __CTOR_LIST__[count + 1]; ++count) {
        }
    // The same order as the runtime's: last collected first.
    for (size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();

    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int showCommand = (startup.dwFlags & STARTF_USESHOWWINDOW) ? startup.wShowWindow : SW_SHOWDEFAULT;

    STARTUP_MARK("constructors, arguments");
    // The entry takes its command line from the system in any script.
    int code = WinMain(GetModuleHandleA(nullptr), nullptr, nullptr, showCommand);

    while (exitFunctionCount > 0) exitFunctions[--exitFunctionCount]();
    ExitProcess(static_cast<UINT>(code));
}

}  // extern "C"
