// Version bounds: "5.0.0.0", "6.0.2800.1106,prog.exe", "not", "NOT,prog.exe".
// The text form is parsed here without the platform; comparing against a
// program file's version resource lives in file_version_win.cpp.
#pragma once
#include <cstdint>

#include "base/owned.h"
#include "base/text.h"

struct VersionBound {
    bool set = false;
    bool negated = false;
    uint16_t major = 0, minor = 0, build = 0, revision = 0;
    HeapText programName;  // file name without folder, or null

    void Clear();
};

// Cuts `text` in place. True when the text is well formed; an empty text
// leaves the bound unset and returns false.
bool ParseVersionBound(VersionBound& bound, char* text);

// Four 16-bit pieces packed major-first, for comparisons without the platform.
struct FileVersion { uint16_t major, minor, build, revision; };
// True when `have` is below the bound's version (equal is not below).
bool VersionIsBelow(const FileVersion& have, const VersionBound& bound);

// --- platform side (file_version_win.cpp) ---
// Room for a program's path as the shell finds it, in UTF-8.
enum { kProgramRoom = 3 * 260 + 1 };
// The program the shell opens `file` with (UTF-8 in and out); returns the
// shell's code: above 32 when one was found.
long long FindAssociatedProgram(const char* file, char (&program)[kProgramRoom]);
// True when the program file's version is below the bound, or when the file
// has no readable version information.
bool IsVersionBelow(const VersionBound& bound, const char* programPath);
// The viewer test: false for an unset bound or one naming another program.
bool IsViewerTooOld(const VersionBound& bound, const char* foundProgramPath);
