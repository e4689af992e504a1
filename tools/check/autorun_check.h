// The medium's entry point: checks autorun.inf the way Windows reads it and
// the way corvane.exe then takes its command line. Platform-free; the files
// are reached through Medium, whose folder is the root of the medium.
#pragma once
#include <cstddef>
#include <string>

#include "tools/check/check_engine.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

// The bytes of autorun.inf, or null when the medium has none.
// `settingsFilename` is the Filename the settings file gives (empty for
// none): with it, the program takes no target from its command line. ANSI
// text is decoded in `codePage`.
Report CheckAutorun(const char* data, size_t size, const Medium* medium, const std::string& settingsFilename,
                    int codePage = kDefaultCodePage);

// label= is not the volume label: Explorer shows this many of its characters
// as the drive's name.
const size_t kMaxLabelCharacters = 32;

// CustomEvent= is a name of letters and digits of at most this length.
const size_t kMaxCustomEventCharacters = 100;

}  // namespace corvcheck
