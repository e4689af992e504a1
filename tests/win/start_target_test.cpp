// Starting the main target and menu entries: failures turned into status
// texts, exit codes and Install offers; the no-viewer command with and
// without waiting; show commands; special parameters; conditions; verb
// targets; names too long for the shell.
#include <windows.h>

#include <gtest/gtest.h>

#include "conditions/condition.h"
#include "popup_harness.h"

using namespace harness;

namespace {

const char kNoViewerText[] = "You need to install a suitable viewer program for this type of file";

struct StartTargetTest : SpyFolderTest {
    StartTargetTest() : SpyFolderTest("start") {}
    // The start sequence's timer, which a told failure stops. The popup is
    // left to the process's end: hiding a shown window costs about two
    // seconds under Wine without a window manager.
    void OpenStarted(const std::string& settingsLines, const std::string& commandLine) {
        Open(settingsLines, commandLine);
        ArmAutoClose(window);
        ASSERT_TRUE(popup.autoClose.running);
    }
};

TEST_F(StartTargetTest, MissingTargetShowsSystemTextExitButtonAndStopsTimer) {
    OpenStarted("", "absent.cvst");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(popup.exitCode, 2);
    const std::string status = Status();
    EXPECT_EQ(status.rfind("Could not start absent.cvst (", 0), 0u) << status;
    ASSERT_GE(status.size(), 2u);
    EXPECT_EQ(status.back(), ')');
    EXPECT_NE(status[status.size() - 2], ' ') << "line breaks of the system text must not remain";
    EXPECT_EQ(status.find('\n'), std::string::npos);
    EXPECT_FALSE(Contains(status, kNoViewerText));
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_TRUE(InFocusList(popup.row.exitButton.window));
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_FALSE(launch.startInProgress);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(StartTargetTest, NoAssociationWithoutNoViewerSettingsNamesTheReason) {
    folder.File("doc.cvnone");
    UnregisterFileClass(".cvnone", "CvNoneFile");
    OpenStarted("", "doc.cvnone");
    EXPECT_FALSE(StartTarget(window));
    // Windows: result 31 with last error 1155; Wine: 31 with last error 193.
    EXPECT_EQ(popup.exitCode, 31);
    EXPECT_EQ(Status(), std::string("Could not start doc.cvnone (") + kNoViewerText + ")");
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_FALSE(popup.autoClose.running);
}

TEST_F(StartTargetTest, NoViewerMessageAndInstallOffer) {
    folder.File("doc.cvnone");
    OpenStarted("NoViewerMsg=Get a viewer first\nNoViewerCmdClick=setup.exe\nNoViewerCmdClickParam=/for %1 /q\n",
                "doc.cvnone");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "Get a viewer first");
    ASSERT_TRUE(popup.row.installButton.exists);
    EXPECT_EQ(WindowText(popup.row.installButton.window), "Install viewer");
    EXPECT_STREQ(launch.installProgram, "setup.exe");
    EXPECT_STREQ(launch.installParameters, "/for doc.cvnone /q");
    EXPECT_STREQ(launch.installMessage, "Starting setup.exe");
    EXPECT_TRUE(launch.installWaitAndRetry);
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_EQ(GetFocus(), popup.row.exitButton.window);
}

TEST_F(StartTargetTest, InstallOfferTakesCaptionMessageAndRetryFlagFromSettings) {
    folder.File("doc.cvnone");
    Open("NoViewerCmdClick=setup.exe\nNoViewerCmdClickText=Get it now\nNoViewerCmdClickMsg=Installing the viewer\n"
         "NoViewerCmdClickRetryShow=off\n",
         "doc.cvnone");
    EXPECT_FALSE(StartTarget(window));
    // Without NoViewerMsg the failure text stays the composed one.
    EXPECT_EQ(Status(), std::string("Could not start doc.cvnone (") + kNoViewerText + ")");
    ASSERT_TRUE(popup.row.installButton.exists);
    EXPECT_EQ(WindowText(popup.row.installButton.window), "Get it now");
    EXPECT_STREQ(launch.installMessage, "Installing the viewer");
    EXPECT_STREQ(launch.installParameters, "");
    EXPECT_FALSE(launch.installWaitAndRetry);
}

TEST_F(StartTargetTest, NoViewerCommandWithoutRetryRunsAtOnceAndKeepsTheTimer) {
    SpyCopy command(folder, "nvcmd.exe");
    folder.File("doc.cvnone");
    Open("NoViewerMsg=Fetching a viewer\nNoViewerCmd=" + command.path +
             "\nNoViewerCmdParam=--doc %1\nNoViewerCmdClickRetryShow=no\n",
         "doc.cvnone");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "Fetching a viewer");
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].exeName, "nvcmd.exe");
    EXPECT_TRUE(Contains(records[0].commandLine, "--doc doc.cvnone")) << records[0].commandLine;
    // The command ran, so the popup closes by itself: RunCommand armed the
    // timer that was not running, and the failure did not stop it.
    EXPECT_TRUE(popup.autoClose.running);
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_EQ(popup.exitCode, 31);
}

