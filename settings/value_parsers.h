// The value parsers of the settings file: colours, position keywords,
// integers and the retry switch; the reader and the settings checker share
// their word lists.
#pragma once
#include <cstdint>
#include "settings/settings.h"

// Leading white space, optional sign, decimal digits up to the first other
// character; no digits give 0. Wraps like the 32-bit conversion it models.
int32_t DecimalValue(const char* text);

// "r,g,b" -> 0x00BBGGRR; a text without two commas leaves `colour` unchanged.
// Writes into the text (cuts it at the commas).
void ParseColour(char* text, Colour& colour);

// The position keywords, in the order of their codes -2, -3, ... -10.
enum { kPositionKeywordCount = 9 };
extern const char* const kPositionKeywords[kPositionKeywordCount];
// Keyword code (-2..-10) of a position value, or 0 when it is no keyword.
int PositionKeyword(const char* text);

// The words that switch NoViewerCmdClickRetryShow's retry off, in any letter case.
enum { kRetryOffWordCount = 3 };
extern const char* const kRetryOffWords[kRetryOffWordCount];
bool IsRetryOff(const char* word);
