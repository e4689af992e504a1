// Whole-program scenarios for behaviours a user meets on real PCs: accented
// names in UTF-8 mode, the installer that is waited for before the target is
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

// The spy records command lines as the program got them, in the ANSI code
// page; the gallery is UTF-8.
std::string ShownAnsi(const std::string& ansi) {
    std::wstring wide(ansi.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0],
                                      static_cast<int>(wide.size()));
    wide.resize(n > 0 ? n : 0);
    return Utf8Of(wide);
}

// A field of one of the probe's tab-separated lines.
std::string Field(const std::string& line, const std::string& key) {
    size_t at = line.find("\t" + key + "=");
    if (at == std::string::npos) return std::string();
    at += key.size() + 2;
    return line.substr(at, line.find_first_of("\t\r\n", at) - at);
}

// The probe's line of the process's top-level window of class `cls`, polled
// until it exists (empty when it did not appear within `ms`).
std::string WaitForWindow(DWORD pid, const std::string& cls, DWORD ms = 5000) {
    const DWORD start = GetTickCount();
    do {
        std::string out;
        if (Probe(pid, "windows", &out) == 0) {
            size_t begin = 0;
            while (begin < out.size()) {
                size_t end = out.find('\n', begin);
                if (end == std::string::npos) end = out.size();
                const std::string line = out.substr(begin, end - begin);
                if (Field(line, "class") == cls) return line;
                begin = end + 1;
            }
        }
        Sleep(100);
    } while (GetTickCount() - start < ms);
    return std::string();
}

RECT ParseRect(const std::string& text) {
    RECT r = {0, 0, 0, 0};
    std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
    return r;
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

// A 24-bit bitmap file of one colour.
std::string SolidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    const int row = (width * 3 + 3) / 4 * 4;
    const unsigned size = 54 + static_cast<unsigned>(row * height);
    std::string bytes(size, '\0');
    auto put32 = [&bytes](size_t at, unsigned v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<unsigned>(width));
    put32(22, static_cast<unsigned>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 54 + static_cast<size_t>(y * row + x * 3);
            bytes[at] = static_cast<char>(b);
            bytes[at + 1] = static_cast<char>(g);
            bytes[at + 2] = static_cast<char>(r);
        }
    return bytes;
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

// ------------------------------------------------------------------ UTF-8 mode

TEST_F(Fidelity, Utf8ModeAccentedNamesReachTheShellAndTheBoxAsWritten) {
    GalleryEntry& g = Gallery("20-utf8-accented", "UTF-8 settings and an accented document name");
    const std::wstring word = AccentedWord();
    if (word.empty()) GTEST_SKIP() << "the ANSI code page " << GetACP() << " holds none of the test words";
    const std::string utf8Name = Utf8Of(word) + ".htm", ansiName = AnsiOf(word) + ".htm";
    const std::string title = Utf8Of(word) + " Disc";
    Medium m("accented", 'K');
    // A viewer rule without its message: the author is told in a box whose
    // caption is the (UTF-8) title.
    Author(m, "\xEF\xBB\xBF[Info]\r\nTitle=" + title + "\r\nShowTime=5\r\nViewerFile1=readme.htm\r\n");
    ASSERT_TRUE(m.Put(ansiName, "<html><body>accented</body></html>\r\n"));
    g.Note(Format("ANSI code page %u; the document is named %s", GetACP(), utf8Name.c_str()));

    // The name as Windows passes it: in the ANSI code page.
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe " + ansiName, m.Root()));
    const std::string box = WaitForWindow(run.Pid(), "#32770");
    ASSERT_FALSE(box.empty()) << "no message box for the missing ViewerMsg1";
    g.Shot("The box for a viewer rule without its message");
    EXPECT_EQ(Field(box, "text"), "ViewerMsg1 parameter not given");
    EXPECT_EQ(Field(box, "title"), title) << "the caption is the title as written";
    EXPECT_TRUE(Spied(1, 500).empty()) << "nothing starts before the box is answered";
    ASSERT_EQ(Probe(run.Pid(), "boxok"), 0);

    PopupView view = WaitForPopup(run.Pid(), 5000);
    ASSERT_TRUE(view.present && view.visible);
    EXPECT_EQ(view.title, title);
    std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "the accented document was not opened";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + ansiName)) << r[0].commandLine;
    // The built-in logo stands at the top left when no icon is named: many
    // colours where it is drawn, and the texts start right of it.
    EXPECT_GE(DistinctColours(run.Pid(), 0, 0, 89, 75, 3), 3) << "no logo drawn";
    g.Shot("The status text reads: Starting " + utf8Name + " (HTML Document)... ");
    ASSERT_TRUE(run.WaitExit(8000));
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note("viewer.exe opened: " + ShownAnsi(r[0].commandLine));

    // The same name written in the settings' Filename (UTF-8) starts that file.
    ASSERT_TRUE(m.Put("Corva.INF", "\xEF\xBB\xBF[Info]\r\nTitle=" + title + "\r\nShowTime=5\r\nFilename=" + utf8Name + "\r\n"));
    UseSpyLog(log_);
    Program second;
    ASSERT_TRUE(second.Start(m.Root() + "corvane.exe", m.Root()));
    r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << "the Filename written in UTF-8 was not opened";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + ansiName)) << r[0].commandLine;
    ASSERT_TRUE(second.WaitExit(8000));
    EXPECT_EQ(second.ExitCode(), 0u);
    g.Note("with Filename=" + utf8Name + ", viewer.exe opened: " + ShownAnsi(r[0].commandLine));
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