TEST_F(StartTargetTest, NoViewerCommandWithEmptyMessageLeavesAnEmptyStatusText) {
    SpyCopy command(folder, "nvcmd.exe");
    folder.File("doc.cvnone");
    // Hidden: no timer is armed after the command.
    Open("NoViewerCmd=" + command.path + "\nNoViewerCmdClickRetryShow=false\n", "doc.cvnone nomsg");
    ASSERT_TRUE(popup.hidden);
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), "");
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_FALSE(popup.hidden) << "a failure shows the hidden popup";
    EXPECT_TRUE(IsWindowVisible(window));
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
    void Begin(const std::string& moreSettings) {
        hold = folder.File("hold.flag");
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
        folder.File(LateDoc());
        UnregisterFileClass(LateExtension(), LateClass());
        Open("NoViewerMsg=Installing a viewer\nNoViewerCmd=" + installer.path + "\nNoViewerCmdParam=%1\n" +
                 moreSettings,
             LateDoc());
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
    Begin("Message=Welcome\n");
    EXPECT_TRUE(StartTarget(window));
    ASSERT_TRUE(observation.seen) << "the nested wait did not dispatch the test's timer";
    EXPECT_TRUE(observation.inProgress);
    EXPECT_TRUE(observation.windowAlive) << "WM_CLOSE during a start must only beep";
    EXPECT_EQ(observation.recordsDuringWait, 1u);
    EXPECT_EQ(observation.statusDuringWait, "Installing a viewer");
    EXPECT_FALSE(launch.startInProgress);
    EXPECT_FALSE(IsWindow(window)) << "a successful second start closes the popup";
    EXPECT_EQ(popup.exitCode, 31) << "a later successful start does not reset the failure's code";
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
    Begin("Message=-max\n");
    ASSERT_TRUE(run.maxOption);
    ASSERT_EQ(std::string(run.statusText).rfind("Starting " + LateDoc(), 0), 0u);
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(Status(), std::string(run.statusText));
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_EQ(records[1].showCommand, SW_SHOWMAXIMIZED) << "the repeated start honours -max";
}

TEST_F(WaitedCommandTest, QuitDuringTheWaitEndsItAndIsPostedAgain) {
    Begin("");
    observation.quitCode = 7;
    EXPECT_FALSE(StartTarget(window));
    ASSERT_TRUE(observation.seen);
    EXPECT_TRUE(IsWindow(window));
    // No second start; the failure is told with the no-viewer message.
    EXPECT_EQ(ReadSpyLog(log).size(), 1u);
    EXPECT_EQ(Status(), "Installing a viewer");
    EXPECT_EQ(popup.exitCode, 31) << "without a second start the failure stays the outcome";
    EXPECT_FALSE(popup.autoClose.running) << "no timer is armed after a quit";
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code)) << "the main loop must still see the quit";
    EXPECT_EQ(code, 7);
    DeleteFileA(hold.c_str());
}

// --- show commands, special parameters, conditions, version ---------------

TEST_F(StartTargetTest, ShowCommandFollowsMaxAndMinAndMaxWins) {
    SpyClass cls(".cvshow", "CvShowFile");
    folder.File(cls.Doc("doc"));
    Open("", cls.Doc("doc"));
    const struct {
        const char* options;
        int expected;
    } cases[] = {{"", SW_SHOWNORMAL}, {"-max ", SW_SHOWMAXIMIZED}, {"-min ", SW_SHOWMINIMIZED},
                 {"-max -min ", SW_SHOWMAXIMIZED}};
    size_t n = 0;
    for (const auto& c : cases) {
        // Settled again for the same popup; a message after the options
        // leaves the status text settled first as it is.
        Settle(cls.Doc("doc") + " " + c.options + "go");
        EXPECT_TRUE(StartTarget(window));
        const auto records = WaitForSpyRecords(log, ++n);
        ASSERT_EQ(records.size(), n);
        EXPECT_EQ(records.back().showCommand, c.expected) << c.options;
    }
    EXPECT_EQ(popup.exitCode, 0);
}

