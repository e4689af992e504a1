// Command line and target selection: which target to start, what the popup
// says, and the options at the start of that text. Platform-free; the type
// lookup and the change of directory are done at start-up (app/).
#pragma once
#include <cstddef>

#include "base/owned.h"

extern const char kNoParameterGiven[];  // "No parameter given"

// Option matcher: matches `word` at *pos (whole text, or word + one blank).
// On a match *pos moves past the blank, or becomes null when nothing is left.
bool MatchOption(const char** pos, const char* word, const char* wordBlank);

// The arguments after the program name in the process's whole command line:
// leading blanks and control characters are skipped, then the program name
// (a quoted one ends at its closing quote, an unquoted one at the first blank
// or control character), then blanks and control characters again. Bytes
// from 0x80 up are text (accented and double-byte names), never blanks.
// Returns a position inside `wholeCommandLine`; null stays null.
char* ArgumentsAfterProgramName(char* wholeCommandLine);

struct TargetChoice {
    const char* target = nullptr;     // none, Filename, or a piece of the command line
    const char* popupText = nullptr;  // the text after the options; null: the status text is to be built
    bool targetGiven = true;          // false: there is nothing to start ("No parameter given")
    bool nomsgOption = false, maxOption = false, minOption = false;
    bool keepDirectory = false;       // -c
};

// Picks the target and the popup's text from the settings' Filename and
// Message and the writable command line (cut in place): Filename wins over
// the command line's first word (a quoted name, or up to the first blank),
// and Message over the rest of the line. Then the options at the start of
// that text are taken off it.
TargetChoice ChooseTargetAndOptions(const char* filename, const char* message, char* commandLine);

// The status text "Starting <target> (<type>)... " (type part only when the
// type name is not empty); an empty text when there is no target (an empty
// target gives "Starting ... "). Null when memory runs out.
HeapText BuildStatusText(const char* targetText, const char* typeName);
