// The user's display languages, as Windows lists them.
#include <windows.h>

#include "base/kernel_function.h"
#include "settings/user_languages.h"

namespace {

// Appends a tag (ASCII, as Windows names languages) to `text`; false when it
// does not fit.
bool AddTag(const wchar_t* wide, char* text, size_t room, size_t* used, LanguageTag* tag) {
    const size_t n = static_cast<size_t>(lstrlenW(wide));
    if (n == 0 || *used + n > room) return false;
    char* start = text + *used;
    for (size_t i = 0; i < n; ++i) start[i] = static_cast<char>(wide[i]);
    *used += n;
    *tag = LanguageTag{start, n};
    return true;
}

}  // namespace

size_t UserDisplayLanguages(LanguageTag* tags, size_t maxTags, char* text, size_t room) {
    size_t count = 0, used = 0;
    // Windows Vista and later list them in the order the user put them in.
    typedef BOOL(WINAPI * PreferredLanguages)(DWORD, PULONG, PZZWSTR, PULONG);
    const PreferredLanguages preferred =
        reinterpret_cast<PreferredLanguages>(KernelFunction("GetUserPreferredUILanguages"));
    wchar_t list[256];
    ULONG languages = 0, length = sizeof list / sizeof list[0];
    if (preferred && preferred(MUI_LANGUAGE_NAME, &languages, list, &length)) {
        for (const wchar_t* p = list; *p && count < maxTags; p += lstrlenW(p) + 1)
            if (AddTag(p, text, room, &used, &tags[count])) ++count;
        if (count) return count;
    }
    // Earlier systems know only the user's one display language: its
    // language and country names make the tag.
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    wchar_t name[20];
    const int n = GetLocaleInfoW(locale, LOCALE_SISO639LANGNAME, name, 9);
    if (n > 1) {
        name[n - 1] = L'-';
        if (GetLocaleInfoW(locale, LOCALE_SISO3166CTRYNAME, name + n, 9) <= 1) name[n - 1] = L'\0';
        if (maxTags && AddTag(name, text, room, &used, &tags[0])) count = 1;
    }
    return count;
}
