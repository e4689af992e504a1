// Starting the main target and menu entries: failures turned into status
// texts, exit codes and Install offers; the no-viewer command with and
// without waiting; show commands; special parameters; conditions; verb targets.
#include <windows.h>

#include <gtest/gtest.h>

#include "conditions/condition.h"
#include "conditions/version_bound.h"
#include "popup_harness.h"
#include "run/cmdline.h"

using namespace harness;

namespace {

const char kNoViewerText[] = "You need to install a suitable viewer program for this type of file";

struct StartTargetTest : SpyFolderTest {
    StartTargetTest() : SpyFolderTest("start") {}
    void SetUp() override {
        SpyFolderTest::SetUp();
        if (HasFatalFailure()) return;
        window = CreatePopup();
        ASSERT_TRUE(window);
    }
    // The popup is left to the process's end: hiding a shown window costs
    // about two seconds under Wine without a window manager.
    void ArmTimerAsStartSequence() {
        popup.autoCloseTimer = SetTimer(window, kAutoCloseTimer, 15000, nullptr);
        popup.autoCloseRunning = true;
    }
};

TEST_F(StartTargetTest, MissingTargetShowsSystemTextExitButtonAndStopsTimer) {
    ArmTimerAsStartSequence();
    UseTarget("absent.cvst");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(run.exitCode, 2);
    const std::string status = Status();
    EXPECT_EQ(status.rfind("Could not start absent.cvst (", 0), 0u) << status;
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status.back(), ')');
    EXPECT_NE(status[status.size() - 2], ' ') << "line breaks of the system text must not remain";
    EXPECT_EQ(status.find('\n'), std::string::npos);
    EXPECT_FALSE(Contains(status, kNoViewerText));
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_TRUE(InFocusList(popup.exitButton.window));
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_FALSE(popup.autoCloseRunning);
    EXPECT_FALSE(launch.startInProgress);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(StartTargetTest, NoAssociationWithoutNoViewerSettingsNamesTheReason) {
    ArmTimerAsStartSequence();
    folder.File("doc.cvnone");
    UnregisterFileClass(".cvnone", "CvNoneFile");
    UseTarget("doc.cvnone");
    EXPECT_FALSE(StartTarget(window));
    // Windows: result 31 with last error 1155; Wine: 31 with last error 193.
    EXPECT_EQ(run.exitCode, 31);
    EXPECT_EQ(Status(), std::string("Could not start doc.cvnone (") + kNoViewerText + ")");
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_FALSE(popup.autoCloseRunning);
}

TEST_F(StartTargetTest, NoViewerMessageAndInstallOffer) {
    ArmTimerAsStartSequence();
    folder.File("doc.cvnone");
    UseTarget("doc.cvnone");
    Copy(settings.NoViewerMsg, kTextCap, "Get a viewer first");
    Copy(settings.NoViewerCmdClick, kTextCap, "setup.exe");
    Copy(settings.NoViewerCmdClickParam, kTextCap, "/for %1 /q");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "Get a viewer first");
    ASSERT_TRUE(popup.installButton.exists);
    EXPECT_EQ(WindowText(popup.installButton.window), "Install viewer");
    EXPECT_STREQ(launch.installProgram, "setup.exe");
    EXPECT_STREQ(launch.installParameters, "/for doc.cvnone /q");
    EXPECT_STREQ(launch.installMessage, "Starting setup.exe");
    EXPECT_TRUE(launch.installWaitAndRetry);
    EXPECT_FALSE(popup.autoCloseRunning);
    EXPECT_EQ(GetFocus(), popup.exitButton.window);
}

