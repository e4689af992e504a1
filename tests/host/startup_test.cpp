// Start-up: the program folder, drive root and settings path derived from
// the module path, UTF-8 detection and the do-not-show-again decision.
#include <gtest/gtest.h>

#include <string>

#include "settings/ini_reader.h"
#include "app/show_decision.h"
#include "run/run_state.h"

namespace {

TEST(StartupPaths, ProgramInAFolderOnADrive) {
    SetStartupPaths("D:\\Setup\\corvane.exe");
    EXPECT_STREQ(run.programFolder, "D:\\Setup\\");
    EXPECT_TRUE(run.programFolderKnown);
    EXPECT_STREQ(run.driveRoot, "D:\\");
    EXPECT_STREQ(run.settingsPath, "D:\\Setup\\Corva.INF");
}

TEST(StartupPaths, RootOfADriveAndANetworkShare) {
    SetStartupPaths("E:\\corvane.exe");
    EXPECT_STREQ(run.programFolder, "E:\\");
    EXPECT_STREQ(run.driveRoot, "E:\\");
    SetStartupPaths("\\\\server\\share\\cd\\corvane.exe");
    EXPECT_STREQ(run.driveRoot, "\\");
    EXPECT_STREQ(run.programFolder, "\\\\server\\share\\cd\\");
    EXPECT_STREQ(run.settingsPath, "\\\\server\\share\\cd\\Corva.INF");
}

TEST(StartupPaths, NoPathOrNoBackslashFallsBackToTheCurrentFolder) {
    for (const char* path : {static_cast<const char*>(nullptr), "", "corvane.exe"}) {
        SetStartupPaths(path);
        EXPECT_STREQ(run.programFolder, ".\\");
        EXPECT_FALSE(run.programFolderKnown);
        EXPECT_STREQ(run.driveRoot, "");
        EXPECT_STREQ(run.settingsPath, ".\\Corva.INF");
    }
}

TEST(StartupPaths, AFolderTooLongForTheSettingsNameReadsNoSettings) {
    // Paths are UTF-8: 250 Greek letters take 500 bytes and still fit.
    std::string greek;
    for (int i = 0; i < 250; ++i) greek += "\xCE\xB1";
    SetStartupPaths(("M:\\" + greek + "\\c.exe").c_str());
    EXPECT_EQ(std::string(run.driveRoot), "M:\\");
    EXPECT_EQ(std::string(run.settingsPath), "M:\\" + greek + "\\Corva.INF");
    std::string path = "C:\\" + std::string(kRunPathRoom - 10, 'a') + "\\c.exe";
    SetStartupPaths(path.c_str());
    EXPECT_EQ(std::string(run.programFolder).size(), kRunPathRoom - 6u);
    EXPECT_STREQ(run.settingsPath, "");
    std::string fits = "C:\\" + std::string(kRunPathRoom - 15, 'a') + "\\c.exe";
    SetStartupPaths(fits.c_str());
    EXPECT_EQ(std::string(run.settingsPath), "C:\\" + std::string(kRunPathRoom - 15, 'a') + "\\Corva.INF");
}

TEST(Utf8Detection, OnlyTheThreeBomBytesTurnItOn) {
    const unsigned char bom[] = {0xEF, 0xBB, 0xBF, '['};
    EXPECT_TRUE(StartsWithUtf8Bom(bom, 3));
    EXPECT_TRUE(StartsWithUtf8Bom(bom, 4));
    EXPECT_FALSE(StartsWithUtf8Bom(bom, 2));
    const unsigned char other[] = {0xEF, 0xBB, 0xBE};
    EXPECT_FALSE(StartsWithUtf8Bom(other, 3));
    const unsigned char utf16[] = {0xFF, 0xFE, 0x5B};
    EXPECT_FALSE(StartsWithUtf8Bom(utf16, 3));
}

TEST(DoNotShowDecision, AllCases) {
    struct Case {
        bool read;
        uint32_t stored;
        bool ctrl, show, ticked;
    } cases[] = {
        {false, 0, false, true, false},   // nothing stored yet
        {false, 1, true, true, false},    // nothing read: what the buffer held does not count
        {true, 0, false, true, false},
        {true, 1, false, false, true},    // remembered: nothing shown
        {true, 1, true, true, true},      // Ctrl overrides, the box stays ticked
        {true, 0x31, false, false, true}, // the string "1" read as bytes
    };
    for (const Case& c : cases) {
        const ShowDecision d = DecideShowPopup(c.read, c.stored, c.ctrl);
        EXPECT_EQ(d.show, c.show) << c.read << " " << c.stored << " " << c.ctrl;
        EXPECT_EQ(d.doNotShowAgain, c.ticked) << c.read << " " << c.stored << " " << c.ctrl;
    }
}

}  // namespace
