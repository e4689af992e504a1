// The popup's window procedure: the start sequence, the commands, the
// auto-close timer (also during a start), the web link, the system-menu item,
// the check box colours and closing when the program's medium is removed.
#include <windows.h>
#include <dbt.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "popup/timing.h"
#include "popup_harness.h"

using namespace harness;

namespace {

struct WndProcTest : SpyFolderTest {
    WndProcTest() : SpyFolderTest("wndproc") {}
    bool Closed() const { return !IsWindow(window); }
    bool Topmost() const { return (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }
};

// No settings text gives a ShowTime below five seconds; these cases do not
// wait that long.
void ShortShowTime(int ms) { settings.ShowTime = ms; }

// --- start sequence -----------------------------------------------------------

TEST_F(WndProcTest, WithoutTargetTheTimerRunsAndNothingStarts) {
    Open("ShowTime=7\n", "");
    SendStart(window);
    EXPECT_TRUE(popup.autoClose.running);
    // The user's notification time as the system answers it (Wine does not:
    // ShowTime as it is).
    ULONG seconds = 0;
    const bool answered = SystemParametersInfoW(SPI_GETMESSAGEDURATION, 0, &seconds, 0) != FALSE;
    EXPECT_EQ(popup.autoClose.time, EffectiveShowTime(7000, answered ? seconds : 0));
    EXPECT_EQ(Status(), "No parameter given");
    EXPECT_FALSE(popup.row.exitButton.exists);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(WndProcTest, AMissingStatusTextShowsTheSettledOneAgainAndAnOwnedTextStays) {
    // A Message made only of options leaves no text after them; restoring it
    // after an installer must still show the status text settled at start-up.
    Open("Filename=guide.pdf\nMessage=-nomsg\n", "");
    EXPECT_FALSE(IsWindowVisible(window));
    SetPopupText("Installing...");
    EXPECT_EQ(Status(), "Installing...");
    SetPopupText(run.textAfterOptions);
    EXPECT_EQ(Status(), "Starting guide.pdf... ");
    SetPopupText(CopyToHeap("Could not start x"));
    EXPECT_EQ(Status(), "Could not start x");
    SetPopupText(HeapText());
    EXPECT_EQ(Status(), "Could not start x") << "no memory for a new text keeps the old one";
}

TEST_F(WndProcTest, WithoutASettledStatusTextAMissingTextIsEmpty) {
    Open("Message=Welcome\n", "guide.pdf");  // the Message is shown: no status text is settled
    EXPECT_EQ(Status(), "Welcome");
    SetPopupText(nullptr);
    ASSERT_NE(popup.status.text, nullptr);
    EXPECT_STREQ(popup.status.text, "");
}

TEST_F(WndProcTest, ShowTimeMinusOneArmsNoTimer) {
    Open("ShowTime=-1\n", "");
    SendStart(window);
    EXPECT_FALSE(popup.autoClose.running);
    Pump(200);
    EXPECT_FALSE(Closed());
}

TEST_F(WndProcTest, ShortShowTimeClosesThePopup) {
    Open("", "");
    ShortShowTime(200);
    SendStart(window);
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    EXPECT_FALSE(popup.autoClose.running);
}

TEST_F(WndProcTest, ConditionErrorIsShownWithoutButtonsTimerOrStart) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("doc"));
    Open("FilenameCondition=F?doc?\n", cls.Doc("doc"));
    SendStart(window);
    EXPECT_EQ(Status(), "Invalid conditional");
    EXPECT_FALSE(popup.autoClose.running);
    EXPECT_FALSE(popup.row.exitButton.exists);
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
}

TEST_F(WndProcTest, EntriesWithoutCaptionStartWithTheTargetAndCaptionedOnesWait) {
    SpyClass cls(".cvwp", "CvWpFile");
    for (const char* stem : {"main", "one", "two", "four"}) folder.File(cls.Doc(stem));
    Open("Filename1=" + cls.Doc("one") + "\nFilename2=" + cls.Doc("two") + "\nFilename2Menu=Entry 2\nFilename4=" +
             cls.Doc("four") + "\n",  // after a gap: not an entry
         cls.Doc("main"));
    SendStart(window);
    const auto records = WaitForSpyRecords(log, 3, 1500);
    ASSERT_EQ(records.size(), 2u);
    EXPECT_TRUE(Contains(records[0].commandLine + records[1].commandLine, cls.Doc("main")));
    EXPECT_TRUE(Contains(records[0].commandLine + records[1].commandLine, cls.Doc("one")));
    EXPECT_FALSE(popup.row.exitButton.exists);
    EXPECT_TRUE(popup.autoClose.running);
}

TEST_F(WndProcTest, CaptionedMainEntryIsNotStartedByTheStartMessage) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    Open("FilenameMenu=Main\n", cls.Doc("main"));
    SendStart(window);
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_EQ(WaitForSpyRecords(log, 1).size(), 1u);
    EXPECT_FALSE(Closed()) << "without ShowOptions 2 the popup stays";
}

