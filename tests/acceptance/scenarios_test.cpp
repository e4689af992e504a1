// Whole-program scenarios: the real corvane.exe on a medium mapped to a drive
// letter, started with the command line an autorun entry gives, observed
// from outside (exit code, spy log, registry, the probe's view of the window).
// Every scenario leaves screenshots and a line of what happened in the
// gallery under <build>\acceptance\gallery.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

const char kDefaultTitle[] = "Corvane 3.2";

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::string Captions(const PopupView& view) {
    std::string out;
    for (const Control& c : view.controls) out += Format("[%d %s \"%s\"%s] ", c.id, c.cls.c_str(), c.caption.c_str(), c.focus ? " focus" : "");
    return out.empty() ? "no controls" : out;
}

std::string RectText(const RECT& r) { return Format("(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom); }

// The button row that a failure or the start message makes is complete once
// control `last` exists and the focus has gone to Exit, which comes last.
bool RowReady(const PopupView& view, int last) { return view.Find(last) && FocusOn(view, 2); }

class Scenario : public ScenarioTest {
protected:
    Scenario() : ScenarioTest("accept") {}
};

std::string Autorun(const Medium& m, const std::string& rest) { return m.Root() + "corvane.exe " + rest; }

// ------------------------------------------------------------------ the typical run

TEST_F(Scenario, TypicalRunOpensReadmeShowsStatusTopLeftAndClosesAfterShowTime) {
    GalleryEntry& g = Gallery("01-typical-run", "The typical run: readme.htm from the autorun entry");
    Medium m("typical", 'M');
    Author(m, "[Info]\r\nTitle=Corvane Example Disc\r\nDisplay=Corvane Example Disc\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));

    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible) << "no visible popup";
    g.Shot("The status popup at the top left while readme.htm opens");
    EXPECT_EQ(view.title, "Corvane Example Disc");
    EXPECT_EQ(view.rect.left, view.work.left) << RectText(view.rect);
    EXPECT_EQ(view.rect.top, view.work.top) << RectText(view.rect);
    // No buttons: only the windows that carry the link's and the status
    // text for a screen reader.
    ASSERT_EQ(view.controls.size(), 2u) << Captions(view);
    EXPECT_EQ(view.Find(5)->caption, "Corvane Example Disc");
    EXPECT_EQ(view.Find(6)->caption, "Starting readme.htm (HTML Document)... ");
    EXPECT_FALSE(view.topmost);

    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "readme.htm was not opened through its association";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + "readme.htm")) << r[0].commandLine;
    EXPECT_TRUE(ContainsNoCase(r[0].currentDirectory, m.Root().substr(0, 2))) << r[0].currentDirectory;
    EXPECT_EQ(r[0].showCommand, SW_SHOWNORMAL);

    // Still there before ShowTime, gone soon after it.
    Sleep(3500 > run.ElapsedMs() ? 3500 - run.ElapsedMs() : 0);
    EXPECT_TRUE(run.Running()) << "closed before ShowTime";
    ASSERT_TRUE(run.WaitExit(7000)) << "still open " << run.ElapsedMs() << " ms after the start";
    const DWORD ms = run.ElapsedMs();
    EXPECT_GE(ms, 5000u);
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note(Format("viewer.exe opened %s; popup %ldx%ld at (%ld,%ld) titled \"%s\", no buttons",
                  r[0].commandLine.c_str(), view.rect.right - view.rect.left, view.rect.bottom - view.rect.top,
                  view.rect.left, view.rect.top, view.title.c_str()));
    g.Note(Format("closed by itself after %lu ms (ShowTime=5), exit code %lu", ms, run.ExitCode()));
}

// ------------------------------------------------------------------ a missing target

