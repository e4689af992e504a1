// Starting one menu entry: its condition, a verb target, special parameters.
// A menu entry's failure is not shown; only the result tells.
#include <windows.h>
#include <shellapi.h>

#include "base/ansi_text.h"
#include "conditions/condition.h"
#include "launch/launch.h"

bool StartMenuEntry(HWND window, char* targetText, const char* parameters, const char* specialProgram,
                    const char* specialTemplate, const Condition& condition) {
    if (!targetText) return false;
    if (!EvaluateCondition(condition, targetText)) return false;

    if (targetText[0] == '~') {
        // The lookup cuts its text in place; the entry's own text must stay
        // whole for the next press of its button.
        HeapText copy = CopyToHeap(targetText);
        if (copy) OpenClassVerb(window, copy);
        return true;
    }

    const AnsiArg ansiTarget(targetText), ansiParameters(parameters);
    const char* file = ansiTarget;
    parameters = ansiParameters;
    HeapText special;
    char found[MAX_PATH + 1] = "";
    if (specialProgram && specialProgram[0] && (INT_PTR)FindExecutableA(ansiTarget, nullptr, found) > 32) {
        found[MAX_PATH] = '\0';
        if (EqualNoCase(FileNamePart(found), AnsiArg(specialProgram))) {
            special = BuildSpecialParameters(specialTemplate, targetText);
            if (special) {
                parameters = special;
                file = found;
            }
        }
    }
    if (parameters && !parameters[0]) parameters = nullptr;
    return (INT_PTR)ShellExecuteA(window, nullptr, file, parameters, nullptr, SW_SHOWNORMAL) > 32;
}