TEST_F(WndProcTest, StartMessageActsOnlyOnce) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    Open("", cls.Doc("main"));
    SendStart(window);
    SendStart(window);
    Pump(500);
    EXPECT_EQ(ReadSpyLog(log).size(), 1u);
}

TEST_F(WndProcTest, DoNotShowAgainRowShowsAHiddenPopup) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    Open("DoNotRepeatId=cvwp\n", cls.Doc("main") + " nomsg");
    EXPECT_FALSE(IsWindowVisible(window));
    SendStart(window);
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_TRUE(popup.row.checkBox.exists);
    EXPECT_FALSE(popup.row.installButton.exists);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_FALSE(popup.hidden);
    EXPECT_TRUE(popup.autoClose.running) << "nothing failed: the popup still closes by itself";
    EXPECT_EQ(GetFocus(), popup.row.exitButton.window);
}

TEST_F(WndProcTest, ShowOptionsOneMakesThePopupTopmostAlsoAHiddenOneOnItsStart) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    Open("ShowOptions=1\n", cls.Doc("main") + " nomsg");
    EXPECT_FALSE(Topmost());
    SendStart(window);
    EXPECT_TRUE(Topmost());
}

TEST_F(WndProcTest, ViewerFailureThatStopsTheTimerMakesThePopupTopmost) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("main"));
    Open("ViewerFile1=gone.cvwp\nViewerMsg1=m\n", cls.Doc("main"));
    EXPECT_FALSE(Topmost());
    SendStart(window);
    EXPECT_TRUE(Topmost());
    EXPECT_EQ(Status(), "ViewerFile1 (gone.cvwp) file not found.");
}

TEST_F(WndProcTest, FailedMainStartSkipsEntriesAndViewerWalk) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("one"));
    Open("Filename1=" + cls.Doc("one") + "\nViewerFile1=gone.cvwp\nViewerMsg1=m\n", cls.Doc("absent"));
    SendStart(window);
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_EQ(popup.exitCode, 2);
    EXPECT_FALSE(Topmost());
}

// --- commands -----------------------------------------------------------------

TEST_F(WndProcTest, ShowOptionsTwoClosesAfterAnEntryEvenWhenItFailsButNotOnOtherNotifications) {
    Open("ShowOptions=2\nFilename1=absent.cvwp\nFilename1Menu=Entry 1\n", "");
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IdFirstEntry, BN_SETFOCUS), 0);
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(IdExit, BN_KILLFOCUS), 0);
    EXPECT_FALSE(Closed());
    SendMessageA(window, WM_COMMAND, IdFirstEntry, 0);
    EXPECT_TRUE(Closed());
}

TEST_F(WndProcTest, ShowOptionsTwoKeepsThePopupWhenTheMainStartFails) {
    Open("ShowOptions=2\nFilenameMenu=Main\n", "absent.cvwp");
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_FALSE(Closed());
    EXPECT_TRUE(popup.row.exitButton.exists);
    EXPECT_EQ(popup.exitCode, 2);
}

