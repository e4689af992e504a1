// The program's own bounded formatter.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "base/format.h"

namespace {

TEST(FormatText, NumbersTextsAndPercent) {
    char buf[64];
    EXPECT_EQ(FormatText(buf, sizeof buf, "ViewerFile%d (%s) error %d", 2, "a\\b.pdf", -31), 31u);
    EXPECT_STREQ(buf, "ViewerFile2 (a\\b.pdf) error -31");
    FormatText(buf, sizeof buf, "%d %d %d%%", 0, INT_MAX, INT_MIN);
    EXPECT_STREQ(buf, "0 2147483647 -2147483648%");
    FormatText(buf, sizeof buf, "[%s]", static_cast<const char*>(nullptr));
    EXPECT_STREQ(buf, "[]");
    FormatText(buf, sizeof buf, "odd %x and end %");
    EXPECT_STREQ(buf, "odd %x and end %");
}

TEST(FormatText, CutsAtTheCapacityAndReportsTheFullLength) {
    char buf[8];
    std::string longText(300, 'z');
    EXPECT_EQ(FormatText(buf, sizeof buf, "Starting %s", longText.c_str()), 309u);
    EXPECT_STREQ(buf, "Startin");
    EXPECT_EQ(FormatText(buf, 1, "abc"), 3u);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(FormatText(nullptr, 0, "Filename%dMenu", 10), 14u);
    char exact[6];
    EXPECT_EQ(FormatText(exact, sizeof exact, "%d", 12345), 5u);
    EXPECT_STREQ(exact, "12345");
}

}  // namespace
