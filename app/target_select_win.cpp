// Settling the target: the platform side (current directory, type name).
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "app/target_select.h"
#include "base/wide_text.h"
#include "base/startup_marks.h"
#include "run/cmdline.h"
#include "run/run_state.h"
#include "settings/settings.h"

namespace {

// An autorun entry usually starts the program in its own folder already;
// setting it again would open the folder once more, a seek on a disc.
bool IsCurrentDirectory(const char* folder) {
    wchar_t current[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryW(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH) return false;
    if (current[n - 1] != L'\\') {
        current[n++] = L'\\';
        current[n] = L'\0';
    }
    const HeapText utf8 = Utf8FromWide(current);
    return utf8 && std::strcmp(utf8, folder) == 0;
}

// The shell names a plain file's type by its name and attributes. Handed
// the attributes, it does not open the file's folder, its desktop.ini or the
// helpers it would load for that (each a seek on a disc). Anything else (a
// folder, which desktop.ini may customise, a drive root, an address, a shell
// namespace name, a file that is not there) is asked about as itself.
HeapText TypeName(const char* target) {
    SHFILEINFOW info;
    std::memset(&info, 0, sizeof info);
    if (target && *target) {
        const WideArg name(target);
        const DWORD attributes = GetFileAttributesW(name);
        const bool plainFile = attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
        const UINT flags = SHGFI_TYPENAME | (plainFile ? SHGFI_USEFILEATTRIBUTES : 0);
        if (!SHGetFileInfoW(name, plainFile ? attributes : 0, &info, sizeof info, flags)) info.szTypeName[0] = L'\0';
    }
    info.szTypeName[sizeof info.szTypeName / sizeof info.szTypeName[0] - 1] = L'\0';
    return Utf8FromWide(info.szTypeName);
}

}  // namespace

const char* SettleTarget(char* commandLine) {
    const TargetChoice choice = ChooseTargetAndOptions(settings.Filename, settings.Message, commandLine);
    run.target = choice.target;
    run.targetGiven = choice.targetGiven;
    run.nomsgOption = choice.nomsgOption;
    run.maxOption = choice.maxOption;
    run.minOption = choice.minOption;
    run.textAfterOptions = choice.popupText;

    // Relative targets, menu entries and bitmaps are resolved against the
    // program folder; a failure leaves the inherited directory, which is all
    // that can be done about it.
    if (!choice.keepDirectory && run.programFolderKnown && !IsCurrentDirectory(run.programFolder))
        SetCurrentDirectoryW(WideArg(run.programFolder));
    STARTUP_MARK("current directory");

    if (!choice.popupText) {
        const HeapText typeName = TypeName(run.target);
        run.statusText = BuildStatusText(run.target, typeName ? typeName.get() : "");
    }
    STARTUP_MARK("type name, status text");
    if (choice.popupText) return choice.popupText;
    // Out of memory leaves an empty text rather than none.
    return run.statusText ? run.statusText.get() : "";
}