TEST_F(Scenario, MissingTargetShowsFailureWithExitButtonStopsTimerAndExitsWithCode2) {
    GalleryEntry& g = Gallery("02-missing-target", "A missing target: the failure is shown and waits for the user");
    Medium m("missing", 'N');
    Author(m, "[Info]\r\nTitle=Corvane Example Disc\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "missing.htm"), m.Root()));

    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    // The failure arrives with the start message; wait for its button row.
    view = WaitForView(run.Pid(), RowReady, 2);
    g.Shot("The failure with the Exit button");
    const Control* exit = view.Find(2);
    ASSERT_NE(exit, nullptr) << Captions(view);
    EXPECT_EQ(exit->cls, "Button");
    EXPECT_EQ(exit->caption, "Exit");
    EXPECT_TRUE(exit->visible && exit->enabled);
    EXPECT_TRUE(exit->focus) << Captions(view);
    EXPECT_EQ(view.controls.size(), 3u) << "Exit, the link and the status text: " << Captions(view);
    ASSERT_NE(view.Find(6), nullptr);
    EXPECT_EQ(view.Find(6)->caption.rfind("Could not start missing.htm (", 0), 0u) << view.Find(6)->caption;
    EXPECT_TRUE(Spied(1, 1000).empty()) << "something was started for a missing file";

    // ShowTime is 5 s: the stopped timer keeps the failure on screen after it.
    Sleep(6500 > run.ElapsedMs() ? 6500 - run.ElapsedMs() : 0);
    ASSERT_TRUE(run.Running()) << "the popup closed by itself although the failure stopped the timer";
    const DWORD stillOpen = run.ElapsedMs();
    ASSERT_TRUE(Click(run.Pid(), 2));
    ASSERT_TRUE(run.WaitExit(5000)) << "Exit did not close the popup";
    EXPECT_EQ(run.ExitCode(), 2u) << "the shell's code for a missing file";
    g.Note(Format("still open %lu ms after the start (ShowTime=5); Exit clicked; exit code %lu", stillOpen,
                  run.ExitCode()));
    g.Note("controls: " + Captions(view));
}

// corvane.exe "" names a target, the empty one: it is tried like any other
// and its failure told, with the exit code of a failed start.
TEST_F(Scenario, EmptyTargetIsTriedAndItsFailureToldWithExit) {
    Medium m("emptytarget", 'N');
    Author(m, "[Info]\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "\"\""), m.Root()));
    PopupView view = WaitForView(run.Pid(), RowReady, 2);
    ASSERT_NE(view.Find(2), nullptr) << "no Exit button for the failed start: " << Captions(view);
    ASSERT_NE(view.Find(6), nullptr);
    EXPECT_EQ(view.Find(6)->caption.rfind("Could not start  (", 0), 0u) << view.Find(6)->caption;
    ASSERT_TRUE(Click(run.Pid(), 2));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_NE(run.ExitCode(), 0u) << "a failed start's code";
    EXPECT_TRUE(Spied(1, 500).empty());
}

// ------------------------------------------------------------------ menu mode

