// Language sections of the settings file: [Info.de-AT] beside [Info] holds
// the keys that users of that display language see instead of [Info]'s.
// Tags are written as Windows names its display languages ("de", "de-AT",
// "pt-BR", "zh-TW", "sr-Latn"); letter case does not count. Platform-free.
#pragma once
#include <cstddef>

// "Info.<tag>": the section name of a language section, `*tag` and
// `*tagLength` its tag. False for any other name.
bool LanguageSectionTag(const char* name, size_t length, const char** tag, size_t* tagLength);

// A tag as Windows writes display languages: a language of two or three
// letters, then optionally a script of four letters, a region of two letters
// or three digits and a variant of five to eight letters and digits
// ("ca-ES-valencia"), joined by '-'.
bool IsWellFormedLanguageTag(const char* tag, size_t length);

struct LanguageTag {
    const char* text;
    size_t length;
};

// The language section a user sees: for each of the user's display
// languages in their order of preference, the section of the whole tag, then
// of the tag without its last part, down to the language alone ("sr-Latn-RS",
// "sr-Latn", "sr"). Returns the index into `sections` of the first section
// found, or -1 when none is.
int ChooseLanguageSection(const LanguageTag* preferred, size_t preferredCount, const LanguageTag* sections,
                          size_t sectionCount);
