// The settings model as a disc author's Corva.INF fills it: defaults,
// derived values, clamping, colours, positions and the numbered lists.
#include <gtest/gtest.h>

#include <string>

#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/value_parsers.h"

namespace {

const Colour kWindow = 0x00F0E0D0;

int Read(const std::string& body) {
    static IniFile ini;
    std::string text = "[Info]\n" + body;
    ini.Load(text.data(), text.size());
    ReadSettings(ini, settings, kWindow);
    return settings.viewerMsgMissing;
}

TEST(Settings, EmptyFileGivesTheModelDefaults) {
    EXPECT_EQ(Read(""), 0);
    const Settings& s = settings;
    EXPECT_STREQ(s.Filename, "");
    EXPECT_STREQ(s.Title, "Corvane 3.2");
    EXPECT_STREQ(s.Display, "Quarnsoft");
    EXPECT_EQ(s.displayLength, 9u);
    EXPECT_STREQ(s.Web, kMakerWebAddress);
    EXPECT_STREQ(s.WebMsg, "Showing Quarnco web site...");
    EXPECT_STREQ(s.NoViewerCmdClickText, "Install viewer");
    EXPECT_STREQ(s.ExitMsg, "Exit");
    EXPECT_EQ(s.ShowTime, 15000);
    EXPECT_EQ(s.SplashShowTime, 5000);
    EXPECT_EQ(s.InfoColor, 0x00FF0000u);
    EXPECT_EQ(s.DoNotRepeatColor, 0x00FF0000u);
    EXPECT_EQ(s.MsgColor, 0x00FF8080u);
    EXPECT_EQ(s.BkColor, kWindow);
    EXPECT_EQ(s.InfoSize, 16);
    EXPECT_EQ(s.MsgSize, 16);
    EXPECT_EQ(s.InfoWeight, 0);
    EXPECT_EQ(s.MsgWeight, 0);
    EXPECT_EQ(s.InfoItalic, 0);
    EXPECT_STREQ(s.InfoFace, "Arial");
    EXPECT_STREQ(s.MsgFace, "Arial");
    EXPECT_EQ(s.popupPos.x, -1);
    EXPECT_EQ(s.popupPos.y, -1);
    EXPECT_EQ(s.splashPos.x, -1);
    EXPECT_FALSE(s.menu[1].present);
    EXPECT_FALSE(s.viewer[1].present);
    EXPECT_FALSE(s.anyButton);
    EXPECT_TRUE(s.retryShow);
    EXPECT_FALSE(s.NoViewerVersion.set);
    EXPECT_EQ(s.FilenameCondition.count, 0);
    EXPECT_FALSE(settings.doNotRepeatActive);
    EXPECT_STREQ(s.DoNotRepeatText, "Do not show again");
}

// Resetting is reading a file without keys, on a white window colour.
TEST(Settings, ResetGivesWhatAnEmptyFileGives) {
    Read("Title=x\nFilename1=a\nInfoColor=1,2,3\nDoNotRepeatId=d\n");
    ResetSettings(settings);
    EXPECT_STREQ(settings.Title, "Corvane 3.2");
    EXPECT_FALSE(settings.menu[1].present);
    EXPECT_EQ(settings.MsgColor, 0x00FF8080u);
    EXPECT_EQ(settings.BkColor, 0x00FFFFFFu);
    EXPECT_EQ(settings.ShowTime, 15000);
    EXPECT_FALSE(settings.doNotRepeatActive);
    EXPECT_STREQ(settings.WebMsg, "Showing Quarnco web site...");
}

TEST(Settings, WebAndWebMsg) {
    Read("Web=help.htm\n");
    EXPECT_STREQ(settings.Web, "help.htm");
    EXPECT_STREQ(settings.WebMsg, "Starting help.htm");
    Read("Web=help.htm\nWebMsg=Opening help\n");
    EXPECT_STREQ(settings.WebMsg, "Opening help");
    Read("WebMsg=Own text\n");
    EXPECT_STREQ(settings.Web, kMakerWebAddress);
    EXPECT_STREQ(settings.WebMsg, "Own text");
    // Given empty, WebMsg stays empty without Web; given empty with Web, it is "Starting ...".
    Read("WebMsg=\n");
    EXPECT_STREQ(settings.WebMsg, "");
    Read("Web=a.htm\nWebMsg=\n");
    EXPECT_STREQ(settings.WebMsg, "Starting a.htm");
    // "Starting " and a Web of 1023 characters do not fit: cut, never overrun.
    Read("Web=" + std::string(1100, 'w') + "\n");
    EXPECT_EQ(std::string(settings.Web).size(), 1023u);
    EXPECT_EQ(std::string(settings.WebMsg), "Starting " + std::string(1014, 'w'));
}

TEST(Settings, ShowTimeAndSplashShowTimeRules) {
    const struct { const char* value; int32_t show; } cases[] = {
        {"3", 5000}, {"5", 5000}, {"20", 20000}, {"-1", -1}, {"0", 15000}, {"-5", 15000}, {"abc", 15000},
        {"99999999", 0x7FFFFFFF}};
    for (const auto& c : cases) {
        Read(std::string("ShowTime=") + c.value + "\n");
        EXPECT_EQ(settings.ShowTime, c.show) << c.value;
    }
    Read("SplashShowTime=2\n");
    EXPECT_EQ(settings.SplashShowTime, 2000);
    Read("SplashShowTime=0\n");
    EXPECT_EQ(settings.SplashShowTime, 5000);
    Read("SplashShowTime=-3\n");
    EXPECT_EQ(settings.SplashShowTime, 5000);
}

TEST(Settings, WeightsAreClampedAndStatusFontInheritsFromInfoFont) {
    Read("InfoWeight=12\n");
    EXPECT_EQ(settings.InfoWeight, 9);
    EXPECT_EQ(settings.MsgWeight, 9);
    Read("InfoWeight=-3\nMsgWeight=42\n");
    EXPECT_EQ(settings.InfoWeight, 0);
    EXPECT_EQ(settings.MsgWeight, 9);
    Read("InfoSize=10\nInfoItalic=1\nInfoFace=Tahoma\n");
    EXPECT_EQ(settings.MsgSize, 10);
    EXPECT_EQ(settings.MsgItalic, 1);
    EXPECT_STREQ(settings.MsgFace, "Tahoma");
    // Missing, MsgFace takes InfoFace as a default is taken (trailing spaces
    // and quotes dropped); given empty, it is empty.
    Read("InfoFace=\"Tahoma  \"\n");
    EXPECT_STREQ(settings.MsgFace, "Tahoma");
    Read("MsgFace=\n");
    EXPECT_STREQ(settings.MsgFace, "");
    Read("InfoFace=Tahoma\nMsgFace=Courier New\nMsgSize=8\n");
    EXPECT_STREQ(settings.MsgFace, "Courier New");
    EXPECT_EQ(settings.MsgSize, 8);
}

TEST(Settings, ColoursAndTheMsgColorRule) {
    Read("InfoColor=0,128,0\n");
    EXPECT_EQ(settings.InfoColor, 0x00008000u);
    EXPECT_EQ(settings.MsgColor, 0x00008000u);
    Read("InfoColor=200,100,50\n");
    EXPECT_EQ(settings.MsgColor, 0x003264C8u);
    Read("InfoColor=200,100,50\nMsgColor=\n");  // empty is not given
    EXPECT_EQ(settings.MsgColor, 0x003264C8u);
    Read("InfoColor=200,100,50\nMsgColor=1,2\n");  // malformed keeps the light blue
    EXPECT_EQ(settings.MsgColor, 0x00FF8080u);
    Read("InfoColor=0,0,255\n");
    EXPECT_EQ(settings.MsgColor, 0x00FF8080u);
    Read("MsgColor=255,0\n");
    EXPECT_EQ(settings.MsgColor, 0x00FF8080u);
    Read("InfoColor=0,128,0\nMsgColor=1,2,3\n");
    EXPECT_EQ(settings.MsgColor, 0x00030201u);
    Read("BkColor=255,255,255\nDoNotRepeatColor=10 , 20 , 30\n");
    EXPECT_EQ(settings.BkColor, 0x00FFFFFFu);
    EXPECT_EQ(settings.DoNotRepeatColor, 0x001E140Au);
    Read("BkColor=nonsense\nInfoColor=\n");
    EXPECT_EQ(settings.BkColor, kWindow);
    EXPECT_EQ(settings.InfoColor, 0x00FF0000u);  // empty is malformed: the default stays
}

TEST(Settings, ColourParserExamples) {
    const struct { const char* text; Colour want; } cases[] = {
        {"0,0,255", 0x00FF0000}, {"255,128,0", 0x000080FF}, {"10 , 20 , 30", 0x001E140A},
        {"300,0,0", 0x0000002C}, {"0,0,255,9", 0x00FF0000}, {"-1,0,0", 0x000000FF}, {"256,x,", 0x00000000}};
    for (const auto& c : cases) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s", c.text);
        Colour colour = 0x12345678;
        ParseColour(buf, colour);
        EXPECT_EQ(colour, c.want) << c.text;
    }
    char one[] = "255,0";
    Colour keep = 0x00ABCDEF;
    ParseColour(one, keep);
    EXPECT_EQ(keep, 0x00ABCDEFu);
}

