// The popup's window procedure: the start sequence, the commands, the
// auto-close timer (also during a start), the web link, the system-menu item,
// the check box colours and closing when the program's medium is removed.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "conditions/condition.h"
#include "popup_harness.h"
#include "run/cmdline.h"

using namespace harness;

namespace {

HeapText Dup(const std::string& text) { return CopyToHeap(text.c_str()); }

struct WndProcTest : SpyFolderTest {
    WndProcTest() : SpyFolderTest("wndproc") {}
    void SetUp() override {
        SpyFolderTest::SetUp();
        if (HasFatalFailure()) return;
    }
    void Create(bool visible = true) {
        window = CreatePopup(visible);
        ASSERT_TRUE(window);
    }
    void Start() {
        PostMessageA(window, kStartMessage, 0, 0);
        Pump(50);
    }
    void Entry(int n, const std::string& file, bool button) {
        MenuEntry& e = settings.menu[n];
        e.present = true;
        e.Filename = Dup(file);
        e.hasButton = popup.entryOffered[n] = button;
        if (button) {
            Copy(e.Menu, kTextCap, "Entry " + std::to_string(n));
            settings.anyButton = true;
        }
    }
    bool Closed() const { return !IsWindow(window); }
};

// --- start sequence -----------------------------------------------------------

TEST_F(WndProcTest, WithoutTargetTheTimerRunsAndNothingStarts) {
    Create();
    run.targetGiven = false;
    SetPopupText(kNoParameterGiven);
    Start();
    EXPECT_TRUE(popup.autoCloseRunning);
    EXPECT_EQ(Status(), "No parameter given");
    EXPECT_FALSE(popup.exitButton.exists);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST(PopupText, KeepsItsLengthAndAMissingTextShowsTheSettledStatusTextAgain) {
    SetPopupText("Installing viewer...");
    EXPECT_EQ(Status(), "Installing viewer...");
    EXPECT_EQ(popup.popupTextLength, 20u);
    SetPopupText("");
    EXPECT_STREQ(popup.popupText, "");
    // Without a status text settled at start-up, a missing text is empty.
    run.statusText.Reset();
    SetPopupText(nullptr);
    ASSERT_NE(popup.popupText, nullptr);
    EXPECT_EQ(popup.popupTextLength, 0u);
    // A Message made only of options leaves no text after them; restoring it
    // after an installer must still show something sensible.
    char line[] = "";
    const TargetChoice choice = ChooseTargetAndOptions("guide.pdf", "-nomsg", line);
    ASSERT_EQ(choice.popupText, nullptr);
    run.statusText = BuildStatusText(choice.target, "PDF");
    SetPopupText("Installing...");
    SetPopupText(choice.popupText);
    EXPECT_EQ(Status(), "Starting guide.pdf (PDF)... ");
    // A text the popup owns stays until another replaces it.
    SetPopupText(CopyToHeap("Could not start x"));
    EXPECT_EQ(Status(), "Could not start x");
    SetPopupText(HeapText());
    EXPECT_EQ(Status(), "Could not start x") << "no memory for a new text keeps the old one";
}

TEST_F(WndProcTest, ShowTimeMinusOneArmsNoTimer) {
    settings.ShowTime = -1;
    Create();
    run.targetGiven = false;
    Start();
    EXPECT_FALSE(popup.autoCloseRunning);
    Pump(200);
    EXPECT_FALSE(Closed());
}

TEST_F(WndProcTest, ShortShowTimeClosesThePopup) {
    settings.ShowTime = 200;
    Create();
    run.targetGiven = false;
    Start();
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    EXPECT_FALSE(popup.autoCloseRunning);
}

TEST_F(WndProcTest, ConditionErrorIsShownWithoutButtonsTimerOrStart) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("doc"));
    UseTarget(cls.Doc("doc"));
    char faulty[] = "F?doc?";
    ASSERT_FALSE(ParseCondition(faulty, settings.FilenameCondition));
    Create();
    Start();
    EXPECT_EQ(Status(), "Invalid conditional");
    EXPECT_FALSE(popup.autoCloseRunning);
    EXPECT_FALSE(popup.exitButton.exists);
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(WndProcTest, EntriesWithoutCaptionStartWithTheTargetAndCaptionedOnesWait) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    folder.File(cls.Doc("one"));
    folder.File(cls.Doc("two"));
    folder.File(cls.Doc("four"));
    UseTarget(cls.Doc("main"));
    Entry(1, cls.Doc("one"), false);
    Entry(2, cls.Doc("two"), true);
    Entry(4, cls.Doc("four"), false);  // after a gap: not an entry
    Create();
    Start();
    const auto records = WaitForSpyRecords(log, 3, 1500);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(Contains(records[0].commandLine + records[1].commandLine, cls.Doc("main")));
    EXPECT_TRUE(Contains(records[0].commandLine + records[1].commandLine, cls.Doc("one")));
    EXPECT_FALSE(popup.exitButton.exists);
    EXPECT_TRUE(popup.autoCloseRunning);
}