TEST_F(WndProcTest, MainButtonWithoutTargetDoesNothing) {
    Open("ShowOptions=2\nFilenameMenu=Main\n", "");
    SendMessageA(window, WM_COMMAND, IdMainEntry, 0);
    EXPECT_FALSE(Closed());
    EXPECT_EQ(Status(), "No parameter given");
    EXPECT_EQ(popup.exitCode, 0);
    EXPECT_FALSE(popup.row.exitButton.exists);
}

TEST_F(WndProcTest, AutoCloseTickWithShowOptionsFourPressesTheFirstButton) {
    SpyClass cls(".cvwp", "CvWpFile");
    folder.File(cls.Doc("one"));
    // No target: the start message only arms the timer.
    Open("ShowOptions=4\nFilename1=" + cls.Doc("one") + "\nFilename1Menu=Entry 1\n", "");
    ShortShowTime(200);
    SendStart(window);
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, cls.Doc("one")));
}

TEST_F(WndProcTest, InstallButtonIsDisabledLeavesTheFocusListAndRunsItsCommand) {
    Open("", "");
    SpyCopy installer(folder, "setup.exe");
    CreatePopupButtons(window, true, "Install viewer");
    ASSERT_TRUE(popup.row.installButton.exists);
    HWND install = popup.row.installButton.window;
    ASSERT_TRUE(InFocusList(install));
    const int countBefore = popup.focus.count;
    SetInstallCommand(installer.path.c_str(), "/for %1", "doc.x", "", false);
    SetFocus(install);
    SendMessageA(window, WM_COMMAND, IdInstall, (LPARAM)install);
    EXPECT_FALSE(IsWindowEnabled(install));
    EXPECT_FALSE(InFocusList(install));
    EXPECT_EQ(popup.focus.count, countBefore - 1);
    EXPECT_EQ(GetFocus(), popup.row.exitButton.window);
    ASSERT_GE(popup.focus.index, 0);
    EXPECT_EQ(popup.focus.list[popup.focus.index], popup.row.exitButton.window);
    EXPECT_EQ(Status(), "Starting " + installer.path);
    const auto records = WaitForSpyRecords(log, 1);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(Contains(records[0].commandLine, "/for doc.x"));
    // Keyboard navigation no longer reaches it.
    MoveFocusByKey(VK_TAB);
    EXPECT_NE(GetFocus(), install);
}

TEST_F(WndProcTest, CheckBoxStartsAsRememberedAndItsCommandTogglesTheState) {
    UseSettings("DoNotRepeatId=cvwp\n");
    window = BuildFor("", true);
    ASSERT_TRUE(window);
    CreatePopupButtons(window, false, nullptr);
    ASSERT_TRUE(popup.row.checkBox.exists);
    HWND box = popup.row.checkBox.window;
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
    SendMessageA(window, WM_COMMAND, IdCheckBox, (LPARAM)box);
    EXPECT_FALSE(popup.doNotShowAgain);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_UNCHECKED);
    SendMessageA(window, WM_COMMAND, IdCheckBox, (LPARAM)box);
    EXPECT_TRUE(popup.doNotShowAgain);
    EXPECT_EQ(SendMessageA(box, BM_GETCHECK, 0, 0), BST_CHECKED);
}

const char kColouredBox[] = "DoNotRepeatId=cvwp\nBkColor=1,2,3\nDoNotRepeatColor=200,100,50\n";

// What the popup answers for a control's colours: the brush, and the
// colours it set.
HBRUSH ControlColours(HWND window, HWND control, COLORREF* text, COLORREF* back) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(9, 9, 9));
    HBRUSH brush = (HBRUSH)SendMessageA(window, WM_CTLCOLORSTATIC, (WPARAM)dc, (LPARAM)control);
    *text = GetTextColor(dc);
    *back = GetBkColor(dc);
    DeleteDC(dc);
    return brush;
}

