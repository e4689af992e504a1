// RunCommand: the message, the topmost state, starting with and without
// waiting, the second start of the target and the re-arm of the auto-close
// timer.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup_harness.h"

using namespace harness;

namespace {

struct RunCommandTest : SpyFolderTest {
    RunCommandTest() : SpyFolderTest("runcmd") {}
    bool Topmost() const { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
};

TEST_F(RunCommandTest, WithoutWaitShowsTheMessageDropsTopmostAndArmsTheTimer) {
    SpyCopy program(folder, "tool.exe");
    Open("", "");
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ASSERT_TRUE(Topmost());
    EXPECT_FALSE(RunCommand(window, "Opening the tool", program.path.c_str(), "--a b", false));
    EXPECT_EQ(Status(), "Opening the tool");
    EXPECT_FALSE(Topmost());
    EXPECT_TRUE(popup.autoClose.running);
    EXPECT_TRUE(IsWindow(window));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exeName, "tool.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "--a b")) << records[0].commandLine;
    EXPECT_EQ(records[0].showCommand, SW_SHOWNORMAL);
}

TEST_F(RunCommandTest, EmptyMessageChangesNeitherTextNorTopmost) {
    SpyCopy program(folder, "tool.exe");
    Open("", "");
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    const std::string before = Status();
    RunCommand(window, "", program.path.c_str(), nullptr, false);
    RunCommand(window, nullptr, program.path.c_str(), nullptr, false);
    EXPECT_EQ(Status(), before);
    EXPECT_TRUE(Topmost());
    EXPECT_EQ(WaitForSpyRecords(log, 2).size(), 2u);
}

TEST_F(RunCommandTest, TimerIsNotArmedWhenHiddenOrWithoutShowTime) {
    SpyCopy program(folder, "tool.exe");
    Open("", "x nomsg");
    RunCommand(window, "x", program.path.c_str(), nullptr, false);
    EXPECT_FALSE(popup.autoClose.running);
    ShowPopupText(window, false);
    ASSERT_FALSE(popup.hidden);
    UseSettings("ShowTime=-1\n");
    RunCommand(window, "x", program.path.c_str(), nullptr, false);
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_EQ(WaitForSpyRecords(log, 2).size(), 2u);
}

TEST_F(RunCommandTest, RunningTimerKeepsItsPeriod) {
    SpyCopy program(folder, "tool.exe");
    Open("ShowTime=60\n", "");
    ArmAutoClose(window);
    // A re-arm would close the popup within the pump below. (No settings
    // text gives less than five seconds.)
    settings.ShowTime = 200;
    RunCommand(window, "x", program.path.c_str(), nullptr, false);
    EXPECT_TRUE(popup.autoClose.running);
    Pump(700);
    EXPECT_TRUE(IsWindow(window));
}

TEST_F(RunCommandTest, WaitEndsWhenTheProgramEndsEvenWithoutMessages) {
    // Hidden popup, no timer: nothing else would wake a message wait.
    SpyClass cls(".cvrun", "CvRunFile");
    folder.File(cls.Doc("doc"));
    Open("ShowTime=-1\n", cls.Doc("doc") + " nomsg");
    SpyCopy installer(folder, "installer.exe");
    // A wait that missed the program's end would hang here until the test's
    // time runs out.
    EXPECT_TRUE(RunCommand(window, "Installing", installer.path.c_str(), "/quiet", true));
    EXPECT_FALSE(IsWindow(window));
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].exeName, "installer.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "/quiet"));
    EXPECT_EQ(records[1].exeName, "spy.exe");
    EXPECT_TRUE(Contains(records[1].commandLine, cls.Doc("doc")));
    EXPECT_EQ(Status(), "Installing") << "without Message the installer's text stays";
}

TEST_F(RunCommandTest, FailedSecondStartKeepsThePopupAndArmsTheTimer) {
    Open("Message=Back again\n", "still-missing.cvrun");
    SpyCopy installer(folder, "installer.exe");
    EXPECT_FALSE(RunCommand(window, "Installing", installer.path.c_str(), nullptr, true));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(Status(), "Back again");
    EXPECT_TRUE(popup.autoClose.running);
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

TEST_F(RunCommandTest, ProgramThatCannotStartIsNotWaitedFor) {
    SpyClass cls(".cvrun", "CvRunFile");
    folder.File(cls.Doc("doc"));
    Open("", cls.Doc("doc"));
    EXPECT_FALSE(RunCommand(window, "Installing", (folder.path + "no-installer.exe").c_str(), nullptr, true));
    EXPECT_TRUE(IsWindow(window));
    EXPECT_TRUE(popup.autoClose.running);
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty()) << "the target is started again only after a waited-for program";
}

TEST_F(RunCommandTest, PopupMessagesAreServedWhileWaiting) {
    SpyCopy installer(folder, "installer.exe");
    const std::string hold = folder.File("hold.flag");
    EnvVar holdVar("CORVANE_SPY_HOLD", hold);
    Open("", "missing.cvrun");
    // Paint and timers reach the popup during the wait; the test's own timer
    // releases the installer.
    static std::string holdPath;
    static bool popupAliveInWait;
    static HWND popupWindow;
    holdPath = hold;
    popupAliveInWait = false;
    popupWindow = window;
    // Timer procedures are stdcall on 32-bit Windows; a plain lambda is not.
    SetTimer(nullptr, 0, 300, [](HWND, UINT, UINT_PTR id, DWORD) __attribute__((stdcall)) {
        KillTimer(nullptr, id);
        popupAliveInWait = IsWindow(popupWindow) && IsWindowVisible(popupWindow);
        InvalidateRect(popupWindow, nullptr, TRUE);
        UpdateWindow(popupWindow);
        DeleteFileA(holdPath.c_str());
    });
    EXPECT_FALSE(RunCommand(window, "Installing", installer.path.c_str(), nullptr, true));
    EXPECT_EQ(GetFileAttributesA(hold.c_str()), INVALID_FILE_ATTRIBUTES)
        << "returned before the timer served in the wait released the installer";
    EXPECT_TRUE(popupAliveInWait);
}

}  // namespace