TEST_F(Scenario, MenuModeCentresButtonsInOrderStartsTheClickedEntryAndCloses) {
    GalleryEntry& g = Gallery("03-menu-mode", "Menu mode: buttons guarded by conditions");
    Medium m("menu", 'O');
    Author(m,
           "[Info]\r\n"
           "Title=Corvane Menu Disc\r\n"
           "Display=Choose what to start\r\n"
           "Message=Please choose:\r\n"
           "Filename=readme.htm\r\n"
           "FilenameMenu=Read the manual\r\n"
           "Filename1=tools\\runner.exe\r\n"
           "Filename1Param=--fast \"two words\"\r\n"
           "Filename1Menu=Run the tool\r\n"
           "Filename2=tools\\never.exe\r\n"
           "Filename2Condition=f?nothere.txt?\r\n"
           "Filename2Menu=Never offered\r\n"
           "Filename3=extras\\extra.exe\r\n"
           "Filename3Param=/auto\r\n"
           "Filename4=tools\\runner.exe\r\n"
           "Filename4Param=--slow\r\n"
           "Filename4Condition=f?tools\\runner.exe?\r\n"
           "Filename4Menu=Run it slowly\r\n"
           "ShowOptions=2\r\n"
           "ShowTime=-1\r\n");
    ASSERT_TRUE(m.PutProgram("tools\\runner.exe", "spy.exe"));
    ASSERT_TRUE(m.PutProgram("tools\\never.exe", "spy.exe"));
    ASSERT_TRUE(m.PutProgram("extras\\extra.exe", "spy.exe"));
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, ""), m.Root()));

    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    g.Shot("The menu, centred, with the buttons whose conditions hold");
    const int w = view.rect.right - view.rect.left, h = view.rect.bottom - view.rect.top;
    EXPECT_EQ(view.rect.left, view.work.left + (view.work.right - view.work.left - w) / 2) << RectText(view.rect);
    EXPECT_EQ(view.rect.top, view.work.top + (view.work.bottom - view.work.top - h) / 2) << RectText(view.rect);

    // Main entry, entry 1, entry 4: top to bottom, one column, equal sizes.
    const int expected[] = {10, 11, 14};
    const char* captions[] = {"Read the manual", "Run the tool", "Run it slowly"};
    ASSERT_EQ(view.controls.size(), 5u) << "three buttons, the link, the status text: " << Captions(view);
    const Control* previous = nullptr;
    for (int i = 0; i < 3; ++i) {
        const Control* c = view.Find(expected[i]);
        ASSERT_NE(c, nullptr) << "button " << expected[i] << " missing: " << Captions(view);
        EXPECT_EQ(c->caption, captions[i]);
        EXPECT_EQ(c->cls, "Button");
        if (previous) {
            EXPECT_GT(c->rect.top, previous->rect.bottom) << "order of " << expected[i];
            EXPECT_EQ(c->rect.left, previous->rect.left);
            EXPECT_EQ(c->rect.right - c->rect.left, previous->rect.right - previous->rect.left);
        }
        previous = c;
    }
    EXPECT_EQ(view.Find(12), nullptr) << "entry 2's condition is false";
    EXPECT_EQ(view.Find(13), nullptr) << "entry 3 has no caption";
    const std::string buttons = Captions(view);

    // Entry 3 (no caption) starts by itself; the main target waits for its button.
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].exeName, "extra.exe");
    EXPECT_TRUE(Contains(r[0].commandLine, "/auto")) << r[0].commandLine;

    // Keyboard: the focus walks the column in order, then the link, and wraps.
    view = WaitForView(run.Pid(), FocusOn, 10);
    const Control* focus = view.Focused();
    EXPECT_TRUE(focus && focus->id == 10) << Captions(view);
    std::string walk;
    const char* keys[] = {"tab", "tab", "tab", "tab", "shift+tab", "shift+tab"};
    const int focusAfter[] = {11, 14, 5, 10, 5, 14};
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(Keys(run.Pid(), keys[i]));
        view = WaitForView(run.Pid(), FocusOn, focusAfter[i]);
        focus = view.Focused();
        walk += Format("%s->%d ", keys[i], focus ? focus->id : -1);
        EXPECT_TRUE(focus && focus->id == focusAfter[i]) << "after " << keys[i] << ": " << Captions(view);
    }

    ASSERT_TRUE(Click(run.Pid(), 11));
    r = Spied(2);
    ASSERT_EQ(r.size(), 2u) << "the click started nothing";
    EXPECT_EQ(r[1].exeName, "runner.exe");
    EXPECT_TRUE(Contains(r[1].commandLine, "--fast \"two words\"")) << r[1].commandLine;
    EXPECT_TRUE(ContainsNoCase(r[1].commandLine, m.Root() + "tools\\runner.exe") ||
                ContainsNoCase(r[1].commandLine, "tools\\runner.exe"))
        << r[1].commandLine;
    ASSERT_TRUE(run.WaitExit(5000)) << "ShowOptions=2 should close the popup after the start";
    EXPECT_EQ(run.ExitCode(), 0u);
    for (const SpyRecord& s : ReadSpyLog(log_)) EXPECT_NE(s.exeName, "viewer.exe") << "the main target was started";
    g.Note("buttons: " + buttons);
    g.Note("keyboard: " + walk);
    g.Note(Format("entry 3 started by itself: %s; click on \"Run the tool\" started: %s; closed, exit code %lu",
                  r[0].commandLine.c_str(), r[1].commandLine.c_str(), run.ExitCode()));
}

// ------------------------------------------------------------------ do not show again

