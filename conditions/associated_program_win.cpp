// The program the shell opens a file with. Kept apart from the version
// reading, which has no need of the shell.
#include <windows.h>
#include <shellapi.h>

#include "base/text.h"
#include "base/wide_text.h"
#include "conditions/version_bound.h"

long long FindAssociatedProgram(const char* file, char (&program)[kProgramRoom]) {
    program[0] = '\0';
    // The shell's copy of the name has the system's path length.
    if (!ShellTakesName(file, true)) return ERROR_FILE_NOT_FOUND;
    wchar_t found[MAX_PATH + 1] = L"";
    const INT_PTR code = (INT_PTR)FindExecutableW(WideArg(file ? file : ""), nullptr, found);
    found[MAX_PATH] = L'\0';
    const HeapText utf8 = Utf8FromWide(found);
    CopyBounded(program, sizeof program, code > 32 && utf8 ? utf8.get() : "");
    return code;
}