TEST(Settings, Positions) {
    Read("xPos=CENTER\n");
    EXPECT_EQ(settings.popupPos.x, -2);
    EXPECT_EQ(settings.popupPos.y, -1);
    const char* words[] = {"center", "topleft", "topright", "bottomleft", "bottomright", "top", "bottom", "left", "right"};
    for (int i = 0; i < 9; ++i) {
        Read(std::string("xSplash=") + words[i] + "\nySplash=5\n");
        EXPECT_EQ(settings.splashPos.x, -2 - i) << words[i];
        EXPECT_EQ(settings.splashPos.y, -1) << words[i];
    }
    Read("xPos=10\nyPos=20\n");
    EXPECT_EQ(settings.popupPos.x, 10);
    EXPECT_EQ(settings.popupPos.y, 20);
    Read("xPos=10\n");
    EXPECT_EQ(settings.popupPos.x, -1);
    Read("xPos=-10\nyPos=5\n");
    EXPECT_EQ(settings.popupPos.x, -1);
    Read("xPos=120px\nyPos=7y\n");
    EXPECT_EQ(settings.popupPos.x, 120);
    EXPECT_EQ(settings.popupPos.y, 7);
    Read("xPos=10\nyPos=-4\n");
    EXPECT_EQ(settings.popupPos.x, -1);
    // Digits that wrap to a negative number would read as a keyword code.
    Read("xPos=4294967294\nyPos=0\n");
    EXPECT_EQ(settings.popupPos.x, -1);
}

