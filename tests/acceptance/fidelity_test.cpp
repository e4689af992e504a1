// Whole-program scenarios for behaviours a user meets on real PCs: names in
// any script, the installer that is waited for before the target is
// started again, the main button with ShowOptions=2, the splash window kept on
// top at its own place, the built-in logo and the box for a viewer rule
// without its message. Observed from outside like the other scenarios.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

std::string Captions(const PopupView& view) {
    std::string out;
    for (const Control& c : view.controls)
        out += Format("[%d \"%s\"%s%s] ", c.id, c.caption.c_str(), c.enabled ? "" : " disabled", c.focus ? " focus" : "");
    return out.empty() ? "no controls" : out;
}

const std::string kGreek = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ελληνικά
const std::string kJapanese = "\xE6\x97\xA5\xE6\x9C\xAC\xE8\xAA\x9E";                        // 日本語
const std::string kDisc = "\xCE\x94\xCE\xAF\xCF\x83\xCE\xBA\xCE\xBF\xCF\x82";              // Δίσκος

// A text saved as "Unicode" (UTF-16 with its mark).
std::string Utf16File(const std::string& utf8) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : WideOf(utf8)) out += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    return out;
}

// Number of distinct colours the probe read on a grid over the popup's
// client rectangle; -1 when the probe could not read them.
int DistinctColours(DWORD pid, int left, int top, int right, int bottom, int step) {
    std::string out;
    if (Probe(pid, Format("pixels %d %d %d %d %d", left, top, right, bottom, step), &out) != 0) return -1;
    const size_t at = out.find("distinct=");
    return at == std::string::npos ? -1 : std::atoi(out.c_str() + at + 9);
}

// Client-area x of a control, from the screen rectangles the probe reports:
// the popup's side frames are alike, so the client starts half the difference in.
long ClientX(const PopupView& view, const Control& c) {
    const long frame = ((view.rect.right - view.rect.left) - view.clientWidth) / 2;
    return c.rect.left - (view.rect.left + frame);
}

class Fidelity : public ScenarioTest {
protected:
    Fidelity() : ScenarioTest("fidelity") {}
    void TearDown() override {
        ScenarioTest::TearDown();
        UnregisterFileClass("", laterClass_);
        UnregisterFileClass("", "CvAcceptLaterDoc");
    }

    const std::string laterClass_ = Format("CvAcceptLater%lu", static_cast<unsigned long>(GetCurrentProcessId()));
};

// ------------------------------------------------------------------ names in any script

// Started from a folder named in Greek with a Greek document on its Unicode
// command line, settings saved as "Unicode" with a Japanese title: every
// name arrives as written, in the box, the title and the shell's start.
TEST_F(Fidelity, NamesInAnyScriptFromAGreekFolderAndAUnicodeSettingsFile) {
    GalleryEntry& g = Gallery("20-any-script", "Names in any script: a Greek folder and document, a Japanese title");
    Medium m("anyscript", 'K');
    ASSERT_TRUE(m.Mapped());
    const std::string folder = kDisc + "\\", title = kJapanese + " Disc";
    ASSERT_TRUE(m.PutProgram(folder + "corvane.exe"));
    // A viewer rule without its message: the author is told in a box whose
    // caption is the title.
    ASSERT_TRUE(m.Put(folder + "Corva.INF",
                      Utf16File("[Info]\r\nTitle=" + title + "\r\nShowTime=5\r\nViewerFile1=readme.htm\r\n")));
    ASSERT_TRUE(m.Put(folder + kGreek + ".htm", "<html><body>Greek</body></html>\r\n"));
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + folder + "corvane.exe " + kGreek + ".htm", m.Root()));
    const std::string box = WaitForWindow(run.Pid(), "#32770");
    ASSERT_FALSE(box.empty()) << "no message box for the missing ViewerMsg1";
    EXPECT_EQ(Field(box, "title"), title);
    ASSERT_EQ(Probe(run.Pid(), "boxok"), 0);
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    EXPECT_EQ(view.title, title);
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "the Greek document was not opened";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + folder + kGreek + ".htm")) << r[0].commandLine;
    EXPECT_EQ(r[0].currentDirectory, m.Root() + kDisc) << "the program's folder is the current one";
    g.Shot("The Japanese title over the Greek document's status text");
    ASSERT_TRUE(run.WaitExit(15000));
    EXPECT_EQ(run.ExitCode(), 0u);

    // UTF-8 settings naming a Japanese document in Filename.
    ASSERT_TRUE(m.Put(folder + "Corva.INF", "\xEF\xBB\xBF[Info]\r\nShowTime=5\r\nFilename=" + kJapanese + ".htm\r\n"));
    ASSERT_TRUE(m.Put(folder + kJapanese + ".htm", "<html><body>Japanese</body></html>\r\n"));
    UseSpyLog(log_);
    Program second;
    ASSERT_TRUE(second.Start(m.Root() + folder + "corvane.exe", m.Root()));
    r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "the Filename written in Japanese was not opened";
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + folder + kJapanese + ".htm")) << r[0].commandLine;
    ASSERT_TRUE(second.WaitExit(15000));
    g.Note("viewer.exe opened " + r[0].commandLine);
}