TEST_F(WndProcTest, CheckBoxIsColouredOthersAreNot) {
    Open(kColouredBox, "");
    CreatePopupButtons(window, false, nullptr);
    ASSERT_TRUE(popup.row.checkBox.exists);
    COLORREF text, back;
    EXPECT_EQ(ControlColours(window, popup.row.checkBox.window, &text, &back), popup.graphics.backgroundBrush.get());
    EXPECT_EQ(text, RGB(200, 100, 50));
    EXPECT_EQ(back, RGB(1, 2, 3));
    EXPECT_NE(ControlColours(window, popup.row.exitButton.window, &text, &back), popup.graphics.backgroundBrush.get());
    EXPECT_NE(text, RGB(200, 100, 50));
}

TEST_F(WndProcTest, InHighContrastTheSystemDrawsTheCheckBox) {
    HighContrastOn highContrast;
    Open(kColouredBox, "");
    ASSERT_TRUE(popup.highContrast);
    CreatePopupButtons(window, false, nullptr);
    ASSERT_TRUE(popup.row.checkBox.exists);
    COLORREF text, back;
    EXPECT_NE(ControlColours(window, popup.row.checkBox.window, &text, &back), popup.graphics.backgroundBrush.get());
    EXPECT_NE(text, RGB(200, 100, 50));
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
    during.timerRunning = popup.autoClose.running;
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

// A target without a viewer whose no-viewer command (a held spy) is waited for.
struct DuringStartTest : WndProcTest {
    std::string hold;
    void Begin(const std::string& moreSettings) {
        SpyCopy installer(folder, "installer.exe");
        hold = folder.File("hold.flag");
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
        folder.File("doc.cvnoclass");
        UnregisterFileClass(".cvnoclass", "CvNoClassFile");
        Open("NoViewerMsg=Installing\nNoViewerCmd=" + installer.path + "\n" + moreSettings, "doc.cvnoclass");
        ShortShowTime(200);
        during = DuringStart();
        during.window = window;
        during.hold = hold;
        during.log = log;
        SetTimer(nullptr, 0, 1000, InTheMiddleOfTheStart);
    }
    // Dispatches the start message alone: it returns when StartTarget has.
    void DispatchStart() {
        PostMessageA(window, kStartMessage, 0, 0);
        MSG m;
        ASSERT_TRUE(PeekMessageA(&m, window, kStartMessage, kStartMessage, PM_REMOVE));
        DispatchMessageA(&m);
    }
    void TearDown() override {
        DeleteFileA(hold.c_str());
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", nullptr);
    }
};

TEST_F(DuringStartTest, CloseBoxBeepsAndTheTimerWaitsForTheStartToEnd) {
    Begin("");
    DispatchStart();
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
            // The auto-close timer's tick, not the user watch's.
            if (code >= 0 && m->hwnd == watched && m->message == WM_TIMER && m->wParam == kAutoCloseTimer && !tickAt)
                tickAt = GetTickCount();
            return CallNextHookEx(nullptr, code, w, l);
        },
        nullptr, GetCurrentThreadId());
    EXPECT_TRUE(PumpUntil([&] { return Closed(); }, 5000));
    UnhookWindowsHookEx(hook);
    ASSERT_NE(tickAt, 0u);
    EXPECT_LE(tickAt - returned, 700u);
}

TEST_F(DuringStartTest, ExitButtonClosesEvenDuringAStart) {
    Begin("");
    during.pressExit = true;
    DispatchStart();
    EXPECT_TRUE(Closed());
    EXPECT_FALSE(launch.startInProgress);
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code)) << "the quit of the destroyed popup must reach the main loop";
    EXPECT_EQ(ReadSpyLog(log).size(), 1u) << "no second start after the popup closed";
}

