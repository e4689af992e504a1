// The medium's entry point: checks autorun.inf the way Windows reads it and
// the way corvane.exe then takes its command line. Platform-free; the files
// are reached through Medium, whose folder is the root of the medium.
#pragma once
#include <cstddef>
#include <string>

#include "tools/check/check_engine.h"

namespace corvcheck {

// The bytes of autorun.inf, or null when the medium has none.
// `settingsFilename` is the Filename the settings file gives (empty for
// none): with it, the program takes no target from its command line.
Report CheckAutorun(const char* data, size_t size, const Medium* medium, const std::string& settingsFilename);

// Longest volume label that ISO 9660 and NTFS keep; FAT keeps 11.
const size_t kMaxLabelCharacters = 32;

}  // namespace corvcheck