// Menu entries whose targets, captions and conditions are Japanese and Greek,
// one of them a verb target: the buttons offered, the names the shell gets.
TEST_F(Fidelity, MenuEntriesVerbTargetsAndConditionsInAnyScript) {
    Medium m("anyscriptmenu", 'L');
    Author(m, "\xEF\xBB\xBF[Info]\r\nShowTime=-1\r\n"
              "Filename1=" + kJapanese + ".htm\r\nFilename1Menu=" + kJapanese + "\r\nFilename1Condition=f?" + kJapanese +
              ".htm?\r\n"
              "Filename2=~CvAcceptHtml~open~" + kGreek + ".htm\r\nFilename2Menu=" + kGreek + "\r\n"
              "Filename3=readme.htm\r\nFilename3Menu=Never\r\nFilename3Condition=f?" + kGreek + ".txt?\r\n");
    ASSERT_TRUE(m.Put(kJapanese + ".htm", "<html><body>Japanese</body></html>\r\n"));
    ASSERT_TRUE(m.Put(kGreek + ".htm", "<html><body>Greek</body></html>\r\n"));
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe", m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    ASSERT_NE(view.Find(11), nullptr) << Captions(view);
    ASSERT_NE(view.Find(12), nullptr) << Captions(view);
    EXPECT_EQ(view.Find(11)->caption, kJapanese);
    EXPECT_EQ(view.Find(12)->caption, kGreek);
    EXPECT_EQ(view.Find(13), nullptr) << "the Greek condition's file is not there";
    ASSERT_TRUE(Click(run.Pid(), 11));
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u);
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, kJapanese + ".htm")) << r[0].commandLine;
    ASSERT_TRUE(Click(run.Pid(), 12));
    r = Spied(2);
    ASSERT_EQ(r.size(), 2u);
    EXPECT_EQ(r[1].commandLine, "\"" + PcProgram("viewer.exe") + "\" \"" + kGreek + ".htm\"") << "the verb's operand as written";
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_EQ(run.ExitCode(), 0u);
}

