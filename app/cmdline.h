// Command line and target selection: which target to start, what the popup
// says, and the options at the start of that text. Platform-free; the type
// lookup and the change of directory are done by target_select_win.cpp.
#pragma once
#include <cstddef>

extern const char* target;            // none (null), Filename, or a piece of the command line
extern const char* popupText;         // never null once the target is settled
extern size_t popupTextLength;
extern const char* textAfterOptions;  // popupText right after the options, or null
extern bool targetGiven;
extern bool nomsgOption;
extern bool maxOption;
extern bool minOption;

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

// Steps 1-5 and the option loop, on the settings' Filename and Message and the
// writable command line (cut in place). Returns true when -c was given.
bool ChooseTargetAndOptions(const char* filename, const char* message, char* commandLine);

// The status text "Starting <target> (<type>)... " (type part only when the
// type name is not empty) as a new heap text owned by the process; an empty
// text when there is no target (an empty target gives "Starting ... "). The text is also remembered for SetPopupText.
char* BuildStatusText(const char* targetText, const char* typeName);

// Replaces popupText (and popupTextLength) with `text`. A null `text` (as
// textAfterOptions is when the Message held only options) shows the status
// text built at start-up again, or an empty text when none was built.
void SetPopupText(const char* text);

// --- platform side (target_select_win.cpp) ---
// Settles target, popupText and the options, changes the current directory
// unless -c was given, and builds the status text with the shell's type name.
void SettleTarget(char* commandLine);
