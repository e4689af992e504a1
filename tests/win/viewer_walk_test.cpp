// The viewer walk: rules checked in order, the first failure told with its
// message, its command run at once and its Install offer; versions checked
// against the associated program's file version.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup_harness.h"

using namespace harness;

namespace {

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
    }
    // The rules in settings text; the walk in a popup whose timer runs, as
    // the start sequence leaves it.
    ViewerWalkResult Walk(const std::string& rules) {
        Open(rules, "");
        ArmAutoClose(window);
        EXPECT_TRUE(popup.autoClose.running);
        return RunViewerWalk(window);
    }
};

TEST_F(ViewerWalkTest, PassingRulesShowNothing) {
    const ViewerWalkResult r = Walk("ViewerFile1=" + good.Doc("a") + "\nViewerMsg1=m1\nViewerFile2=" +
                                    recent.Doc("d") + "\nViewerMsg2=m2\nViewerVersion2=6.0.0.0\n");
    EXPECT_FALSE(r.failed);
    EXPECT_EQ(Status(), "No parameter given");
    EXPECT_FALSE(popup.row.exitButton.exists);
    EXPECT_TRUE(popup.autoClose.running);
}

TEST_F(ViewerWalkTest, MissingSampleOfSecondRuleIsToldWithItsNumber) {
    const ViewerWalkResult r =
        Walk("ViewerFile1=" + good.Doc("a") + "\nViewerMsg1=m1\nViewerFile2=missing\\sample.cvgood\nViewerMsg2=m2\n");
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    EXPECT_EQ(Status(), "ViewerFile2 (missing\\sample.cvgood) file not found.");
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_FALSE(popup.autoClose.running);
}

TEST_F(ViewerWalkTest, LongestSamplePathIsToldWhole) {
    const std::string longName = "zz\\" + std::string(259 - 3 - 7, 'n') + ".cvgood";  // folder absent
    ASSERT_EQ(longName.size(), 259u);
    const ViewerWalkResult r = Walk("ViewerFile1=" + longName + "\nViewerMsg1=m1\n");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "ViewerFile1 (" + longName + ") file not found.");
}

TEST_F(ViewerWalkTest, NoAssociationWithOnlyMessageStopsTheTimer) {
    const ViewerWalkResult r = Walk("ViewerFile1=b.cvnone\nViewerMsg1=Please install a viewer\n");
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    EXPECT_EQ(Status(), "Please install a viewer");
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_FALSE(popup.autoClose.running);
}

TEST_F(ViewerWalkTest, CommandRunsAtOnceAndThePopupStillClosesByItself) {
    SpyCopy command(folder, "getviewer.exe");
    const ViewerWalkResult r = Walk("ViewerFile1=b.cvnone\nViewerMsg1=Getting a viewer\nViewerCmd1=" + command.path +
                                    "\nViewerCmdParam1=--for %1\n");
    EXPECT_TRUE(r.failed);
    EXPECT_FALSE(r.stopTimer);
    EXPECT_TRUE(popup.autoClose.running);
    EXPECT_EQ(Status(), "Getting a viewer");
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exeName, "getviewer.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "--for b.cvnone")) << records[0].commandLine;
}

TEST_F(ViewerWalkTest, InstallOfferNeverWaitsAndHasDefaults) {
    SetInstallCommand("earlier.exe", "", "", "", true);  // an offer that waited
    const ViewerWalkResult r =
        Walk("ViewerFile1=b.cvnone\nViewerMsg1=Need a viewer\nViewerCmdClick1=viewer-setup.exe\n"
             "ViewerCmdClickParam1=/file=%1\n");
    EXPECT_TRUE(r.failed);
    EXPECT_TRUE(r.stopTimer);
    ASSERT_TRUE(popup.row.installButton.exists);
    EXPECT_EQ(WindowText(popup.row.installButton.window), "Install viewer");
    EXPECT_STREQ(launch.installProgram, "viewer-setup.exe");
    EXPECT_STREQ(launch.installParameters, "/file=b.cvnone");
    EXPECT_STREQ(launch.installMessage, "Starting viewer-setup.exe");
    EXPECT_FALSE(launch.installWaitAndRetry);
    EXPECT_FALSE(popup.autoClose.running);
}

TEST_F(ViewerWalkTest, InstallOfferWithCommandStopsTheTimerAndUsesOwnTexts) {
    SpyCopy command(folder, "getviewer.exe");
    const ViewerWalkResult r = Walk("ViewerFile1=b.cvnone\nViewerMsg1=Need a viewer\nViewerCmd1=" + command.path +
                                    "\nViewerCmdClick1=viewer-setup.exe\nViewerCmdClickText1=Set it up\n"
                                    "ViewerCmdClickMsg1=Setting up\n");
    EXPECT_TRUE(r.stopTimer);
    EXPECT_EQ(WindowText(popup.row.installButton.window), "Set it up");
    EXPECT_STREQ(launch.installMessage, "Setting up");
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

TEST_F(ViewerWalkTest, TooOldViewerFailsAndAnotherProgramsBoundPasses) {
    const ViewerWalkResult r = Walk(
        "ViewerFile1=" + old.Doc("c") + "\nViewerMsg1=Viewer too old\nViewerVersion1=9.0.0.0,someone-else.exe\n" +
        "ViewerFile2=" + old.Doc("c") + "\nViewerMsg2=Viewer too old (2)\nViewerVersion2=6.0.0.0,VER_5_5_0_0.EXE\n");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "Viewer too old (2)");
}

TEST_F(ViewerWalkTest, OnlyTheFirstFailureIsToldAndLaterRulesAreNotTested) {
    SpyCopy command(folder, "getviewer.exe");
    const ViewerWalkResult r = Walk("ViewerFile1=" + good.Doc("a") +
                                    "\nViewerMsg1=m1\nViewerFile2=b.cvnone\nViewerMsg2=first failure\n"
                                    "ViewerFile3=gone.cvgood\nViewerMsg3=m3\nViewerCmd3=" + command.path + "\n");
    EXPECT_TRUE(r.failed);
    EXPECT_EQ(Status(), "first failure");
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(ViewerWalkTest, RuleListEndsAtTheFirstGap) {
    const ViewerWalkResult r =
        Walk("ViewerFile1=" + good.Doc("a") + "\nViewerMsg1=m1\nViewerFile3=b.cvnone\nViewerMsg3=after a gap\n");
    EXPECT_FALSE(r.failed);
}

}  // namespace
