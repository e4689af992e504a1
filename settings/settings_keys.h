// Every key of Corva.INF that the settings reader asks for, with the kind of
// value it expects, the capacity it reads with and its read default. The
// reader itself does not use this table; the settings checker does, and a
// test holds the two together (every key the reader asks for is listed here
// with the same capacity and default, and nothing else is).
#pragma once
#include <cstddef>

enum SettingKind : int {
    SettingText,       // free text
    SettingWord,       // NoViewerCmdClickRetryShow: off/no/false switch the retry off
    SettingSpecial,    // "program.exe,parameters", cut at the first comma
    SettingInt,        // integer by the profile rule
    SettingBits,       // integer used as option bits
    SettingColour,     // "red,green,blue"
    SettingPositionX,  // keyword, or a number with the matching y key
    SettingPositionY,  // a number, read only after a numeric x key
    SettingCondition,  // condition expression
    SettingVersion,    // version bound
};

// What a text names on the medium, for the checker's file look-ups.
enum SettingFile : int {
    FileNothing,
    FileTarget,   // a document or program started through the shell
    FileBitmap,   // a BMP file loaded by the program
    FileSample,   // a viewer rule's sample file
    FileProgram,  // a program started for a missing viewer
};

struct SettingKey {
    const char* name;      // numbered keys hold "%d" where the number 1..10 goes
    SettingKind kind;
    unsigned capacity;     // characters including the terminator; 0 for integers
    const char* readDefault;  // text default, or the integer default written out;
                              // "<...>" describes a default taken from another key
    SettingFile file;
    unsigned validBits;    // option bits the program uses (SettingBits only)
};

extern const SettingKey kSettingKeys[];
extern const size_t kSettingKeyCount;

enum { kFirstSettingNumber = 1, kLastSettingNumber = 10 };

// Finds the table row of a key name (case-insensitive, `length` bytes). For a
// numbered key `*number` receives its number, which may lie outside 1..10 (the
// reader never asks for those); a number with a leading zero is no match,
// since the reader writes numbers without one. Null when no row matches.
const SettingKey* FindSettingKey(const char* name, size_t length, int* number);

// Writes the key name of `key` for `number` (ignored for plain keys).
void SettingKeyName(const SettingKey& key, int number, char* out, size_t cap);