TEST(Settings, MenuEntriesStopAtTheFirstGap) {
    Read("Filename1=a.htm\nFilename1Param=-x\nFilename1SpecialParam=prog.exe,/o %f\nFilename1Menu=First\n"
         "Filename2=b.htm\nFilename2SpecialParam=nocomma\nFilename2Condition=f?b.htm?\n"
         "Filename4=d.htm\nFilename4Menu=Fourth\n");
    const MenuEntry* m = settings.menu;
    ASSERT_TRUE(m[1].present);
    EXPECT_STREQ(m[1].Filename, "a.htm");
    EXPECT_STREQ(m[1].Param, "-x");
    EXPECT_STREQ(m[1].specialProgram, "prog.exe");
    EXPECT_STREQ(m[1].specialParameters, "/o %f");
    EXPECT_TRUE(m[1].hasButton);
    ASSERT_TRUE(m[2].present);
    EXPECT_EQ(m[2].Param, nullptr);
    EXPECT_EQ(m[2].specialProgram, nullptr);
    EXPECT_EQ(m[2].specialParameters, nullptr);
    EXPECT_FALSE(m[2].hasButton);
    EXPECT_EQ(m[2].condition.count, 1);
    EXPECT_FALSE(m[3].present);
    EXPECT_FALSE(m[4].present);
    EXPECT_TRUE(settings.anyButton);
    EXPECT_FALSE(settings.mainHasButton);
}

TEST(Settings, MainEntryButtonAndSpecialParam) {
    Read("FilenameMenu=Start\nSpecialParam=viewer.exe,-open \"%F\",x\n");
    EXPECT_TRUE(settings.mainHasButton);
    EXPECT_TRUE(settings.anyButton);
    EXPECT_STREQ(settings.specialProgram, "viewer.exe");
    EXPECT_STREQ(settings.specialParameters, "-open \"%F\",x");
    Read("SpecialParam=viewer.exe\n");
    EXPECT_EQ(settings.specialProgram, nullptr);
    EXPECT_EQ(settings.specialParameters, nullptr);
}

