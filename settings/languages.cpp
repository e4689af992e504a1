#include "settings/languages.h"

#include "base/text.h"

namespace {

bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAlphanumeric(char c) { return IsLetter(c) || IsDigit(c); }

bool AllOf(const char* p, size_t n, bool (*is)(char)) {
    for (size_t i = 0; i < n; ++i)
        if (!is(p[i])) return false;
    return true;
}

}  // namespace

bool LanguageSectionTag(const char* name, size_t length, const char** tag, size_t* tagLength) {
    static const char kPrefix[] = "Info.";
    const size_t prefix = sizeof kPrefix - 1;
    if (length < prefix || CompareNoCase(name, prefix, kPrefix, prefix) != 0) return false;
    *tag = name + prefix;
    *tagLength = length - prefix;
    return true;
}

bool IsWellFormedLanguageTag(const char* tag, size_t length) {
    // Each part by its place: language, then script, then region.
    int place = 0;
    size_t start = 0;
    for (size_t i = 0; i <= length; ++i) {
        if (i < length && tag[i] != '-') continue;
        const char* part = tag + start;
        const size_t n = i - start;
        if (place == 0 && (n == 2 || n == 3) && AllOf(part, n, IsLetter)) {
            place = 1;
        } else if (place == 1 && n == 4 && AllOf(part, n, IsLetter)) {
            place = 2;
        } else if (place >= 1 && place <= 2 && ((n == 2 && AllOf(part, n, IsLetter)) || (n == 3 && AllOf(part, n, IsDigit)))) {
            place = 3;
        } else if (place >= 1 && place <= 3 && n >= 5 && n <= 8 && AllOf(part, n, IsAlphanumeric)) {
            place = 4;  // a variant, as in "ca-ES-valencia"
        } else {
            return false;
        }
        start = i + 1;
    }
    return place > 0;
}

int ChooseLanguageSection(const LanguageTag* preferred, size_t preferredCount, const LanguageTag* sections,
                          size_t sectionCount) {
    for (size_t p = 0; p < preferredCount; ++p) {
        size_t length = preferred[p].length;
        while (length > 0) {
            for (size_t s = 0; s < sectionCount; ++s)
                if (CompareNoCase(preferred[p].text, length, sections[s].text, sections[s].length) == 0)
                    return static_cast<int>(s);
            // One part less: "de-AT" -> "de".
            while (length > 0 && preferred[p].text[length - 1] != '-') --length;
            if (length > 0) --length;
        }
    }
    return -1;
}