TEST_F(WndProcTest, CaptionedMainEntryIsNotStartedByTheStartMessage) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    UseTarget(cls.Doc("main"));
    settings.mainHasButton = popup.mainOffered = true;
    settings.anyButton = true;
    Create();
    Start();
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
    EXPECT_FALSE(Closed()) << "without ShowOptions 2 the popup stays";
}

TEST_F(WndProcTest, StartMessageActsOnlyOnce) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    UseTarget(cls.Doc("main"));
    Create();
    Start();
    Start();
    Pump(500);
    EXPECT_EQ(ReadSpyLog(log).size(), 1u);
}

TEST_F(WndProcTest, DoNotShowAgainRowShowsAHiddenPopup) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    UseTarget(cls.Doc("main"));
    settings.doNotRepeatActive = true;
    run.nomsgOption = true;
    Create(false);
    Start();
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_TRUE(popup.checkBox.exists);
    EXPECT_FALSE(popup.installButton.exists);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(run.nomsgOption);
    EXPECT_TRUE(popup.autoCloseRunning) << "nothing failed: the popup still closes by itself";
    EXPECT_EQ(GetFocus(), popup.exitButton.window);
}

TEST_F(WndProcTest, ShowOptionsOneMakesThePopupTopmost) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    UseTarget(cls.Doc("main"));
    settings.ShowOptions = 1;
    Create();
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    Start();
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(WndProcTest, ViewerFailureThatStopsTheTimerMakesThePopupTopmost) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    UseTarget(cls.Doc("main"));
    settings.viewer[1].present = true;
    settings.viewer[1].ViewerFile = Dup("gone.cvwp");
    settings.viewer[1].ViewerMsg = Dup("m");
    Create();
    Start();
    EXPECT_TRUE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(Status(), "ViewerFile1 (gone.cvwp) file not found.");
}

TEST_F(WndProcTest, FailedMainStartSkipsEntriesAndViewerWalk) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("one"));
    UseTarget(cls.Doc("absent"));
    Entry(1, cls.Doc("one"), false);
    Create();
    Start();
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_FALSE(GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
}

// --- commands -----------------------------------------------------------------

TEST_F(WndProcTest, ShowOptionsTwoClosesAfterAnEntryEvenWhenItFails) {
    settings.ShowOptions = 2;
    Entry(1, "absent.cvwp", true);
    Create();
    SendMessageA(window, WM_COMMAND, IdFirstEntry, 0);
    EXPECT_TRUE(Closed());
}

TEST_F(WndProcTest, ShowOptionsTwoKeepsThePopupWhenTheMainStartFails) {
    settings.ShowOptions = 2;
    settings.mainHasButton = popup.mainOffered = true;
    UseTarget("absent.cvwp");
    Create();
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(popup.exitButton.exists);
    EXPECT_EQ(run.exitCode, 2);
}

TEST_F(WndProcTest, MainButtonWithoutTargetDoesNothing) {
    settings.ShowOptions = 2;
    run.target = nullptr;
    run.targetGiven = false;
    SetPopupText(kNoParameterGiven);
    Create();
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(Status(), "No parameter given");
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_FALSE(popup.exitButton.exists);
}

TEST_F(WndProcTest, NotificationsOtherThanClicksAreIgnored) {
    settings.ShowOptions = 2;
    Entry(1, "absent.cvwp", true);
    Create();
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IdFirstEntry, BN_SETFOCUS), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IdExit, BN_KILLFOCUS), 0);
    EXPECT_FALSE(Closed());
    SendMessageA(window, WM_COMMAND, IdExit, 0);
    EXPECT_TRUE(Closed());
}

