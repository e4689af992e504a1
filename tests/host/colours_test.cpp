// The popup's colours in normal and high-contrast display.
#include <gtest/gtest.h>

#include "popup/colours.h"

TEST(Colours, SettingsColoursOrInHighContrastTheSystemsWithTheCheckBoxAndWithoutTheBuiltInLogo) {
    SystemColours black;
    black.window = 0x000000, black.windowText = 0xFFFFFF, black.hotLight = 0x00FFFF;
    const PopupColours normal = ChoosePopupColours(0xF0F0F0, 0xFF0000, 0xFF8080, 0x0000FF, false, black);
    EXPECT_EQ(normal.background, 0xF0F0F0u);
    EXPECT_EQ(normal.info, 0xFF0000u);
    EXPECT_EQ(normal.message, 0xFF8080u);
    EXPECT_EQ(normal.checkBox, 0x0000FFu);
    EXPECT_FALSE(normal.systemCheckBox);
    EXPECT_TRUE(normal.builtInLogo);

    const PopupColours high = ChoosePopupColours(0xF0F0F0, 0xFF0000, 0xFF8080, 0x0000FF, true, black);
    EXPECT_EQ(high.background, 0x000000u);
    EXPECT_EQ(high.info, 0x00FFFFu) << "the link in the scheme's hyperlink colour";
    EXPECT_EQ(high.message, 0xFFFFFFu);
    EXPECT_EQ(high.checkBox, 0xFFFFFFu);
    EXPECT_TRUE(high.systemCheckBox);
    EXPECT_FALSE(high.builtInLogo) << "its navy word mark would vanish on the scheme's black";
}
