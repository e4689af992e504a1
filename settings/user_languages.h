// The user's display languages, as the settings' language sections are
// chosen by them.
#pragma once
#include <cstddef>

#include "settings/languages.h"

enum { kMaxUserLanguages = 8, kUserLanguagesRoom = 128 };

// The user's display languages, most preferred first, as Windows names them
// ("de-AT"): the user's preferred display languages, or the user's display
// language where the system keeps no list. `text` (`room` bytes) holds the
// tags that `tags` point into; returns how many there are.
size_t UserDisplayLanguages(LanguageTag* tags, size_t maxTags, char* text, size_t room);
