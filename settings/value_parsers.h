// The value parsers of the settings file: colours, positions, integers.
#pragma once
#include <cstdint>
#include "settings/settings.h"

// Leading white space, optional sign, decimal digits up to the first other
// character; no digits give 0. Wraps like the 32-bit conversion it models.
int32_t DecimalValue(const char* text);

// "r,g,b" -> 0x00BBGGRR; a text without two commas leaves `colour` unchanged.
// Writes into the text (cuts it at the commas).
void ParseColour(char* text, Colour& colour);

// Keyword code (-2..-10) of a position value, or 0 when it is no keyword.
int PositionKeyword(const char* text);

class IniFile;
// The position parser for a key pair such as xPos/yPos.
Position ReadPosition(const IniFile& ini, const char* xKey, const char* yKey);