TEST_F(Scenario, DoNotShowAgainTickedInFirstRunSuppressesTheSecondRun) {
    GalleryEntry& g = Gallery("04-do-not-show-again", "\"Do not show again\" over two runs");
    Medium m("memory", 'P');
    const std::string id = Format("CvAcceptDisc-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    DeleteMemory(id);
    Author(m, "[Info]\r\nTitle=Corvane Example Disc\r\nShowTime=-1\r\nDoNotRepeatId=" + id + "\r\n");

    // First run: the box is offered unticked; the user ticks it and leaves.
    {
        Program run;
        ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
        PopupView view = WaitForPopup(run.Pid(), 5000);
        ASSERT_TRUE(view.present && view.visible);
        view = WaitForView(run.Pid(), RowReady, 4);
        const Control* box = view.Find(4);
        ASSERT_NE(box, nullptr) << Captions(view);
        EXPECT_EQ(box->caption, "Do not show again");
        EXPECT_FALSE(box->checked);
        ASSERT_NE(view.Find(2), nullptr) << Captions(view);
        EXPECT_TRUE(view.Find(2)->focus) << Captions(view);
        ASSERT_TRUE(Click(run.Pid(), 4));
        view = WaitForView(run.Pid(), Checked, 4);
        ASSERT_NE(view.Find(4), nullptr);
        EXPECT_TRUE(view.Find(4)->checked) << "a click did not tick the box";
        g.Shot("First run: the box ticked");
        ASSERT_TRUE(Click(run.Pid(), 2));
        ASSERT_TRUE(run.WaitExit(5000));
        EXPECT_EQ(run.ExitCode(), 0u);
        ASSERT_EQ(Spied(1).size(), 1u) << "readme.htm was not opened in the first run";
    }
    DWORD type = 0, value = 0;
    ASSERT_TRUE(ReadMemory(id, &type, &value)) << "nothing remembered";
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);

    // Second run: nothing is shown, nothing opened, 1 kept.
    {
        Program run;
        ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
        bool seen = false;
        while (run.Running() && run.ElapsedMs() < 5000) {
            PopupView view = Look(run.Pid());
            seen = seen || (view.present && view.visible);
            Sleep(50);
        }
        ASSERT_TRUE(run.WaitExit(3000)) << "the second run did not end by itself";
        EXPECT_FALSE(seen) << "the popup was shown although the user asked not to";
        EXPECT_EQ(run.ExitCode(), 0u);
        g.Shot("Second run: nothing shown");
        g.Note(Format("second run ended by itself after %lu ms with exit code %lu", run.ElapsedMs(), run.ExitCode()));
    }
    Sleep(300);
    EXPECT_EQ(ReadSpyLog(log_).size(), 1u) << "the second run opened the document";
    value = 0;
    ASSERT_TRUE(ReadMemory(id, &type, &value));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 1u);
    g.Note("HKCU\\Software\\QRN\\CorvaneCDs\\" + id + " = REG_DWORD " + std::to_string(value) + " after both runs");
    DeleteMemory(id);
}

