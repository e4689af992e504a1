// Settling the target: the platform side (current directory, type name).
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/settings.h"
#include "app/startup_marks.h"
#include "app/startup_state.h"

namespace {

// An autorun entry usually starts the program in its own folder already;
// setting it again would open the folder once more, a seek on a disc.
bool IsCurrentDirectory(const char* folder) {
    char current[MAX_PATH + 1];
    DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
    if (n == 0 || n >= MAX_PATH) return false;
    if (current[n - 1] != '\\') {
        current[n++] = '\\';
        current[n] = '\0';
    }
    return std::strcmp(current, folder) == 0;
}

}  // namespace

void SettleTarget(char* commandLine) {
    bool keepDirectory = ChooseTargetAndOptions(settings.Filename, settings.Message, commandLine);

    // Relative targets, menu entries and bitmaps are resolved against the
    // program folder; a failure leaves the inherited directory, which is all
    // that can be done about it.
    if (!keepDirectory && programFolderKnown && !IsCurrentDirectory(programFolder)) SetCurrentDirectoryA(programFolder);
    STARTUP_MARK("current directory");

    if (!popupText) {
        char typeName[sizeof(SHFILEINFOA{}.szTypeName)] = "";
        if (target && *target) {
            // The shell names a file's type by its name and attributes. Handed
            // the attributes, it does not open the file's folder, its
            // desktop.ini or the helpers it would load for that (each a seek
            // on a disc); a file that is not there still gets no type name.
            AnsiArg name(target);
            const DWORD attributes = GetFileAttributesA(name);
            SHFILEINFOA info;
            std::memset(&info, 0, sizeof info);
            if (attributes != INVALID_FILE_ATTRIBUTES &&
                SHGetFileInfoA(name, attributes, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES)) {
                std::memcpy(typeName, info.szTypeName, sizeof typeName);
                typeName[sizeof typeName - 1] = '\0';
            }
        }
        // The shell names the type in the ANSI code page.
        char* utf8TypeName = Utf8FromAnsi(typeName);
        // Out of memory leaves an empty text rather than none.
        SetPopupText(BuildStatusText(target, utf8TypeName ? utf8TypeName : typeName));
        std::free(utf8TypeName);
    }
    popupTextLength = std::strlen(popupText);
    STARTUP_MARK("type name, status text");
}