TEST_F(StartTargetTest, MaxWaitsAndMaximisesTheForegroundWindow) {
    SpyClass cls(".cvshow", "CvShowFile");
    folder.File(cls.Doc("doc"));
    Open("", cls.Doc("doc") + " -max");
    HWND other = CreateWindowExA(0, "STATIC", "Started document", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50, 200, 100,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(other);
    SetForegroundWindow(other);
    Pump(100);
    if (GetForegroundWindow() != other) GTEST_SKIP() << "no foreground control on this display";
    EXPECT_TRUE(StartTarget(window));
    EXPECT_TRUE(IsZoomed(other));
    EXPECT_FALSE(IsZoomed(window));
    DestroyWindow(other);
}

TEST_F(StartTargetTest, SpecialParametersStartTheFoundProgramDirectly) {
    SpyClass cls(".cvspec", "CvSpecFile");
    folder.File(cls.Doc("doc"));
    Open("SpecialParam=SPY.EXE,-open %f -full %F\nParam=-ignored\n", cls.Doc("doc"));
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
    Open("SpecialParam=viewer.exe,-open %f\n", cls.Doc("doc"));
    EXPECT_TRUE(StartTarget(window));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, cls.Doc("doc")));
    EXPECT_FALSE(Contains(records[0].commandLine, "-open"));
}

TEST_F(StartTargetTest, FalseConditionStartsAndShowsNothing) {
    SpyClass cls(".cvcond", "CvCondFile");
    folder.File(cls.Doc("doc"));
    Open("FilenameCondition=f?no-such-file.txt?\n", cls.Doc("doc"));
    const std::string before = Status();
    EXPECT_TRUE(StartTarget(window));
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_EQ(popup.exitCode, 0);
    EXPECT_EQ(Status(), before);
    EXPECT_FALSE(popup.row.exitButton.exists);

    // The same condition on a file that exists lets the start happen.
    folder.File("no-such-file.txt");
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
}

TEST_F(StartTargetTest, ViewerTooOldIsTheNoViewerCaseWithExitCodeMinusOne) {
    SpyClass cls(".cvver", "CvVerFile", "ver_5_5_0_0.exe");
    folder.File(cls.Doc("doc"));
    Open("NoViewerVersion=6.0.0.0\nNoViewerCmdClick=update.exe\n", cls.Doc("doc"));
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(popup.exitCode, -1);
    EXPECT_EQ(Status(), "Could not start " + cls.Doc("doc") + " (" + kNoViewerText + ")");
    EXPECT_TRUE(popup.row.installButton.exists);
}

TEST_F(StartTargetTest, ViewerVersionThatIsMetOrNamesAnotherProgramStarts) {
    SpyClass cls(".cvver", "CvVerFile", "ver_5_5_0_0.exe");
    folder.File(cls.Doc("doc"));
    Open("NoViewerVersion=5.5.0.0\n", cls.Doc("doc"));
    EXPECT_TRUE(StartTarget(window));
    UseSettings("NoViewerVersion=9.0.0.0,other.exe\n");
    ASSERT_TRUE(settings.NoViewerVersion.set);
    EXPECT_TRUE(StartTarget(window));
    EXPECT_EQ(popup.exitCode, 0);
    EXPECT_FALSE(popup.row.exitButton.exists);
}

// --- verb targets -----------------------------------------------------------

TEST_F(StartTargetTest, VerbTargetWithoutClassIsTheNoViewerCaseAndKeepsTheTarget) {
    DeleteClassesRootTree("CvNoSuchClass");
    Open("", "~CvNoSuchClass~print~x.txt");
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(popup.exitCode, -2);
    EXPECT_EQ(Status(), std::string("Could not start ~CvNoSuchClass (") + kNoViewerText + ")");
    EXPECT_STREQ(run.target, "~CvNoSuchClass~print~x.txt") << "a second start must see the whole verb target";
}

TEST_F(StartTargetTest, VerbTargetStartsTheClassCommandEveryTime) {
    SpyClass cls("", "CvVerbClass");
    RegisterFileClass("", cls.className, "Verb", "view", "\"" + TestToolPath("spy.exe") + "\" \"%1\"");
    Open("", "~" + cls.className + "~view~operand.txt");
    EXPECT_TRUE(StartTarget(window));
    EXPECT_TRUE(StartTarget(window));
    const auto records = WaitForSpyRecords(log, 2);
    ASSERT_EQ(records.size(), 2u);
    for (const auto& r : records) EXPECT_TRUE(Contains(r.commandLine, "operand.txt")) << r.commandLine;
}

TEST_F(StartTargetTest, NoTargetStartsNothing) {
    Open("", "");
    ASSERT_EQ(run.target, nullptr);
    const std::string before = Status();
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(popup.exitCode, 0);
    EXPECT_FALSE(popup.row.exitButton.exists);
    EXPECT_FALSE(launch.startInProgress);
}