// A file without the mark is read in the ANSI code page as before; a choice
// stored by an earlier version under the name the ANSI functions made of a
// UTF-8 id is found, honoured and kept under its Unicode name.
TEST_F(Fidelity, AnAnsiFileShowsCafeAndAnEarlierVersionsChoiceIsHonoured) {
    ASSERT_EQ(GetACP(), 1252u) << "the case is written for the Western code page";
    Medium m("anyscriptansi", 'P');
    Author(m, "[Info]\r\nTitle=Caf\xE9\r\nShowTime=5\r\n");
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    PopupView view = WaitForPopup(run.Pid(), 5000);
    EXPECT_EQ(view.title, "Caf\xC3\xA9");
    ASSERT_TRUE(run.WaitExit(8000));

    const std::string id = "cv-" + kDisc;
    DeleteMemory(id);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\QRN\\CorvaneCDs", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    RegSetValueExA(key, id.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    ASSERT_TRUE(m.Put("Corva.INF", "\xEF\xBB\xBF[Info]\r\nShowTime=5\r\nDoNotRepeatId=" + id + "\r\n"));
    UseSpyLog(log_);
    Program second;
    ASSERT_TRUE(second.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    ASSERT_TRUE(second.WaitExit(5000)) << "the earlier choice was not honoured";
    EXPECT_EQ(second.ExitCode(), 0u);
    EXPECT_TRUE(Spied(1, 500).empty());
    DWORD type = 0, value = 0;
    EXPECT_TRUE(ReadMemory(id, &type, &value) && type == REG_DWORD && value == 1) << "kept under the Unicode name";
    DeleteMemory(id);
    RegDeleteValueA(key, id.c_str());
    RegCloseKey(key);
}

// ------------------------------------------------------------------ long texts

// `count` Chinese characters (U+4E2D onwards), UTF-8.
std::string Chinese(size_t count, unsigned first) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        const unsigned c = first + static_cast<unsigned>(i);
        out += std::string{static_cast<char>(0xE0 | (c >> 12)), static_cast<char>(0x80 | ((c >> 6) & 0x3F)),
                           static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

// Texts are as long as the settings allow in characters, in every encoding:
// a Message of 700 Cyrillic letters is shown whole (the status window's
// text, which a screen reader reads) from a UTF-8 file and a UTF-16 file; a
// menu entry naming a 108-character Chinese path (324 bytes of UTF-8)
// starts that document. (The same letters from a code-page file:
// codepage_test.cpp.)
TEST_F(Fidelity, LongTextsAndPathsAreWholeFromUtf8AndUtf16Files) {
    GalleryEntry& g = Gallery("24-long-texts", "700 Cyrillic letters and a 108-character Chinese path, whole");
    Medium m("longtexts", 'N');
    const std::string letters = CyrillicLetters(700, false);
    const std::string path = Chinese(40, 0x4E2D) + "\\" + Chinese(40, 0x5F00) + "\\" + Chinese(22, 0x6587) + ".htm";
    ASSERT_EQ(WideOf(path).size(), 108u);
    const std::string settings = "[Info]\r\nShowTime=-1\r\nMessage=" + letters + "\r\nFilename1=" + path +
                                 "\r\nFilename1Menu=Open\r\n";
    Author(m, "\xEF\xBB\xBF" + settings);
    ASSERT_TRUE(m.Put(path, "<html><body>Chinese</body></html>\r\n"));

    const std::string files[] = {"\xEF\xBB\xBF" + settings, Utf16File(settings)};
    for (size_t i = 0; i < 2; ++i) {
        SCOPED_TRACE(i ? "UTF-16" : "UTF-8");
        ASSERT_TRUE(m.Put("Corva.INF", files[i]));
        Program run;
        ASSERT_TRUE(run.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
        const PopupView view = WaitForView(run.Pid(), StatusAndButton, kEntry1);
        ASSERT_TRUE(StatusAndButton(view, kEntry1)) << "no status text or no menu button";
        ExpectWholeText(view.Find(kStatus)->caption, letters);
        if (i == 0) g.Shot("700 Cyrillic letters from a UTF-8 file: the status text wraps, its window holds all");
        // readme.htm at the start, then the entry's document.
        ASSERT_TRUE(Click(run.Pid(), kEntry1));
        const std::vector<SpyRecord> r = Spied(2 * (i + 1));
        ASSERT_EQ(r.size(), 2 * (i + 1)) << "the entry's document was not started";
        EXPECT_TRUE(ContainsNoCase(r.back().commandLine, m.Root() + path)) << r.back().commandLine;
        ASSERT_TRUE(CloseRequest(run.Pid()));
        ASSERT_TRUE(run.WaitExit(5000));
    }
}

// ------------------------------------------------------------------ install, wait, start again

TEST_F(Fidelity, InstallerIsWaitedForThenTheTargetStartsAgainAndThePopupCloses) {
    GalleryEntry& g = Gallery("21-install-and-retry", "Install: waited for, then the target starts and the popup closes");
    Medium m("retry", 'L');
    ASSERT_TRUE(m.Mapped());
    ASSERT_TRUE(m.PutProgram("corvane.exe"));
    ASSERT_TRUE(m.PutProgram("setup\\installer.exe", "spy.exe"));
    ASSERT_TRUE(m.Put("guide.cvdoc", "sample"));
    const std::string viewer = "\"" + PcProgram("viewer.exe") + "\" \"%1\"";
    const std::string hold = work_ + "installer.hold";
    SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());

    // A document no program opens yet, then a verb target of a class that
    // does not exist yet: both fail as "no viewer" and offer the installer.
    const std::string targets[] = {"guide.cvdoc", "~" + laterClass_ + "~open~guide.cvdoc"};
    for (const std::string& target : targets) {
        SCOPED_TRACE(target);
        UseSpyLog(log_);
        ASSERT_TRUE(WriteTextFile(hold, "hold"));
        ASSERT_TRUE(m.Put("Corva.INF", "[Info]\r\nShowTime=5\r\nFilename=" + target +
                                           "\r\nNoViewerCmdClick=setup\\installer.exe\r\n"
                                           "NoViewerCmdClickParam=/quiet\r\n"
                                           "NoViewerCmdClickMsg=Installing the viewer...\r\n"));
        Program run;
        ASSERT_TRUE(run.Start(m.Root() + "corvane.exe", m.Root()));
        PopupView view = WaitForView(run.Pid(), [](const PopupView& v, int) { return v.Find(3) && FocusOn(v, 2); }, 0);
        ASSERT_NE(view.Find(3), nullptr) << Captions(view);
        EXPECT_EQ(view.Find(3)->caption, "Install viewer");
        if (target[0] != '~') g.Shot("No viewer: the Install button is offered");
        ASSERT_TRUE(Click(run.Pid(), 3));

        std::vector<SpyRecord> r = Spied(1);
        ASSERT_EQ(r.size(), 1u) << "the Install button started nothing";
        EXPECT_EQ(r[0].exeName, "installer.exe");
        EXPECT_TRUE(ContainsNoCase(r[0].commandLine, "/quiet")) << r[0].commandLine;
        // While the installer runs the popup waits, responsive, its Install
        // button used; past ShowTime it is still there.
        view = WaitForView(run.Pid(), [](const PopupView& v, int) { return v.Find(3) && !v.Find(3)->enabled; }, 0);
        ASSERT_TRUE(view.present) << "the popup went away while the installer ran";
        EXPECT_FALSE(view.Find(3)->enabled) << Captions(view);
        if (target[0] != '~') g.Shot("The installer runs: Installing the viewer...");
        Sleep(6000 > run.ElapsedMs() ? 6000 - run.ElapsedMs() : 0);
        ASSERT_TRUE(run.Running()) << "closed while the installer was waited for";
        EXPECT_TRUE(Spied(2, 300).size() == 1u) << "the target was started again before the installer ended";

        // The installer "installs" the viewer and ends.
        if (target[0] == '~')
            ASSERT_TRUE(RegisterFileClass("", laterClass_, "Later", "open", viewer));
        else
            ASSERT_TRUE(RegisterFileClass(".cvdoc", "CvAcceptLaterDoc", "Later Document", "open", viewer));
        const DWORD released = run.ElapsedMs();
        ASSERT_TRUE(DeleteFileA(hold.c_str()));
        r = Spied(2);
        ASSERT_EQ(r.size(), 2u) << "the target was not started again after the installer";
        EXPECT_EQ(r[1].exeName, "viewer.exe");
        EXPECT_TRUE(ContainsNoCase(r[1].commandLine, "guide.cvdoc")) << r[1].commandLine;
        EXPECT_GE(r[1].timeMs, r[0].timeMs);
        ASSERT_TRUE(run.WaitExit(5000)) << "the popup stayed after the second start";
        EXPECT_LT(run.ElapsedMs() - released, 4000u) << "closed by the start, not by a timer";
        g.Note(Format("%s: installer %s, then viewer.exe %s; closed %lu ms after the installer ended, exit code %ld",
                      target.c_str(), r[0].commandLine.c_str(), r[1].commandLine.c_str(), run.ElapsedMs() - released,
                      static_cast<long>(run.ExitCode())));
    }
}

// ------------------------------------------------------------------ main button, splash, logo fallback

TEST_F(Fidelity, MainButtonStartClosesThePopupTopmostSplashAtItsPlaceLogoFallsBack) {
    GalleryEntry& g = Gallery("22-button-splash-logo", "Menu button with ShowOptions=2, a splash kept on top at 100,50");
    Medium m("button", 'P');
    Author(m,
           "[Info]\r\n"
           "Title=Corvane Button Disc\r\n"
           "Message=Press the button\r\n"
           "Filename=readme.htm\r\n"
           "FilenameMenu=Read me\r\n"
           "ShowOptions=2\r\n"
           "ShowTime=-1\r\n"
           "icon=art\\missing.bmp\r\n"
           "splash=art\\splash.bmp\r\n"
           "SplashOptions=1\r\n"
           "SplashShowTime=60\r\n"
           "xSplash=100\r\n"
           "ySplash=50\r\n");
    ASSERT_TRUE(m.Put("art\\splash.bmp", SolidBmp(120, 60, 200, 40, 40)));
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe", m.Root()));
    PopupView view = WaitForView(run.Pid(), [](const PopupView& v, int) { return v.visible && v.Find(10) != nullptr; }, 0);
    ASSERT_TRUE(view.present && view.visible);
    const std::string splash = WaitForWindow(run.Pid(), "Corvane Splash");
    ASSERT_FALSE(splash.empty()) << "no splash window";
    g.Shot("The popup with its button and the splash at 100,50, on top");
    const RECT s = ParseRect(Field(splash, "rect"));
    EXPECT_EQ(s.left, view.work.left + 100) << Field(splash, "rect");
    EXPECT_EQ(s.top, view.work.top + 50) << Field(splash, "rect");
    EXPECT_EQ(s.right - s.left, 120);
    EXPECT_EQ(s.bottom - s.top, 60);
    EXPECT_EQ(Field(splash, "topmost"), "1") << "SplashOptions=1 keeps the splash on top";
    EXPECT_EQ(Field(splash, "visible"), "1");

    // The icon file is missing: the built-in 89-pixel logo stands in, so the
    // button column starts right of it.
    const Control* button = view.Find(10);
    ASSERT_NE(button, nullptr) << Captions(view);
    EXPECT_EQ(button->caption, "Read me");
    EXPECT_EQ(ClientX(view, *button), 89 + GetSystemMetrics(SM_CXFRAME));
    EXPECT_GE(DistinctColours(run.Pid(), 0, 0, 89, 75, 3), 3) << "no logo drawn";
    EXPECT_TRUE(Spied(1, 500).empty()) << "a main target with a button waits for it";

    ASSERT_TRUE(Click(run.Pid(), 10));
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "the button started nothing";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + "readme.htm")) << r[0].commandLine;
    ASSERT_TRUE(run.WaitExit(5000)) << "ShowOptions=2: the popup closes after the button's start";
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note("splash window: " + Field(splash, "rect") + " topmost=" + Field(splash, "topmost"));
    g.Note(Format("button \"Read me\" at client x %ld; viewer.exe %s; closed, exit code %lu", ClientX(view, *button),
                  r[0].commandLine.c_str(), run.ExitCode()));
}

}  // namespace
