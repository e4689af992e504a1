// How well text stands out from its background, measured the way the common
// accessibility guidelines for the web measure it: the relative luminance of
// each sRGB colour and the ratio of the two. Text smaller than a heading
// wants at least kMinTextContrast. Platform-free.
#pragma once
#include <cstdint>

// Colours as the system stores them, 0x00BBGGRR: red in the low byte.
// 0 for black to 1 for white.
double RelativeLuminance(uint32_t colour);

// (lighter + 0.05) / (darker + 0.05): 1 for equal colours, 21 for black on
// white; the order of the two does not matter.
double ContrastRatio(uint32_t text, uint32_t background);

const double kMinTextContrast = 4.5;