TEST_F(StartTargetTest, InstallOfferTakesCaptionMessageAndRetryFlagFromSettings) {
    folder.File("doc.cvnone");
    UseTarget("doc.cvnone");
    Copy(settings.NoViewerCmdClick, kTextCap, "setup.exe");
    Copy(settings.NoViewerCmdClickText, kTextCap, "Get it now");
    Copy(settings.NoViewerCmdClickMsg, kTextCap, "Installing the viewer");
    settings.retryShow = false;
    EXPECT_FALSE(StartTarget(window));
    // Without NoViewerMsg the failure text stays the composed one.
    EXPECT_EQ(Status(), std::string("Could not start doc.cvnone (") + kNoViewerText + ")");
    ASSERT_TRUE(popup.installButton.exists);
    EXPECT_EQ(WindowText(popup.installButton.window), "Get it now");
    EXPECT_STREQ(launch.installMessage, "Installing the viewer");
    EXPECT_STREQ(launch.installParameters, "");
    EXPECT_FALSE(launch.installWaitAndRetry);
}

TEST_F(StartTargetTest, NoViewerCommandWithoutRetryRunsAtOnceAndKeepsTheTimer) {
    SpyCopy command(folder, "nvcmd.exe");
    folder.File("doc.cvnone");
    UseTarget("doc.cvnone");
    Copy(settings.NoViewerMsg, kTextCap, "Fetching a viewer");
    Copy(settings.NoViewerCmd, kTextCap, command.path);
    Copy(settings.NoViewerCmdParam, kTextCap, "--doc %1");
    settings.retryShow = false;
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "Fetching a viewer");
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exeName, "nvcmd.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "--doc doc.cvnone")) << records[0].commandLine;
    // The command ran, so the popup closes by itself: RunCommand armed the
    // timer that was not running, and the failure did not stop it.
    EXPECT_TRUE(popup.autoCloseRunning);
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_EQ(run.exitCode, 31);
}