TEST_F(WndProcTest, AutoCloseTickWithShowOptionsFourPressesTheFirstButton) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("one"));
    settings.ShowOptions = 4;
    settings.ShowTime = 200;
    Entry(1, cls.Doc("one"), true);
    Create();
    HWND button = CreateWindowExA(0, "BUTTON", "Entry 1", WS_CHILD | WS_VISIBLE, 10, 80, 80, 20, window,
                                  (HMENU)(INT_PTR)IdFirstEntry, GetModuleHandleA(nullptr), nullptr);
    popup.focusList[0] = button;
    popup.focusCount = 1;
    run.targetGiven = false;  // the start message only arms the timer
    Start();
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, cls.Doc("one")));
}

TEST_F(WndProcTest, InstallButtonIsDisabledLeavesTheFocusListAndRunsItsCommand) {
    Create();
    SpyCopy installer(folder, "setup.exe");
    CreatePopupButtons(window, true, "Install viewer");
    ASSERT_TRUE(popup.installButton.exists);
    HWND install = popup.installButton.window;
    ASSERT_TRUE(InFocusList(install));
    const int countBefore = popup.focusCount;
    SetInstallCommand(installer.path.c_str(), "/for %1", "doc.x", "", false);
    SetFocus(install);
    SendMessageA(window, WM_COMMAND, IdInstall, (LPARAM)install);
    EXPECT_FALSE(IsWindowEnabled(install));
    EXPECT_FALSE(InFocusList(install));
    EXPECT_EQ(popup.focusCount, countBefore - 1);
    EXPECT_EQ(GetFocus(), popup.exitButton.window);
    ASSERT_GE(popup.focusIndex, 0);
    EXPECT_EQ(popup.focusList[popup.focusIndex], popup.exitButton.window);
    EXPECT_EQ(Status(), "Starting " + installer.path);
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, "/for doc.x"));
    // Keyboard navigation no longer reaches it.
    MoveFocusByKey(VK_TAB);
    EXPECT_NE(GetFocus(), install);
}

TEST_F(WndProcTest, CheckBoxCommandTogglesTheRememberedState) {
    settings.doNotRepeatActive = true;
    run.doNotShowAgain = false;
    Create();
    CreatePopupButtons(window, false, nullptr);
    ASSERT_TRUE(popup.checkBox.exists);
    HWND box = popup.checkBox.window;
    SendMessageA(window, WM_COMMAND, IdCheckBox, (LPARAM)box);
    EXPECT_TRUE(run.doNotShowAgain);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(window, WM_COMMAND, IdCheckBox, (LPARAM)box);
    EXPECT_FALSE(run.doNotShowAgain);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

TEST_F(WndProcTest, CheckBoxIsColouredOthersAreNot) {
    settings.doNotRepeatActive = true;
    settings.BkColor = RGB(1, 2, 3);
    settings.DoNotRepeatColor = RGB(200, 100, 50);
    Create();
    CreatePopupButtons(window, false, nullptr);
    ASSERT_TRUE(popup.checkBox.exists);
    HDC dc = CreateCompatibleDC(nullptr);
    EXPECT_EQ((HBRUSH)SendMessageA(window, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)popup.checkBox.window),
              popup.graphics.backgroundBrush.get());
    EXPECT_EQ(GetTextColor(dc), RGB(200, 100, 50));
    EXPECT_EQ(GetBkColor(dc), RGB(1, 2, 3));
    SetTextColor(dc, RGB(9, 9, 9));
    EXPECT_NE((HBRUSH)SendMessageA(window, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)popup.exitButton.window),
              popup.graphics.backgroundBrush.get());
    EXPECT_NE(GetTextColor(dc), RGB(200, 100, 50));
    // In high contrast the system draws the check box. (Wine cannot switch
    // the mode on; the popup reads it at start-up into this flag.)
    popup.colours.systemCheckBox = true;
    SetTextColor(dc, RGB(9, 9, 9));
    EXPECT_NE((HBRUSH)SendMessageA(window, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)popup.checkBox.window),
              popup.graphics.backgroundBrush.get());
    EXPECT_NE(GetTextColor(dc), RGB(200, 100, 50));
    DeleteDC(dc);
}

// --- during a start -------------------------------------------------------------

struct DuringStart {
    HWND window = nullptr;
    std::string hold;
    bool aliveAfterTicks = false;
    bool aliveAfterClose = false;
    bool timerRunning = false;
    bool pressExit = false;
    bool pressMainAgain = false;
    bool inProgressAfterPress = false;
    size_t startsAfterPress = 0;
    std::string log;
} during;

