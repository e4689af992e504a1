// Parameters of a special program: the target as written and its full path.
#include <windows.h>

#include <cstring>

#include "base/text.h"
#include "base/wide_text.h"
#include "launch/launch.h"
#include "launch/placeholders.h"

namespace {

// One pass over the template for both placeholders, so that a target whose
// name holds "%F" is not expanded a second time by the "%F" replacement.
void ExpandBoth(char* dest, size_t cap, const char* templ, const char* asWritten, const char* fullPath) {
    const size_t asWrittenLength = std::strlen(asWritten);
    const size_t fullPathLength = std::strlen(fullPath);
    size_t out = 0;
    for (const char* p = templ; *p && out < cap - 1;) {
        const char* piece = p;
        size_t pieceLength = 1;
        if (p[0] == '%' && p[1] == 'f') {
            piece = asWritten;
            pieceLength = asWrittenLength;
            p += 2;
        } else if (p[0] == '%' && p[1] == 'F') {
            piece = fullPath;
            pieceLength = fullPathLength;
            p += 2;
        } else {
            ++p;
        }
        if (pieceLength > cap - 1 - out) pieceLength = cap - 1 - out;  // cut, never overrun
        std::memcpy(dest + out, piece, pieceLength);
        out += pieceLength;
    }
    dest[out] = '\0';
}

}  // namespace

HeapText BuildSpecialParameters(const char* templ, const char* targetText) {
    if (!templ) templ = "";
    if (!targetText) targetText = "";
    wchar_t wideFull[kCommandCap];
    const DWORD n = targetText[0] ? GetFullPathNameW(WideArg(targetText), kCommandCap, wideFull, nullptr) : 0;
    const HeapText full = n > 0 && n < kCommandCap ? Utf8FromWide(wideFull) : HeapText();
    char fullPath[kCommandCap];
    CopyBounded(fullPath, sizeof fullPath, full ? full.get() : targetText);
    HeapText result = HeapText::Allocate(kCommandCap);
    if (result) ExpandBoth(result, kCommandCap, templ, targetText, fullPath);
    return result;
}