TEST_F(StartTargetTest, NoViewerCommandWithEmptyMessageLeavesAnEmptyStatusText) {
    SpyCopy command(folder, "nvcmd.exe");
    folder.File("doc.cvnone");
    UseTarget("doc.cvnone");
    Copy(settings.NoViewerCmd, kTextCap, command.path);
    settings.retryShow = false;
    run.nomsgOption = true;  // hidden: no timer is armed after the command
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(popup.autoCloseRunning);
    EXPECT_FALSE(run.nomsgOption) << "a failure shows the hidden popup";
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

// --- the waited-for no-viewer command -----------------------------------

// The class that the "installer" registers while the start waits for it.
std::string LateExtension() { return PerProcess(".cvlate"); }
std::string LateClass() { return PerProcess("CvLateFile"); }
std::string LateDoc() { return "doc" + LateExtension(); }

struct WaitObservation {
    std::string holdPath;
    std::string logPath;
    std::string spyCommand;
    HWND window = nullptr;
    bool seen = false;
    bool inProgress = false;
    bool windowAlive = false;
    size_t recordsDuringWait = 0;
    std::string statusDuringWait;
    int quitCode = -1;  // >= 0: post a quit instead of letting the installer end
} observation;

void CALLBACK WhileInstallerRuns(HWND, UINT, UINT_PTR id, DWORD) {
    if (ReadSpyLog(observation.logPath).empty()) return;  // installer not up yet
    KillTimer(nullptr, id);
    observation.seen = true;
    observation.inProgress = launch.startInProgress;
    observation.windowAlive = IsWindow(observation.window) != 0;
    observation.recordsDuringWait = ReadSpyLog(observation.logPath).size();
    observation.statusDuringWait = Status();
    // The close box only beeps while the start is in progress.
    SendMessageA(observation.window, WM_CLOSE, 0, 0);
    if (observation.quitCode >= 0) {
        PostQuitMessage(observation.quitCode);
        return;
    }
    // "Install" the viewer, then let the installer end.
    RegisterFileClass(LateExtension(), LateClass(), "Late", "open", observation.spyCommand);
    DeleteFileA(observation.holdPath.c_str());
}

struct WaitedCommandTest : StartTargetTest {
    SpyCopy installer{folder, "installer.exe"};
    std::string hold;
    void SetUp() override {
        StartTargetTest::SetUp();
        hold = folder.File("hold.flag");
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
        folder.File(LateDoc());
        UnregisterFileClass(LateExtension(), LateClass());
        UseTarget(LateDoc());
        Copy(settings.NoViewerMsg, kTextCap, "Installing a viewer");
        Copy(settings.NoViewerCmd, kTextCap, installer.path);
        Copy(settings.NoViewerCmdParam, kTextCap, "%1");
        settings.retryShow = true;
        observation = WaitObservation();
        observation.holdPath = hold;
        observation.logPath = log;
        observation.spyCommand = "\"" + TestToolPath("spy.exe") + "\" \"%1\"";
        observation.window = window;
        SetTimer(nullptr, 0, 100, WhileInstallerRuns);
    }
    void TearDown() override {
        DeleteFileA(hold.c_str());
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", nullptr);
        UnregisterFileClass(LateExtension(), LateClass());
    }
};

TEST_F(WaitedCommandTest, WaitsForTheInstallerThenStartsTheTargetAgainAndCloses) {
    Copy(settings.Message, kTextCap, "Welcome");
    run.textAfterOptions = "Welcome";
    SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
    EXPECT_TRUE(StartTarget(window));
    ASSERT_TRUE(observation.seen) << "the nested wait did not dispatch the test's timer";
    EXPECT_TRUE(observation.inProgress);
    EXPECT_TRUE(observation.windowAlive) << "WM_CLOSE during a start must only beep";
    EXPECT_EQ(observation.recordsDuringWait, 1u);
    EXPECT_EQ(observation.statusDuringWait, "Installing a viewer");
    EXPECT_FALSE(launch.startInProgress);
    EXPECT_FALSE(IsWindow(window)) << "a successful second start closes the popup";
    EXPECT_EQ(run.exitCode, 31) << "a later successful start does not reset the failure's code";
    EXPECT_EQ(Status(), "Welcome") << "Message is shown again after the installer";
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[0].exeName, "installer.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, LateDoc()));
    EXPECT_EQ(records[1].exeName, "spy.exe");
    EXPECT_TRUE(Contains(records[1].commandLine, LateDoc()));
    EXPECT_EQ(records[1].showCommand, SW_SHOWNORMAL);
    EXPECT_GE(records[1].timeMs, records[0].timeMs);
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(WaitedCommandTest, MessageOfOnlyOptionsRestoresTheSettledStatusText) {
    Copy(settings.Message, kTextCap, "-max");
    run.textAfterOptions = nullptr;
    run.statusText = BuildStatusText(LateDoc().c_str(), "");  // what start-up settled
    run.maxOption = true;
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(Status(), "Starting " + LateDoc() + "... ");
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].showCommand, SW_SHOWMAXIMIZED) << "the repeated start honours -max";
}

TEST_F(WaitedCommandTest, QuitDuringTheWaitEndsItAndIsPostedAgain) {
    observation.quitCode = 7;
    EXPECT_FALSE(StartTarget(window));
    ASSERT_TRUE(observation.seen);
    EXPECT_TRUE(IsWindow(window));
    // No second start; the failure is told with the no-viewer message.
    EXPECT_EQ(ReadSpyLog(log).size(), 1u);
    EXPECT_EQ(Status(), "Installing a viewer");
    EXPECT_EQ(run.exitCode, 31) << "without a second start the failure stays the outcome";
    EXPECT_FALSE(popup.autoCloseRunning) << "no timer is armed after a quit";
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code)) << "the main loop must still see the quit";
    EXPECT_EQ(code, 7);
    DeleteFileA(hold.c_str());
}

// --- show commands, special parameters, conditions, version ---------------