void CALLBACK InTheMiddleOfTheStart(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    during.aliveAfterTicks = IsWindow(during.window) != 0;  // ShowTime (200 ms) has passed
    during.timerRunning = popup.autoCloseRunning;
    if (during.pressExit) {
        SendMessageA(during.window, WM_COMMAND, IdExit, 0);
    } else {
        if (during.pressMainAgain) {
            // Ends a wrongly nested wait too, so that a fault fails rather than hangs.
            SetTimer(nullptr, 0, 1500, [](HWND, UINT, UINT_PTR timer, DWORD) __attribute__((stdcall)) {
                KillTimer(nullptr, timer);
                DeleteFileA(during.hold.c_str());
            });
            SendMessageA(during.window, WM_COMMAND, IdMainEntry, 0);
            during.inProgressAfterPress = launch.startInProgress;
            during.startsAfterPress = ReadSpyLog(during.log).size();
        }
        SendMessageA(during.window, WM_CLOSE, 0, 0);
        during.aliveAfterClose = IsWindow(during.window) != 0;
    }
    DeleteFileA(during.hold.c_str());
}

struct DuringStartTest : WndProcTest {
    std::string hold;
    void SetUp() override {
        WndProcTest::SetUp();
        SpyCopy installer(folder, "installer.exe");
        hold = folder.File("hold.flag");
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
        UseTarget("doc.cvnoclass");
        folder.File("doc.cvnoclass");
        UnregisterFileClass(".cvnoclass", "CvNoClassFile");
        Copy(settings.NoViewerMsg, kTextCap, "Installing");
        Copy(settings.NoViewerCmd, kTextCap, installer.path);
        settings.retryShow = true;
        settings.ShowTime = 200;
        Create();
        during = DuringStart();
        during.window = window;
        during.hold = hold;
        during.log = log;
        SetTimer(nullptr, 0, 1000, InTheMiddleOfTheStart);
    }
    void TearDown() override {
        DeleteFileA(hold.c_str());
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", nullptr);
    }
};

TEST_F(DuringStartTest, CloseBoxBeepsAndTheTimerWaitsForTheStartToEnd) {
    PostMessageA(window, kStartMessage, 0, 0);
    MSG m;
    // Dispatch the start message alone: it returns when StartTarget has.
    ASSERT_TRUE(PeekMessageA(&m, window, kStartMessage, kStartMessage, PM_REMOVE));
    DispatchMessageA(&m);
    const DWORD returned = GetTickCount();
    EXPECT_TRUE(during.aliveAfterTicks) << "the auto-close tick during a start must only re-arm";
    EXPECT_TRUE(during.timerRunning);
    EXPECT_TRUE(during.aliveAfterClose) << "the close box during a start must only beep";
    EXPECT_FALSE(launch.startInProgress);
    ASSERT_FALSE(Closed());
    EXPECT_EQ(Status(), "Installing");
    // The second start failed again; the 500 ms re-arm closes the popup soon.
    // The tick that closes counts, not the end of DestroyWindow: hiding the
    // window first takes long under Wine without a window manager.
    static DWORD tickAt;
    static HWND watched;
    tickAt = 0;
    watched = window;
    HHOOK hook = SetWindowsHookExA(
        WH_GETMESSAGE,
        [](int code, WPARAM w, LPARAM l) __attribute__((stdcall)) -> LRESULT {
            const MSG* m = reinterpret_cast<const MSG*>(l);
            if (code >= 0 && m->hwnd == watched && m->message == WM_TIMER && !tickAt) tickAt = GetTickCount();
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    UnhookWindowsHookEx(hook);
    ASSERT_NE(tickAt, 0u);
    EXPECT_LE(tickAt - returned, 700u);
}

TEST_F(DuringStartTest, ExitButtonClosesEvenDuringAStart) {
    during.pressExit = true;
    PostMessageA(window, kStartMessage, 0, 0);
    MSG m;
    ASSERT_TRUE(PeekMessageA(&m, window, kStartMessage, kStartMessage, PM_REMOVE));
    DispatchMessageA(&m);
    EXPECT_TRUE(Closed());
    EXPECT_FALSE(launch.startInProgress);
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code)) << "the quit of the destroyed popup must reach the main loop";
    EXPECT_EQ(ReadSpyLog(log).size(), 1u) << "no second start after the popup closed";
}

