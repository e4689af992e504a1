// How long the popup waits: the author's ShowTime for the user's setting,
// and what is left when the user who held it leaves.
#include <gtest/gtest.h>

#include "popup/timing.h"

namespace {

TEST(Timing, ShowTimeStretchesOnlyForAUserWhoAskedForLongerMessages) {
    EXPECT_EQ(EffectiveShowTime(15000, 5), 15000) << "the system's default leaves ShowTime as it is";
    EXPECT_EQ(EffectiveShowTime(15000, 0), 15000) << "a setting the system does not give";
    EXPECT_EQ(EffectiveShowTime(15000, 3), 15000) << "a shorter setting never shortens the author's time";
    EXPECT_EQ(EffectiveShowTime(15000, 7), 21000);
    EXPECT_EQ(EffectiveShowTime(5000, 300), 300000) << "five minutes: sixty times ShowTime";
    EXPECT_EQ(EffectiveShowTime(-1, 300), -1) << "never stays never";
    EXPECT_EQ(EffectiveShowTime(0x7FFFFFFF, 300), 0x7FFFFFFF) << "no overflow past the timer's longest time";
    EXPECT_EQ(EffectiveShowTime(2000000000, 6), 0x7FFFFFFF);
    EXPECT_EQ(EffectiveShowTime(1000000000, 10), 2000000000);
}

TEST(Timing, TheTimeLeftAfterTheUserIsAtLeastFiveSeconds) {
    EXPECT_EQ(TimeLeftAfterUser(12000), 12000);
    EXPECT_EQ(TimeLeftAfterUser(4999), 5000);
    EXPECT_EQ(TimeLeftAfterUser(0), 5000);
    EXPECT_EQ(TimeLeftAfterUser(-300), 5000) << "a time that ran out while the user was there";
}

}  // namespace