TEST(Settings, ViewerRulesAndTheMissingViewerMsg) {
    EXPECT_EQ(Read("ViewerFile1=s.pdf\nViewerMsg1=Need a reader\nViewerVersion1=5.0.0.0\nViewerFile2=s.doc\n"
                   "ViewerFile3=s.xls\nViewerMsg3=x\n"),
              2);
    ASSERT_TRUE(settings.viewer[1].present);
    EXPECT_STREQ(settings.viewer[1].ViewerMsg, "Need a reader");
    EXPECT_STREQ(settings.viewer[1].ViewerCmd, "");  // present, possibly empty
    EXPECT_TRUE(settings.viewer[1].versionBound.set);
    EXPECT_EQ(settings.viewer[1].versionBound.major, 5);
    EXPECT_FALSE(settings.viewer[2].present);
    EXPECT_FALSE(settings.viewer[3].present);

    EXPECT_EQ(Read("ViewerFile1=a\nViewerMsg1=m\nViewerFile3=c\nViewerMsg3=m\n"), 0);
    EXPECT_TRUE(settings.viewer[1].present);
    EXPECT_FALSE(settings.viewer[3].present);
}

TEST(Settings, NoBrowserFallbackAndRetryShowWords) {
    Read("NoBrowser=setup.exe\n");
    EXPECT_STREQ(settings.NoViewerCmd, "setup.exe");
    Read("NoViewerCmd=\nNoBrowser=setup.exe\n");
    EXPECT_STREQ(settings.NoViewerCmd, "setup.exe");
    Read("NoViewerCmd=install.exe\nNoBrowser=setup.exe\n");
    EXPECT_STREQ(settings.NoViewerCmd, "install.exe");
    const struct { const char* word; bool retry; } cases[] = {
        {"No", false}, {"OFF", false}, {"false", false}, {"0", true}, {"yes", true}, {"", true}, {"nope", true}};
    for (const auto& c : cases) {
        Read(std::string("NoViewerCmdClickRetryShow=") + c.word + "\n");
        EXPECT_EQ(settings.retryShow, c.retry) << c.word;
    }
}

TEST(Settings, ConditionsAndVersionBoundsArePluggedIn) {
    Read("FilenameCondition=F?a?\nNoViewerVersion=6.0.2800.1106,viewer.exe\n");
    ASSERT_NE(settings.FilenameCondition.parseError, nullptr);
    EXPECT_STREQ(settings.FilenameCondition.parseError, "Invalid conditional");
    EXPECT_TRUE(settings.NoViewerVersion.set);
    EXPECT_STREQ(settings.NoViewerVersion.programName.get(), "viewer.exe");
    EXPECT_EQ(settings.NoViewerVersion.revision, 1106);
}

TEST(Settings, DoNotRepeatKeysAndCapacities) {
    Read("DoNotRepeatId=DiscOne\nDoNotRepeatText=Never again\n");
    EXPECT_TRUE(settings.doNotRepeatActive);
    EXPECT_STREQ(settings.DoNotRepeatId, "DiscOne");
    EXPECT_STREQ(settings.DoNotRepeatText, "Never again");
    // Menu and rule texts are read through 260-character buffers.
    Read("Filename1=" + std::string(400, 'f') + "\nNoViewerCmdClickRetryShow=" + std::string(40, 'n') + "\n");
    EXPECT_EQ(std::string(settings.menu[1].Filename).size(), 259u);
    EXPECT_EQ(std::string(settings.NoViewerCmdClickRetryShow).size(), 19u);
}

TEST(Settings, UnusedEntriesAreReleasedBetweenReads) {
    Read("Filename1=a\nFilename2=b\n");
    EXPECT_TRUE(settings.menu[2].present);
    Read("Filename1=a\n");
    EXPECT_FALSE(settings.menu[2].present);
    ReleaseSettingsTexts(settings);
    EXPECT_EQ(settings.menu[1].Filename, nullptr);
}

}  // namespace