TEST_F(DuringStartTest, MainButtonPressedAgainWhileTheInstallerRunsIsRefused) {
    during.pressMainAgain = true;
    settings.mainHasButton = popup.mainOffered = true;
    settings.anyButton = true;
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_EQ(during.startsAfterPress, 1u) << "the second press started the installer again";
    EXPECT_TRUE(during.inProgressAfterPress);
    EXPECT_TRUE(during.aliveAfterClose) << "the close box must still only beep";
    EXPECT_FALSE(launch.startInProgress);
    EXPECT_EQ(ReadSpyLog(log).size(), 1u);
}

// --- web link and system menu -------------------------------------------------------

// The default value of an HKCR key, restored at the end.
struct SavedClassesRootDefault {
    std::string key, value;
    bool had = false;
    explicit SavedClassesRootDefault(const std::string& k) : key(k) {
        char buffer[1024];
        LONG size = sizeof buffer;
        had = RegQueryValueA(HKEY_CLASSES_ROOT, key.c_str(), buffer, &size) == ERROR_SUCCESS;
        if (had) value = buffer;
    }
    ~SavedClassesRootDefault() {
        if (had) SetClassesRootDefault(key, value);
    }
};

TEST_F(WndProcTest, LinkHoverTakesTheCaptureAndReleasesIt) {
    Create();
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    EXPECT_TRUE(popup.linkHover);
    EXPECT_EQ(GetCapture(), window);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 10));
    EXPECT_TRUE(popup.linkHover);
    // Just past the right edge (10 + 120) and left of the client area (x = -5).
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(130, 10));
    EXPECT_FALSE(popup.linkHover);
    EXPECT_NE(GetCapture(), window);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(10, 5));
    EXPECT_TRUE(popup.linkHover);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(-5, 10));
    EXPECT_FALSE(popup.linkHover);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(20, 21));
    EXPECT_FALSE(popup.linkHover);
}

TEST_F(WndProcTest, ClickOnTheLinkOpensWebWithWebMsg) {
    RegisterFileClass("", "cvtest", "URL:cvtest", "open", "\"" + TestToolPath("spy.exe") + "\" \"%1\"");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "cvtest", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "URL Protocol", 0, REG_SZ, (const BYTE*)"", 1);
    RegCloseKey(key);
    Copy(settings.Web, kTextCap, "cvtest:page");
    Copy(settings.WebMsg, kTextCap, "Opening our page");
    Create();
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(131, 10));  // outside
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_NE(Status(), "Opening our page");
    SendMessageA(window, WM_LBUTTONUP, 0, MAKELPARAM(129, 20));  // last pixel inside
    EXPECT_EQ(Status(), "Opening our page");
    EXPECT_TRUE(popup.autoCloseRunning);
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, "cvtest:page")) << records[0].commandLine;
    DeleteClassesRootTree("cvtest");
}

TEST_F(WndProcTest, SystemMenuItemOpensTheMakersAddressNotWeb) {
    SavedClassesRootDefault http("http\\shell\\open\\command");
    SavedClassesRootDefault https("https\\shell\\open\\command");
    const std::string spy = "\"" + TestToolPath("spy.exe") + "\" \"%1\"";
    SetClassesRootDefault("http\\shell\\open\\command", spy);
    SetClassesRootDefault("https\\shell\\open\\command", spy);
    Copy(settings.Web, kTextCap, "cvtest:elsewhere");
    Copy(settings.WebMsg, kTextCap, "Not this text");
    Create();
    SendMessageA(window, WM_SYSCOMMAND, IdSysMenuWeb, 0);
    EXPECT_EQ(Status(), "Showing Quarnco web site...");
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, kMakerWebAddress)) << records[0].commandLine;
    EXPECT_FALSE(Closed());
}

// --- medium removal ---------------------------------------------------------------------

#pragma pack(push, 1)
struct MountPoint {
    ULONG size, type, fs_type;
    DWORD serial;
    ULONGLONG unix_dev;
    WCHAR letter;
    USHORT mount_point_offset, device_offset, label_offset;
};
#pragma pack(pop)
static_assert(sizeof(MountPoint) == 32, "the mount manager's layout");