// --- names the shell does not take ------------------------------------------

// A name of `characters` characters, most of them two bytes long in UTF-8.
std::string GreekName(size_t characters) {
    std::string name;
    for (size_t i = 4; i < characters; ++i) name += "\xCE\xB1";  // α
    return name + ".cvx";
}

TEST_F(StartTargetTest, NamesLongerThanTheShellTakesAreRefusedBeforeItAndTold) {
    // Counted in characters: a path of 259 goes to the shell, one more does
    // not; an address may be longer, up to 960; a "file:" address is a path.
    const std::string address = "cvnosuchscheme:" + std::string(960 - 15, 'a');
    for (const std::string& name : {GreekName(259), address}) {
        const StartOutcome asked = ShellOpen(nullptr, name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EXPECT_EQ(asked.kind, StartOutcome::Failed);
        EXPECT_NE(asked.code, 0) << "the shell was not asked about " << name.size() << " bytes";
    }
    for (const std::string& name :
         {GreekName(260), address + "a", "file:///" + std::string(260 - 8, 'a'), "cvnosuchscheme:" + std::string(5000, 'a')}) {
        const StartOutcome refused = ShellOpen(nullptr, name.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        EXPECT_EQ(refused.kind, StartOutcome::Failed);
        EXPECT_EQ(refused.code, 0);
        EXPECT_EQ(refused.error, (DWORD)ERROR_FILENAME_EXCED_RANGE);
    }
    const std::string tooLong = GreekName(260);
    OpenStarted("", tooLong);
    EXPECT_FALSE(StartTarget(window));
    EXPECT_EQ(popup.exitCode, -1);
    wchar_t reason[256] = L"";
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_MAX_WIDTH_MASK, nullptr,
                   ERROR_FILENAME_EXCED_RANGE, 0, reason, 256, nullptr);
    std::string said = Utf8Of(reason);
    while (!said.empty() && said.back() == ' ') said.pop_back();
    ASSERT_FALSE(said.empty());
    EXPECT_EQ(Status(), "Could not start " + tooLong + " (" + said + ")");
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

// --- menu entries -------------------------------------------------------------

TEST_F(StartTargetTest, MenuEntryStartsNormallyAndReportsOnlyByItsOutcome) {
    SpyClass cls(".cvmenu", "CvMenuFile");
    folder.File(cls.Doc("doc"));
    Open("", "main.cvmenu -max");  // the options are for the main target only
    Condition always;
    EXPECT_EQ(StartMenuEntry(window, cls.Doc("doc").c_str(), "", nullptr, nullptr, always).kind, StartOutcome::Started);
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].showCommand, SW_SHOWNORMAL);

    const std::string before = Status();
    const StartOutcome missing = StartMenuEntry(window, cls.Doc("missing").c_str(), nullptr, nullptr, nullptr, always);
    EXPECT_EQ(missing.kind, StartOutcome::Failed);
    EXPECT_EQ(missing.code, 2);
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(popup.exitCode, 0);
    EXPECT_FALSE(popup.row.exitButton.exists);
}

TEST_F(StartTargetTest, MenuEntryConditionAndSpecialProgram) {
    SpyClass cls(".cvmenu", "CvMenuFile");
    folder.File(cls.Doc("doc"));
    Open("", "");
    Condition never;
    char text[] = "f?absent.txt?";
    ASSERT_TRUE(ParseCondition(text, never));
    const std::string entry = cls.Doc("doc");
    EXPECT_EQ(StartMenuEntry(window, entry.c_str(), nullptr, nullptr, nullptr, never).kind, StartOutcome::Skipped);
    Pump(200);
    EXPECT_TRUE(ReadSpyLog(log).empty());

    Condition always;
    EXPECT_EQ(StartMenuEntry(window, entry.c_str(), "-x", "Spy.Exe", "/f=%f", always).kind, StartOutcome::Started);
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, "/f=" + cls.Doc("doc"))) << records[0].commandLine;
}

TEST_F(StartTargetTest, MenuVerbEntryWithoutClassFailsUntold) {
    DeleteClassesRootTree("CvNoSuchClass");
    Open("", "");
    const std::string before = Status();
    Condition always;
    const StartOutcome outcome = StartMenuEntry(window, "~CvNoSuchClass~open~x", nullptr, nullptr, nullptr, always);
    EXPECT_EQ(outcome.kind, StartOutcome::Failed);
    EXPECT_EQ(outcome.code, -2);
    EXPECT_EQ(Status(), before);
    EXPECT_EQ(popup.exitCode, 0);
}

}  // namespace
