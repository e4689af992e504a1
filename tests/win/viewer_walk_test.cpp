// The viewer walk: rules checked in order, the first failure told with its
// message, its command run at once and its Install offer; versions checked
// against the associated program's file version.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

#include "conditions/version_bound.h"
#include "popup_harness.h"

using namespace harness;

namespace {

HeapText Dup(const std::string& text) { return CopyToHeap(text.c_str()); }

ViewerRule& Rule(int n, const std::string& file, const std::string& message) {
    ViewerRule& r = settings.viewer[n];
    r.present = true;
    r.ViewerFile = Dup(file);
    r.ViewerMsg = Dup(message);
    return r;
}

struct ViewerWalkTest : SpyFolderTest {
    ViewerWalkTest() : SpyFolderTest("viewer") {}
    // A class whose program is spy.exe and two whose programs carry versions
    // (extensions per process: see PerProcess).
    SpyClass good{".cvgood", "CvGoodFile"};
    SpyClass old{".cvold", "CvOldFile", "ver_5_5_0_0.exe"};
    SpyClass recent{".cvnew", "CvNewFile", "ver_6_0_2800_1106.exe"};
    void SetUp() override {
        SpyFolderTest::SetUp();
        if (HasFatalFailure()) return;
        UnregisterFileClass(".cvnone", "CvNoneFile");
        folder.File(good.Doc("a"));
        folder.File("b.cvnone");
        folder.File(old.Doc("c"));
        folder.File(recent.Doc("d"));
        window = CreatePopup();
        ASSERT_TRUE(window);
        popup.autoCloseTimer = SetTimer(window, kAutoCloseTimer, 15000, nullptr);
        popup.autoCloseRunning = true;
    }
};

TEST_F(ViewerWalkTest, PassingRulesShowNothing) {
    Rule(1, good.Doc("a"), "m1");
    Rule(2, recent.Doc("d"), "m2");
    char bound[] = "6.0.0.0";
    ASSERT_TRUE(ParseVersionBound(settings.viewer[2].versionBound, bound));
    const std::string before = Status();
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(Status(), before);
    EXPECT_FALSE(popup.exitButton.exists);
    EXPECT_TRUE(popup.autoCloseRunning);
}

TEST_F(ViewerWalkTest, MissingSampleOfSecondRuleIsToldWithItsNumber) {
    Rule(1, good.Doc("a"), "m1");
    Rule(2, "missing\\sample.cvgood", "m2");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    const std::string status = Status();
    EXPECT_TRUE(status == "ViewerFile2 (missing\\sample.cvgood) file not found.") << status;
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_FALSE(popup.autoCloseRunning);
}

TEST_F(ViewerWalkTest, LongestSamplePathIsToldWhole) {
    const std::string longName = "zz\\" + std::string(259 - 3 - 7, 'n') + ".cvgood";  // folder absent
    ASSERT_EQ(longName.size(), 259u);
    Rule(1, longName, "m1");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "ViewerFile1 (" + longName + ") file not found.");
}

TEST_F(ViewerWalkTest, NoAssociationWithOnlyMessageStopsTheTimer) {
    Rule(1, "b.cvnone", "Please install a viewer");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    EXPECT_EQ(Status(), "Please install a viewer");
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_FALSE(popup.autoCloseRunning);
}

TEST_F(ViewerWalkTest, CommandRunsAtOnceAndThePopupStillClosesByItself) {
    SpyCopy command(folder, "getviewer.exe");
    ViewerRule& r1 = Rule(1, "b.cvnone", "Getting a viewer");
    r1.ViewerCmd = Dup(command.path);
    r1.ViewerCmdParam = Dup("--for %1");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.stopTimer);
    EXPECT_TRUE(popup.autoCloseRunning);
    EXPECT_EQ(Status(), "Getting a viewer");
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exeName, "getviewer.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "--for b.cvnone")) << records[0].commandLine;
}

TEST_F(ViewerWalkTest, InstallOfferNeverWaitsAndHasDefaults) {
    ViewerRule& r1 = Rule(1, "b.cvnone", "Need a viewer");
    r1.ViewerCmdClick = Dup("viewer-setup.exe");
    r1.ViewerCmdClickParam = Dup("/file=%1");
    launch.installWaitAndRetry = true;
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    ASSERT_TRUE(popup.installButton.exists);
    EXPECT_EQ(WindowText(popup.installButton.window), "Install viewer");
    EXPECT_STREQ(launch.installProgram, "viewer-setup.exe");
    EXPECT_STREQ(launch.installParameters, "/file=b.cvnone");
    EXPECT_STREQ(launch.installMessage, "Starting viewer-setup.exe");
    EXPECT_FALSE(launch.installWaitAndRetry);
    EXPECT_FALSE(popup.autoCloseRunning);
}

TEST_F(ViewerWalkTest, InstallOfferWithCommandStopsTheTimerAndUsesOwnTexts) {
    SpyCopy command(folder, "getviewer.exe");
    ViewerRule& r1 = Rule(1, "b.cvnone", "Need a viewer");
    r1.ViewerCmd = Dup(command.path);
    r1.ViewerCmdClick = Dup("viewer-setup.exe");
    r1.ViewerCmdClickText = Dup("Set it up");
    r1.ViewerCmdClickMsg = Dup("Setting up");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.stopTimer);
    EXPECT_EQ(WindowText(popup.installButton.window), "Set it up");
    EXPECT_STREQ(launch.installMessage, "Setting up");
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

TEST_F(ViewerWalkTest, TooOldViewerFailsAndAnotherProgramsBoundPasses) {
    Rule(1, old.Doc("c"), "Viewer too old");
    char otherBound[] = "9.0.0.0,someone-else.exe";
    ASSERT_TRUE(ParseVersionBound(settings.viewer[1].versionBound, otherBound));
    Rule(2, old.Doc("c"), "Viewer too old (2)");
    char bound[] = "6.0.0.0,VER_5_5_0_0.EXE";
    ASSERT_TRUE(ParseVersionBound(settings.viewer[2].versionBound, bound));
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "Viewer too old (2)");
}

TEST_F(ViewerWalkTest, OnlyTheFirstFailureIsToldAndLaterRulesAreNotTested) {
    SpyCopy command(folder, "getviewer.exe");
    Rule(1, good.Doc("a"), "m1");
    Rule(2, "b.cvnone", "first failure");
    ViewerRule& r3 = Rule(3, "gone.cvgood", "m3");
    r3.ViewerCmd = Dup(command.path);
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "first failure");
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(ViewerWalkTest, RuleListEndsAtTheFirstGap) {
    Rule(1, good.Doc("a"), "m1");
    Rule(3, "b.cvnone", "after a gap");
    const ViewerWalkResult r = RunViewerWalk(window);
    EXPECT_FALSE(r.failed);
}

}  // namespace