TEST_F(StartTargetTest, ShowCommandFollowsMaxAndMinAndMaxWins) {
    SpyClass cls(".cvshow", "CvShowFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    const struct {
        bool max, min;
        int expected;
    } cases[] = {{false, false, SW_SHOWNORMAL}, {true, false, SW_SHOWMAXIMIZED}, {false, true, SW_SHOWMINIMIZED},
                 {true, true, SW_SHOWMAXIMIZED}};
    size_t n = 0;
    for (const auto& c : cases) {
        run.maxOption = c.max;
        run.minOption = c.min;
        EXPECT_TRUE(StartTarget(window));
        const auto records = WaitForSpyRecords(log, ++n);
        ASSERT_EQ(records.size(), n);
        EXPECT_EQ(records.back().showCommand, c.expected) << "max " << c.max << " min " << c.min;
    }
    EXPECT_EQ(run.exitCode, 0);
}

TEST_F(StartTargetTest, MaxWaitsAndMaximisesTheForegroundWindow) {
    SpyClass cls(".cvshow", "CvShowFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    HWND other = CreateWindowExA(0, "CvHarnessPopup", "Started document", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                 200, 100, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    Pump(100);
    if (GetForegroundWindow() != other) GTEST_SKIP() << "no foreground control on this display";
    run.maxOption = true;
    EXPECT_TRUE(StartTarget(window));
    EXPECT_TRUE(IsZoomed(other));
    EXPECT_FALSE(IsZoomed(window));
    DestroyWindow(other);
}

TEST_F(StartTargetTest, SpecialParametersStartTheFoundProgramDirectly) {
    SpyClass cls(".cvspec", "CvSpecFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    Copy(settings.SpecialParam, kTextCap, "SPY.EXE,-open %f -full %F");
    settings.SpecialParam[7] = '\0';
    settings.specialProgram = settings.SpecialParam;
    settings.specialParameters = settings.SpecialParam + 8;
    Copy(settings.Param, kTextCap, "-ignored");
    EXPECT_TRUE(StartTarget(window));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    const std::string& line = records[0].commandLine;
    EXPECT_TRUE(Contains(line, "-open " + cls.Doc("doc") + " -full " + folder.path + cls.Doc("doc"))) << line;
    EXPECT_FALSE(Contains(line, "-ignored")) << line;
    EXPECT_FALSE(Contains(line, "\"" + cls.Doc("doc") + "\"")) << "the class command must not be used: " << line;
}

TEST_F(StartTargetTest, SpecialParametersForAnotherProgramAreNotUsed) {
    SpyClass cls(".cvspec", "CvSpecFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    Copy(settings.SpecialParam, kTextCap, "viewer.exe,-open %f");
    settings.SpecialParam[10] = '\0';
    settings.specialProgram = settings.SpecialParam;
    settings.specialParameters = settings.SpecialParam + 11;
    EXPECT_TRUE(StartTarget(window));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, cls.Doc("doc")));
    EXPECT_FALSE(Contains(records[0].commandLine, "-open"));
}

TEST_F(StartTargetTest, FalseConditionStartsAndShowsNothing) {
    SpyClass cls(".cvcond", "CvCondFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    char text[] = "f?no-such-file.txt?";
    ASSERT_TRUE(ParseCondition(text, settings.FilenameCondition));
    const std::string before = Status();
    EXPECT_TRUE(StartTarget(window));
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(Status(), before);
    EXPECT_FALSE(popup.exitButton.exists);

    // The same condition on a file that exists lets the start happen.
    folder.File("no-such-file.txt");
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

TEST_F(StartTargetTest, ViewerTooOldIsTheNoViewerCaseWithExitCodeMinusOne) {
    SpyClass cls(".cvver", "CvVerFile", "ver_5_5_0_0.exe");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    char bound[] = "6.0.0.0";
    ASSERT_TRUE(ParseVersionBound(settings.NoViewerVersion, bound));
    Copy(settings.NoViewerCmdClick, kTextCap, "update.exe");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(run.exitCode, -1);
    EXPECT_EQ(Status(), "Could not start " + cls.Doc("doc") + " (" + kNoViewerText + ")");
    EXPECT_TRUE(popup.installButton.exists);
}

TEST_F(StartTargetTest, ViewerVersionThatIsMetOrNamesAnotherProgramStarts) {
    SpyClass cls(".cvver", "CvVerFile", "ver_5_5_0_0.exe");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    char met[] = "5.5.0.0";
    ASSERT_TRUE(ParseVersionBound(settings.NoViewerVersion, met));
    EXPECT_TRUE(StartTarget(window));
    settings.NoViewerVersion.Clear();
    char other[] = "9.0.0.0,other.exe";
    ASSERT_TRUE(ParseVersionBound(settings.NoViewerVersion, other));
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(popup.exitButton.exists);
}

// --- verb targets -----------------------------------------------------------

TEST_F(StartTargetTest, VerbTargetWithoutClassIsTheNoViewerCaseAndKeepsTheTarget) {
    DeleteClassesRootTree("CvNoSuchClass");
    UseTarget("~CvNoSuchClass~print~x.txt");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(run.exitCode, -2);
    EXPECT_EQ(Status(), std::string("Could not start ~CvNoSuchClass (") + kNoViewerText + ")");
    EXPECT_STREQ(run.target, "~CvNoSuchClass~print~x.txt") << "a second start must see the whole verb target";
}

TEST_F(StartTargetTest, VerbTargetStartsTheClassCommandEveryTime) {
    SpyClass cls("", "CvVerbClass");
    RegisterFileClass("", cls.className, "Verb", "view", "\"" + TestToolPath("spy.exe") + "\" \"%1\"");
    UseTarget("~" + cls.className + "~view~operand.txt");
    EXPECT_TRUE(StartTarget(window));
    EXPECT_TRUE(StartTarget(window));
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    for (const auto& r : records) EXPECT_TRUE(Contains(r.commandLine, "operand.txt")) << r.commandLine;
}

TEST_F(StartTargetTest, NoTargetStartsNothing) {
    run.target = nullptr;
    const std::string before = Status();
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(popup.exitButton.exists);
    EXPECT_FALSE(launch.startInProgress);
}

// --- menu entries -------------------------------------------------------------

TEST_F(StartTargetTest, MenuEntryStartsNormallyAndReportsOnlyByResult) {
    SpyClass cls(".cvmenu", "CvMenuFile");
    folder.File(cls.Doc("doc"));
    Condition always;
    run.maxOption = true;  // the options are for the main run.target only
    std::string entry = cls.Doc("doc");
    EXPECT_TRUE(StartMenuEntry(window, &entry[0], "", nullptr, nullptr, always));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].showCommand, SW_SHOWNORMAL);

    std::string missing = cls.Doc("missing");
    const std::string before = Status();
    EXPECT_FALSE(StartMenuEntry(window, &missing[0], nullptr, nullptr, nullptr, always));
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(popup.exitButton.exists);
}

TEST_F(StartTargetTest, MenuEntryConditionAndSpecialProgram) {
    SpyClass cls(".cvmenu", "CvMenuFile");
    folder.File(cls.Doc("doc"));
    Condition never;
    char text[] = "f?absent.txt?";
    ASSERT_TRUE(ParseCondition(text, never));
    std::string entry = cls.Doc("doc");
    EXPECT_FALSE(StartMenuEntry(window, &entry[0], nullptr, nullptr, nullptr, never));
    Pump(200);
    EXPECT_TRUE(ReadSpyLog(log).empty());

    Condition always;
    EXPECT_TRUE(StartMenuEntry(window, &entry[0], "-x", "Spy.Exe", "/f=%f", always));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, "/f=" + cls.Doc("doc"))) << records[0].commandLine;
}

TEST_F(StartTargetTest, MenuVerbEntryIsTrueWhateverTheLookupGivesAndKeepsItsText) {
    DeleteClassesRootTree("CvNoSuchClass");
    Condition always;
    char entry[] = "~CvNoSuchClass~open~x";
    EXPECT_TRUE(StartMenuEntry(window, &entry[0], nullptr, nullptr, nullptr, always));
    EXPECT_STREQ(entry, "~CvNoSuchClass~open~x");
    EXPECT_EQ(run.exitCode, 0);
}

}  // namespace
