// The contrast of text on its background, against values worked out by hand
// from the luminance formula.
#include <gtest/gtest.h>

#include "tools/check/contrast.h"

#include <cmath>

namespace {

uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return r | (g << 8) | (b << 16); }

}  // namespace

TEST(Contrast, RatiosOfKnownColourPairs) {
    const uint32_t white = Rgb(255, 255, 255), black = Rgb(0, 0, 0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(white), 1.0);
    EXPECT_DOUBLE_EQ(RelativeLuminance(black), 0.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(black, white), 21.0);
    EXPECT_DOUBLE_EQ(ContrastRatio(white, white), 1.0);
    // Each channel weighs differently: pure red, green and blue on black.
    EXPECT_NEAR(ContrastRatio(Rgb(255, 0, 0), black), 5.252, 0.001);
    EXPECT_NEAR(ContrastRatio(Rgb(0, 255, 0), black), 15.304, 0.001);
    EXPECT_NEAR(ContrastRatio(Rgb(0, 0, 255), black), 2.444, 0.001);
    // The program's colours on white: blue text reads well, the light blue
    // message colour does not.
    EXPECT_NEAR(ContrastRatio(Rgb(0, 0, 255), white), 8.59, 0.005);
    EXPECT_NEAR(ContrastRatio(Rgb(128, 128, 255), white), 3.26, 0.005);
    // Both sides of the linear part's end (10/255 = 0.0392 is in it, 11/255 is not).
    EXPECT_NEAR(RelativeLuminance(Rgb(10, 10, 10)), 10 / 255.0 / 12.92, 1e-12);
    EXPECT_NEAR(RelativeLuminance(Rgb(11, 11, 11)), std::pow((11 / 255.0 + 0.055) / 1.055, 2.4), 1e-12);
    // Grey 119 is just below the line, 118 just above it; the order does not matter.
    EXPECT_LT(ContrastRatio(Rgb(119, 119, 119), white), kMinTextContrast);
    EXPECT_GT(ContrastRatio(Rgb(118, 118, 118), white), kMinTextContrast);
    EXPECT_DOUBLE_EQ(ContrastRatio(white, Rgb(118, 118, 118)), ContrastRatio(Rgb(118, 118, 118), white));
}
