// Placeholder replacement in parameter templates and file-class command
// lines. Platform-free; every result stays within its buffer.
#pragma once
#include <cstddef>

enum { kCommandCap = 1024 };

// Writes `templ` into `dest` (capacity `cap`, terminator included) with every
// case-sensitive occurrence of `placeholder` replaced by `value` (null counts
// as empty; an empty placeholder replaces nothing). The inserted value is
// never searched again. `dest` and `templ` must not overlap. Returns false
// when the result did not fit; `dest` then holds the result cut to cap - 1 bytes.
bool ExpandPlaceholder(char* dest, size_t cap, const char* templ, const char* placeholder, const char* value);

// Replaces in place, ignoring the case of ASCII letters, every occurrence of
// `placeholder` in `text` (capacity `cap`). Terminates when `value` contains
// the placeholder. Returns false when a replacement would not fit; the text is
// then left as it stood before that replacement.
bool ReplaceNoCase(char* text, size_t cap, const char* placeholder, const char* value);

// Looks up an environment variable for ExpandVariables: writes its value into
// `value` (capacity `cap`) and returns its length, or returns -1 when the name
// is unknown; a value that does not fit returns `cap` or more.
typedef long (*VariableLookup)(const char* name, char* value, size_t cap);

// Writes `text` into `dest` (capacity `cap`) with every "%NAME%" whose name
// the lookup knows replaced by its value, as the system expands an expandable
// registry string. An unknown name keeps its "%" and the search goes on right
// after it, so placeholders such as "%1" and "%*" pass through whole, and a
// variable after them is still found. False when the result did not fit (or
// `dest` is unusable); `dest` then holds the result up to what did not fit.
bool ExpandVariables(char* dest, size_t cap, const char* text, VariableLookup lookup);

// A verb target "~class[~verb[~operand]]" starts a file class's command
// rather than a document.
inline bool IsVerbTarget(const char* text) { return text && text[0] == '~'; }

// Verb target "~class[~verb[~operand]]": cuts the pieces out in place, so the
// text afterwards reads "~" and the class. False when the text does not begin
// with "~". `verb` is "open" when there is no second "~"; `operand` is null
// when absent (the caller then uses the program folder).
bool SplitVerbTarget(char* text, const char** cls, const char** verb, const char** operand);

// Splits a command line in place into program and parameters. A quoted program
// keeps its quotes and must be followed by a space. False (error 87) when the
// closing quote is missing or not followed by a space.
bool SplitCommandLine(char* line, const char** program, const char** parameters);
