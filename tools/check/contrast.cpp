#include "tools/check/contrast.h"

#include <cmath>

namespace {

// One sRGB channel, 0 to 255, as linear light.
double Linear(unsigned channel) {
    const double c = channel / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

}  // namespace

double RelativeLuminance(uint32_t colour) {
    return 0.2126 * Linear(colour & 0xFFu) + 0.7152 * Linear((colour >> 8) & 0xFFu) +
           0.0722 * Linear((colour >> 16) & 0xFFu);
}

double ContrastRatio(uint32_t text, uint32_t background) {
    const double a = RelativeLuminance(text), b = RelativeLuminance(background);
    return a > b ? (a + 0.05) / (b + 0.05) : (b + 0.05) / (a + 0.05);
}