// Adds (unixFolder given) or removes a drive letter while Wine runs.
bool SetDrive(wchar_t letter, const std::string& unixFolder) {
    HANDLE manager = CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                                 FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE) return false;
    std::string buffer(sizeof(MountPoint) + unixFolder.size() + 1, '\0');
    MountPoint* d = reinterpret_cast<MountPoint*>(&buffer[0]);
    d->letter = letter;
    if (unixFolder.empty()) {
        d->type = 1;  // DRIVE_NO_ROOT_DIR: remove
        d->size = sizeof(MountPoint);
    } else {
        d->type = 3;
        d->mount_point_offset = sizeof(MountPoint);
        std::memcpy(&buffer[sizeof(MountPoint)], unixFolder.c_str(), unixFolder.size());
        d->size = (ULONG)buffer.size();
    }
    DWORD returned = 0;
    const BOOL ok = DeviceIoControl(manager, 0x6DC080, &buffer[0], d->size, nullptr, 0, &returned, nullptr);
    CloseHandle(manager);
    return ok != 0;
}

void BroadcastRemoval(wchar_t letter, WPARAM event = DBT_DEVICEREMOVECOMPLETE) {
    DEV_BROADCAST_VOLUME v = {sizeof v, DBT_DEVTYP_VOLUME, 0, 1u << (letter - L'a'), DBTF_MEDIA};
    DWORD recipients = BSM_APPLICATIONS;
    BroadcastSystemMessageW(BSF_FORCEIFHUNG | BSF_QUERY, &recipients, WM_DEVICECHANGE, event, (LPARAM)&v);
}

struct DeviceTest : WndProcTest {
    // A folder under Z:\ (the Unix root), so its Unix path is known.
    std::string unixFolder = "/tmp/cvdrive-" + std::to_string(GetCurrentProcessId());
    std::string dosFolder = "Z:\\tmp\\cvdrive-" + std::to_string(GetCurrentProcessId());
    void SetUp() override {
        WndProcTest::SetUp();
        CreateDirectoryA(dosFolder.c_str(), nullptr);
        ASSERT_NE(GetFileAttributesA(dosFolder.c_str()), INVALID_FILE_ATTRIBUTES);
    }
    void TearDown() override {
        // Only the letters this case mapped: the prefix's drives are shared
        // with every other test process.
        for (wchar_t letter : mapped) SetDrive(letter, "");
        RemoveDirectoryA(dosFolder.c_str());
    }
    bool Map(wchar_t letter) {
        if (!SetDrive(letter, unixFolder)) return false;
        mapped.push_back(letter);
        return true;
    }
    std::vector<wchar_t> mapped;
};

TEST_F(DeviceTest, RemovingAnotherDriveKeepsThePopupRemovingTheProgramsDriveClosesIt) {
    ASSERT_TRUE(Map(L'q'));
    ASSERT_TRUE(Map(L'r'));
    std::strcpy(run.driveRoot, "Q:\\");
    char name[64];
    ASSERT_TRUE(GetVolumeInformationA(run.driveRoot, name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0));
    Create();
    ASSERT_TRUE(SetDrive(L'r', ""));
    BroadcastRemoval(L'r');
    Pump(100);
    EXPECT_FALSE(Closed());
    ASSERT_TRUE(SetDrive(L'q', ""));
    // An arrival does not count, even with the volume gone.
    BroadcastRemoval(L'q', DBT_DEVICEARRIVAL);
    Pump(100);
    EXPECT_FALSE(Closed());
    BroadcastRemoval(L'q');
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 3000));
}

TEST_F(DeviceTest, WithoutAKnownDriveRootRemovalIsIgnored) {
    run.driveRoot[0] = '\0';
    Create();
    SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_FALSE(Closed());
}

// --- window lifetime ------------------------------------------------------------------------

TEST_F(WndProcTest, DestroyTakesTheSplashWindowAndTheTimerAlong) {
    Create();
    popup.autoCloseTimer = SetTimer(window, kAutoCloseTimer, 15000, nullptr);
    popup.autoCloseRunning = true;
    HWND splash = CreateWindowExA(0, "STATIC", "splash", WS_POPUP, 0, 0, 10, 10, window, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ::splash.window = splash;
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_FALSE(popup.autoCloseRunning);
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0);
}

TEST_F(WndProcTest, CentredLogoFollowsTheClientSize) {
    Create();
    popup.logoCentred = true;
    popup.graphics.logo.width = 89;
    popup.graphics.logo.height = 75;
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 120));
    EXPECT_EQ(popup.logoX, 105);
    EXPECT_EQ(popup.logoY, 22);
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 40));
    EXPECT_EQ(popup.logoX, -19);  // truncated toward zero
    EXPECT_EQ(popup.logoY, -17);
    popup.logoCentred = false;
    SendMessageA(window, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 400));
    EXPECT_EQ(popup.logoX, -19);
}

}  // namespace