TEST_F(Scenario, HoldingCtrlShowsThePopupDespiteTheMemory) {
    const std::string id = Format("CvAcceptCtrl-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    // Ctrl must be seen by a freshly started process; find out first whether
    // this session can produce that at all.
    ASSERT_EQ(Probe(0, "keydown ctrl"), 0);
    std::string state;
    Probe(0, "keystate ctrl", &state);
    if (!Contains(state, "held=1")) {
        Probe(0, "keyup ctrl");
        GTEST_SKIP() << "a new process under Wine reads Ctrl as up whatever the session holds (" << state
                     << "); the override cannot be produced here";
    }
    GalleryEntry& g = Gallery("05-ctrl-override", "Ctrl held at the start overrides the memory");
    Medium m("ctrl", 'Q');
    Author(m, "[Info]\r\nShowTime=-1\r\nDoNotRepeatId=" + id + "\r\n");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QRN\\CorvaneCDs", 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    DWORD one = 1;
    RegSetValueExA(key, id.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegCloseKey(key);
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 4000);
    Probe(0, "keyup ctrl");
    ASSERT_TRUE(view.present && view.visible) << "Ctrl was held but nothing was shown";
    view = WaitForView(run.Pid(), RowReady, 4);
    ASSERT_NE(view.Find(4), nullptr) << Captions(view);
    EXPECT_TRUE(view.Find(4)->checked) << "the remembered state is not shown";
    g.Shot("Shown with the box ticked");
    ASSERT_TRUE(Click(run.Pid(), 4));
    ASSERT_TRUE(Click(run.Pid(), 2));
    ASSERT_TRUE(run.WaitExit(5000));
    DWORD type = 0, value = 1;
    ASSERT_TRUE(ReadMemory(id, &type, &value));
    EXPECT_EQ(value, 0u) << "unticking did not clear the memory";
    DeleteMemory(id);
}

// ------------------------------------------------------------------ a failing viewer rule

TEST_F(Scenario, FailingViewerRuleOffersInstallButtonThatStartsTheInstaller) {
    GalleryEntry& g = Gallery("06-viewer-rule", "A viewer rule fails: the Install button");
    Medium m("viewer", 'R');
    Author(m,
           "[Info]\r\n"
           "Title=Corvane Example Disc\r\n"
           "ShowTime=5\r\n"
           "ViewerFile1=readme.htm\r\n"
           "ViewerMsg1=A web browser is needed.\r\n"
           "ViewerFile2=docs\\manual.cvdoc\r\n"
           "ViewerMsg2=This disc needs the Corvane Document Viewer.\r\n"
           "ViewerCmdClick2=setup\\installer.exe\r\n"
           "ViewerCmdClickParam2=/quiet \"%1\"\r\n"
           "ViewerCmdClickText2=Install the viewer\r\n");
    ASSERT_TRUE(m.Put("docs\\manual.cvdoc", "sample"));
    ASSERT_TRUE(m.PutProgram("setup\\installer.exe", "spy.exe"));
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));

    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    view = WaitForView(run.Pid(), RowReady, 3);
    g.Shot("Rule 2 fails: its message with Exit and Install buttons");
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_GE(r.size(), 1u);
    EXPECT_EQ(r[0].exeName, "viewer.exe") << "the document is still opened";
    const Control* exit = view.Find(2);
    const Control* install = view.Find(3);
    ASSERT_NE(exit, nullptr) << Captions(view);
    ASSERT_NE(install, nullptr) << Captions(view);
    EXPECT_EQ(install->caption, "Install the viewer");
    EXPECT_TRUE(install->enabled);
    EXPECT_TRUE(exit->focus) << Captions(view);
    EXPECT_LT(exit->rect.left, install->rect.left) << "Exit comes first in the row";
    EXPECT_TRUE(view.topmost) << "a failed rule keeps the popup on top";

    Sleep(6500 > run.ElapsedMs() ? 6500 - run.ElapsedMs() : 0);
    ASSERT_TRUE(run.Running()) << "the failed rule should have stopped the auto-close timer";
    ASSERT_TRUE(Click(run.Pid(), 3));
    r = Spied(2);
    ASSERT_EQ(r.size(), 2u) << "the Install button started nothing";
    EXPECT_EQ(r[1].exeName, "installer.exe");
    EXPECT_TRUE(Contains(r[1].commandLine, "/quiet \"docs\\manual.cvdoc\"")) << r[1].commandLine;
    // The focus moves back to Exit once the installer has started, so after
    // the spy's record; the popup may close by itself meanwhile.
    view = WaitForView(run.Pid(), [](const PopupView& v, int id) { return !v.present || FocusOn(v, id); }, 2);
    if (view.present) {
        g.Shot("After the click: Install disabled, the focus back on Exit");
        ASSERT_NE(view.Find(3), nullptr);
        EXPECT_FALSE(view.Find(3)->enabled);
        ASSERT_NE(view.Find(2), nullptr);
        EXPECT_TRUE(view.Find(2)->focus) << Captions(view);
    }
    // Starting the installer arms the auto-close timer again; it runs out
    // once the user's pointer has left the popup.
    const DWORD clicked = run.ElapsedMs();
    ASSERT_TRUE(MovePointer(1000, 740));
    ASSERT_TRUE(run.WaitExit(8000)) << "the popup did not close after ShowTime once the installer ran";
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note("row: " + Captions(view));
    g.Note(Format("installer started as: %s; popup closed by itself %lu ms after the click; exit code %lu",
                  r[1].commandLine.c_str(), run.ElapsedMs() - clicked, run.ExitCode()));
}

// ------------------------------------------------------------------ nomsg

TEST_F(Scenario, NomsgKeepsThePopupHiddenWhileAllGoesWell) {
    GalleryEntry& g = Gallery("07-nomsg-quiet", "nomsg: nothing shown while all goes well");
    Medium m("nomsg", 'S');
    Author(m, "[Info]\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm nomsg"), m.Root()));
    bool existed = false, shown = false, shot = false;
    while (run.Running() && run.ElapsedMs() < 9000) {
        PopupView view = Look(run.Pid());
        existed = existed || view.present;
        shown = shown || (view.present && view.visible);
        if (view.present && !shot && run.ElapsedMs() > 1500) {
            g.Shot("The popup exists but is hidden");
            shot = true;
        }
        Sleep(100);
    }
    ASSERT_TRUE(run.WaitExit(1000)) << "the hidden popup did not close after ShowTime";
    EXPECT_TRUE(existed) << "the probe never found the hidden popup";
    EXPECT_FALSE(shown) << "nomsg: the popup became visible although nothing failed";
    EXPECT_GE(run.ElapsedMs(), 5000u);
    EXPECT_EQ(run.ExitCode(), 0u);
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    g.Note(Format("readme.htm opened, popup never visible, ended after %lu ms with exit code %lu", run.ElapsedMs(),
                  run.ExitCode()));
}