TEST_F(DuringStartTest, MainButtonPressedAgainWhileTheInstallerRunsIsRefused) {
    Begin("FilenameMenu=Main\n");
    during.pressMainAgain = true;
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

// A point relative to the information line's top left, as mouse messages pack it.
LPARAM OnInfoLine(int dx, int dy) {
    return MAKELPARAM(popup.layout.textLeft + dx, popup.layout.infoTop + dy);
}

TEST_F(WndProcTest, LinkHoverTakesTheCaptureAndReleasesIt) {
    Open("", "");
    const SIZE line = popup.layout.displaySize;
    ASSERT_GT(line.cx, 10);
    SendMessageA(window, WM_MOUSEMOVE, 0, OnInfoLine(10, 5));
    EXPECT_TRUE(popup.link.hover);
    EXPECT_EQ(GetCapture(), window);
    SendMessageA(window, WM_MOUSEMOVE, 0, OnInfoLine(10, 5));
    EXPECT_TRUE(popup.link.hover);
    SendMessageA(window, WM_MOUSEMOVE, 0, OnInfoLine(line.cx, 5));  // just past the right edge
    EXPECT_FALSE(popup.link.hover);
    EXPECT_NE(GetCapture(), window);
    SendMessageA(window, WM_MOUSEMOVE, 0, OnInfoLine(0, 0));
    EXPECT_TRUE(popup.link.hover);
    SendMessageA(window, WM_MOUSEMOVE, 0, MAKELPARAM(-5, popup.layout.infoTop + 5));  // left of the client area
    EXPECT_FALSE(popup.link.hover);
    SendMessageA(window, WM_MOUSEMOVE, 0, OnInfoLine(10, line.cy));
    EXPECT_FALSE(popup.link.hover);
}

TEST_F(WndProcTest, ClickOnTheLinkOpensWebWithWebMsg) {
    RegisterFileClass("", "cvtest", "URL:cvtest", "open", "\"" + TestToolPath("spy.exe") + "\" \"%1\"");
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, "cvtest", 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "URL Protocol", 0, REG_SZ, (const BYTE*)"", 1);
    RegCloseKey(key);
    Open("Web=cvtest:page\nWebMsg=Opening our page\n", "");
    const SIZE line = popup.layout.displaySize;
    SendMessageA(window, WM_LBUTTONUP, 0, OnInfoLine(line.cx + 1, 5));  // outside
    Pump(300);
    EXPECT_TRUE(ReadSpyLog(log).empty());
    EXPECT_NE(Status(), "Opening our page");
    SendMessageA(window, WM_LBUTTONUP, 0, OnInfoLine(line.cx - 1, line.cy - 1));  // last pixel inside
    EXPECT_EQ(Status(), "Opening our page");
    EXPECT_TRUE(popup.autoClose.running);
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
    Open("Web=cvtest:elsewhere\nWebMsg=Not this text\n", "");
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
    SetStartupPaths("Q:\\corvane.exe");  // the program runs from Q:
    ASSERT_STREQ(run.driveRoot, "Q:\\");
    char name[64];
    ASSERT_TRUE(GetVolumeInformationA(run.driveRoot, name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0));
    Open("", "doc -c");  // -c: the current folder stays off the drive
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
    SetStartupPaths(nullptr);
    ASSERT_STREQ(run.driveRoot, "");
    Open("", "");
    SendMessageA(window, WM_DEVICECHANGE, DBT_DEVICEREMOVECOMPLETE, 0);
    EXPECT_FALSE(Closed());
}

// --- window lifetime ------------------------------------------------------------------------

TEST_F(WndProcTest, DestroyTakesTheSplashWindowAndTheTimerAlong) {
    const std::string picture = WriteBmp(folder.path + "splash.bmp", 40, 30, [](int, int) { return RGB(1, 2, 3); });
    Open("splash=" + picture + "\n", "");
    HWND splash = FindOwnWindow("Corvane Splash");
    ASSERT_NE(splash, nullptr);
    ArmAutoClose(window);
    ASSERT_TRUE(popup.autoClose.running);
    DestroyWindow(window);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_FALSE(popup.autoClose.running);
    int code = -1;
    EXPECT_TRUE(TakeQuit(&code));
    EXPECT_EQ(code, 0);
}

}  // namespace
