// Starting one menu entry: its condition, a verb target, special parameters.
// A menu entry's failure is not shown; only the result tells.
#include <windows.h>
#include <shellapi.h>

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

    const char* file = targetText;
    HeapText special;
    char found[kProgramRoom] = "";
    if (specialProgram && specialProgram[0] && FindAssociatedProgram(targetText, found) > 32) {
        if (EqualNoCase(FileNamePart(found), specialProgram)) {
            special = BuildSpecialParameters(specialTemplate, targetText);
            if (special) {
                parameters = special;
                file = found;
            }
        }
    }
    if (parameters && !parameters[0]) parameters = nullptr;
    return ShellOpen(window, file, parameters, nullptr, SW_SHOWNORMAL) > 32;
}