TEST_F(Scenario, NomsgShowsThePopupWhenAFailureAppears) {
    GalleryEntry& g = Gallery("08-nomsg-failure", "nomsg: shown as soon as something fails");
    Medium m("nomsgfail", 'T');
    Author(m, "[Info]\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "missing.htm -nomsg"), m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible) << "the failure did not show the hidden popup";
    view = WaitForView(run.Pid(), RowReady, 2);
    g.Shot("The failure made the hidden popup visible");
    ASSERT_NE(view.Find(2), nullptr) << Captions(view);
    EXPECT_EQ(view.rect.left, view.work.left);
    EXPECT_EQ(view.rect.top, view.work.top);
    ASSERT_TRUE(Click(run.Pid(), 2));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_EQ(run.ExitCode(), 2u);
    g.Note(Format("shown with %s; Exit clicked; exit code %lu", Captions(view).c_str(), run.ExitCode()));
}

// ------------------------------------------------------------------ UTF-8 settings

TEST_F(Scenario, Utf8SettingsShowNonLatinTitleAndCaptions) {
    GalleryEntry& g = Gallery("09-utf8", "UTF-8 settings with Greek and Cyrillic texts");
    Medium m("utf8", 'U');
    const std::string id = Format("CvAcceptUtf8-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    DeleteMemory(id);
    const std::string title = u8"Δίσκος Corvane — Ελληνικά";
    const std::string menu0 = u8"Открыть руководство";
    const std::string menu1 = u8"Εκκίνηση εργαλείου";
    const std::string exitText = u8"Выход";
    const std::string boxText = u8"Να μην εμφανιστεί ξανά";
    Author(m, "\xEF\xBB\xBF[Info]\r\n"
              "Title=" + title + "\r\n"
              u8"Display=Добро пожаловать на диск\r\n"
              u8"Message=Καλώς ήρθατε! Выберите, что запустить.\r\n"
              "Filename=readme.htm\r\n"
              "FilenameMenu=" + menu0 + "\r\n"
              "Filename1=tools\\runner.exe\r\n"
              "Filename1Menu=" + menu1 + "\r\n"
              "ExitMsg=" + exitText + "\r\n"
              "DoNotRepeatId=" + id + "\r\n"
              "DoNotRepeatText=" + boxText + "\r\n"
              "ShowTime=-1\r\n");
    ASSERT_TRUE(m.PutProgram("tools\\runner.exe", "spy.exe"));
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, ""), m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    view = WaitForView(run.Pid(), RowReady, 4);
    g.Shot("Title, information line, message and buttons in Greek and Cyrillic");
    EXPECT_TRUE(view.unicode) << "UTF-8 mode should make a wide-character window";
    EXPECT_EQ(view.title, title);
    ASSERT_NE(view.Find(10), nullptr) << Captions(view);
    EXPECT_EQ(view.Find(10)->caption, menu0);
    ASSERT_NE(view.Find(11), nullptr) << Captions(view);
    EXPECT_EQ(view.Find(11)->caption, menu1);
    ASSERT_NE(view.Find(2), nullptr) << Captions(view);
    EXPECT_EQ(view.Find(2)->caption, exitText);
    ASSERT_NE(view.Find(4), nullptr) << Captions(view);
    EXPECT_EQ(view.Find(4)->caption, boxText);
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_EQ(run.ExitCode(), 0u);
    DWORD type = 0, value = 1;
    EXPECT_TRUE(ReadMemory(id, &type, &value) && value == 0) << "the unticked box is remembered as 0";
    g.Note("title \"" + view.title + "\"; controls " + Captions(view));
    DeleteMemory(id);
}

// ------------------------------------------------------------------ the medium goes away

TEST_F(Scenario, RemovingTheMediumClosesThePopupButAnotherDriveDoesNot) {
    GalleryEntry& g = Gallery("10-medium-removed", "The medium is taken out while the popup is open");
    Medium m("removal", 'V');
    Medium other("otherdrive", 'W');
    ASSERT_TRUE(other.Mapped());
    Author(m, "[Info]\r\nTitle=Corvane Example Disc\r\nShowTime=-1\r\n");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    ASSERT_EQ(Spied(1).size(), 1u);
    g.Shot("The popup before the medium goes");

    ASSERT_TRUE(other.Eject());
    EXPECT_TRUE(BroadcastRemoval(other.Letter()));
    Sleep(1500);
    ASSERT_TRUE(run.Running()) << "removing another drive closed the popup";
    view = Look(run.Pid());
    EXPECT_TRUE(view.present && view.visible);

    ASSERT_TRUE(m.Eject());
    const DWORD ejected = run.ElapsedMs();
    EXPECT_TRUE(BroadcastRemoval(m.Letter()));
    ASSERT_TRUE(run.WaitExit(5000)) << "the popup stayed after its medium was removed";
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note(Format("drive %c: removed: popup stayed; drive %c: (the medium) removed: closed after %lu ms, exit code %lu",
                  other.Letter(), m.Letter(), run.ElapsedMs() - ejected, run.ExitCode()));
}

// ------------------------------------------------------------------ broken settings

// Bytes no editor would write: binary noise, broken lines, invalid UTF-8,
// one very long line; no [Info] section anywhere.
std::string Garbage() {
    std::string g;
    unsigned long seed = 12345;
    for (int i = 0; i < 6000; ++i) {
        seed = seed * 1103515245UL + 12345UL;
        g.push_back(static_cast<char>((seed >> 16) & 0xFF));
    }
    g += "\r\n[Inf\r\n==== =\r\nShowTime=banana\r\nTitle\r\n\xC3\x28\xA0\xA1\xFF\xFE\r\n";
    g += std::string(70000, 'x');
    g += "\r\n[\r\n]=]\r\n";
    g.append(3, '\0');
    for (size_t i = 0; i + 5 < g.size(); ++i)  // never a real section header
        if (g.compare(i, 6, "[Info]") == 0) g[i + 1] = 'X';
    return g;
}

void ExpectDefaultRun(GalleryEntry& g, const Medium& m, Program& run, const std::string& log) {
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible) << "no popup";
    g.Shot("The popup with every setting at its default");
    EXPECT_EQ(view.title, kDefaultTitle);
    EXPECT_EQ(view.rect.left, view.work.left);
    EXPECT_EQ(view.rect.top, view.work.top);
    ASSERT_EQ(view.controls.size(), 2u) << Captions(view);
    EXPECT_EQ(view.Find(5)->caption, "Quarnsoft");
    std::vector<SpyRecord> r = WaitForSpyRecords(log, 1, 5000);
    ASSERT_EQ(r.size(), 1u) << "readme.htm was not opened";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + "readme.htm")) << r[0].commandLine;
    // Started from C:\, the program still works in its own folder.
    EXPECT_TRUE(ContainsNoCase(r[0].currentDirectory, m.Root().substr(0, 2))) << r[0].currentDirectory;
    // The default ShowTime is 15 s: still open now; the close box ends it.
    EXPECT_TRUE(run.Running());
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000)) << "the close request did not end the program";
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note(Format("title \"%s\" at (%ld,%ld), no buttons; viewer.exe opened %s in %s; closed on request, exit code %lu",
                  view.title.c_str(), view.rect.left, view.rect.top, r[0].commandLine.c_str(),
                  r[0].currentDirectory.c_str(), run.ExitCode()));
}

TEST_F(Scenario, SettingsFileOfGarbageRunsWithDefaults) {
    GalleryEntry& g = Gallery("11-garbage-settings", "Corva.INF full of garbage");
    Medium m("garbage", 'X');
    Author(m, Garbage());
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), "C:\\"));
    ExpectDefaultRun(g, m, run, log_);
}

TEST_F(Scenario, MissingSettingsFileRunsWithDefaults) {
    GalleryEntry& g = Gallery("12-missing-settings", "No Corva.INF on the medium");
    Medium m("nosettings", 'Y');
    Author(m, "");
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), "C:\\"));
    ExpectDefaultRun(g, m, run, log_);
}

}  // namespace
