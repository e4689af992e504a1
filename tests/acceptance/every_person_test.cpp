// Scenarios for people who do not read the popup with a mouse at 96 DPI: a
// screen reader finds every text the popup shows as the name of a window,
// the keyboard reaches and works the web link, Escape leaves, and at a high
// DPI the popup, its logo and a long message still fit on the work area.
//
// The HighDpi scenario runs at whatever DPI the prefix has: 96 in the usual
// run, 120, 144 and 192 under scripts/test-dpi (which says which one it set
// in CORVANE_EXPECT_DPI).
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

const int kLink = 5, kExit = 2, kCheckBox = 4, kMainEntry = 10;  // kStatus, kEntry1: scenario_fixture.h

std::string Autorun(const Medium& m, const std::string& rest) { return m.Root() + "corvane.exe " + rest; }

std::string RectText(const RECT& r) { return Format("(%ld,%ld)-(%ld,%ld)", r.left, r.top, r.right, r.bottom); }

std::string TreeText(const std::vector<Accessible>& tree) {
    std::string out;
    for (const Accessible& a : tree)
        out += Format("[%d %s \"%s\" role=%ld state=0x%lx%s] ", a.id, a.cls.c_str(), a.name.c_str(), a.role, a.state,
                      a.focused ? " focused" : "");
    return out.empty() ? "no popup" : out;
}

std::string EventsText(const std::vector<WinEvent>& events) {
    std::string out;
    for (const WinEvent& e : events)
        out += Format("[%s %s %d obj=%ld child=%ld \"%s\"] ", e.kind.c_str(), e.cls.c_str(), e.id, e.object, e.child,
                      e.name.c_str());
    return out.empty() ? "no events" : out;
}

std::string ViewText(const PopupView& view) {
    if (!view.present) return "no popup";
    std::string out = Format("popup%s %s: ", view.visible ? "" : " (hidden)", RectText(view.rect).c_str());
    for (const Control& c : view.controls)
        out += Format("[%d %s \"%s\"%s] ", c.id, c.cls.c_str(), c.caption.c_str(), c.focus ? " focus" : "");
    return out;
}

bool Inside(const RECT& inner, const RECT& outer) {
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

// The popup is up with the link and the status text as windows (and, when
// `id` is not 0, control `id` too).
bool TextsReady(const PopupView& view, int id) {
    return view.visible && view.Find(kLink) && view.Find(kStatus) && (id == 0 || view.Find(id));
}

// What a screen reader announces for a push button: the runtime's button
// role, or under Wine, which gives every standard control the client role,
// a window of the button class that is not a check box or radio button.
bool ReadAsButton(const Accessible& a) {
    const unsigned long type = a.style & BS_TYPEMASK;
    const bool pushLike = type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW;
    return a.cls == "Button" && pushLike && (a.role == ROLE_SYSTEM_PUSHBUTTON || a.role == ROLE_SYSTEM_CLIENT);
}

class EveryPerson : public ScenarioTest {
protected:
    EveryPerson() : ScenarioTest("person") {}
    void SetUp() override {
        ScenarioTest::SetUp();
        // The information line's Web is a page on the medium that this PC's
        // "browser" (a spy named web.exe) opens.
        ASSERT_TRUE(RegisterFileClass(".cvweb", "CvAcceptWeb", "Web Page", "open",
                                      "\"" + PcProgram("web.exe") + "\" \"%1\""));
    }
    void TearDown() override {
        ScenarioTest::TearDown();
        UnregisterFileClass(".cvweb", "CvAcceptWeb");
    }
};

// ------------------------------------------------------------------ screen reader

TEST_F(EveryPerson, ScreenReaderFindsTheLinkTheStatusAndAFailureAndHearsTheStatusChange) {
    GalleryEntry& g = Gallery("25-screen-reader", "What a screen reader finds in the popup");
    Medium m("reader", 'M');
    Author(m, "[Info]\r\nShowTime=-1\r\nWeb=news.cvweb\r\nWebMsg=Opening the news page...\r\n");
    ASSERT_TRUE(m.Put("news.cvweb", "news"));
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
    PopupView view = WaitForView(run.Pid(), TextsReady, 0);
    ASSERT_TRUE(TextsReady(view, 0)) << "no link or status window: " << ViewText(view);
    ASSERT_EQ(Spied(1).size(), 1u) << "readme.htm was not opened";

    // Every text the popup draws is a window's name: the title, the link
    // (the default Display) read as a button, the status text.
    std::vector<Accessible> tree = AccessibleTree(run.Pid());
    ASSERT_FALSE(tree.empty());
    EXPECT_TRUE(tree[0].popup && tree[0].answered) << TreeText(tree);
    EXPECT_EQ(tree[0].name, "Corvane 3.2");
    const Accessible* link = FindAccessible(tree, kLink);
    const Accessible* status = FindAccessible(tree, kStatus);
    ASSERT_TRUE(link && status) << TreeText(tree);
    EXPECT_TRUE(link->answered && status->answered) << TreeText(tree);
    EXPECT_EQ(link->name, "Quarnsoft");
    EXPECT_TRUE(ReadAsButton(*link)) << TreeText(tree);
    EXPECT_EQ(link->style & BS_TYPEMASK, static_cast<unsigned long>(BS_OWNERDRAW)) << "the popup draws the link itself";
    EXPECT_TRUE(link->focusable && !link->invisible) << TreeText(tree);
    EXPECT_EQ(status->name, "Starting readme.htm (HTML Document)... ");
    EXPECT_EQ(status->cls, "Static");
    EXPECT_FALSE(status->invisible);
    // Each window lies over its drawn text: the link's underline runs under
    // the whole window, the status text is drawn inside its window.
    const Ink linkInk = InkOf(run.Pid(), kLink), statusInk = InkOf(run.Pid(), kStatus);
    const long linkWidth = link->location.right - link->location.left;
    ASSERT_TRUE(linkInk.read && statusInk.read);
    EXPECT_GT(linkInk.count, 0) << "nothing drawn under the link's window";
    EXPECT_GE(linkInk.box.right - linkInk.box.left, linkWidth - 2)
        << "the drawn line " << RectText(linkInk.box) << " does not fill the link's window " << RectText(link->location);
    EXPECT_GT(statusInk.count, 0) << "nothing drawn under the status window";
    g.Shot("The typical popup; its texts are the names of the link and the status windows");

    // A mouse click on the drawn line still opens Web (the windows let the
    // mouse through to the popup); the new status text is announced.
    std::vector<WinEvent> events;
    {
        EventWatch watch(run.Pid(), 2500);
        ASSERT_TRUE(watch.Watching());
        ASSERT_TRUE(Click(run.Pid(), kLink));
        std::vector<SpyRecord> r = Spied(2);
        ASSERT_EQ(r.size(), 2u) << "the click on the link opened nothing";
        EXPECT_EQ(r[1].exeName, "web.exe");
        EXPECT_TRUE(ContainsNoCase(r[1].commandLine, "news.cvweb")) << r[1].commandLine;
        events = watch.Finish();
    }
    bool announced = false;
    for (const WinEvent& e : events)
        announced = announced || (e.kind == "namechange" && e.id == kStatus && e.object == OBJID_CLIENT &&
                                  e.child == CHILDID_SELF && e.name == "Opening the news page...");
    EXPECT_TRUE(announced) << "no name change of the status window with the new text: " << EventsText(events);
    tree = AccessibleTree(run.Pid());
    status = FindAccessible(tree, kStatus);
    ASSERT_NE(status, nullptr) << TreeText(tree);
    EXPECT_EQ(status->name, "Opening the news page...");
    g.Note("tree: " + TreeText(tree));
    g.Note("events while the link was clicked: " + EventsText(events));
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000));

    // A failed start: the failure text and Exit, which has the focus;
    // Escape leaves as Exit does, with the failed start's code.
    Program failed;
    ASSERT_TRUE(failed.Start(Autorun(m, "missing.htm"), m.Root()));
    view = WaitForView(failed.Pid(), [](const PopupView& v, int) { return TextsReady(v, kExit) && FocusOn(v, kExit); }, 0);
    tree = AccessibleTree(failed.Pid());
    status = FindAccessible(tree, kStatus);
    const Accessible* exit = FindAccessible(tree, kExit);
    ASSERT_TRUE(status && exit) << TreeText(tree);
    EXPECT_EQ(status->name.rfind("Could not start missing.htm", 0), 0u) << status->name;
    EXPECT_EQ(exit->name, "Exit");
    EXPECT_TRUE(ReadAsButton(*exit)) << TreeText(tree);
    EXPECT_TRUE(exit->focused && exit->focusable) << TreeText(tree);
    ASSERT_NE(FindAccessible(tree, kLink), nullptr) << "the link went away with the failure";
    g.Shot("A failed start: its text and Exit");
    g.Note("after a failed start: " + TreeText(tree));
    ASSERT_TRUE(Keys(failed.Pid(), "escape"));
    ASSERT_TRUE(failed.WaitExit(5000)) << "Escape did not close the popup";
    EXPECT_EQ(failed.ExitCode(), 2u) << "Escape leaves with the failed start's code, as Exit does";
}

// ------------------------------------------------------------------ keyboard

TEST_F(EveryPerson, KeyboardReachesTheLinkLastOpensWebWithEnterAndSpaceAndEscapeLeaves) {
    GalleryEntry& g = Gallery("26-keyboard", "The keyboard: the link in the Tab order, Enter, Space and Escape");
    Medium m("keyboard", 'N');
    const std::string id = Format("CvAcceptKeys-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    DeleteMemory(id);
    Author(m, "[Info]\r\nShowTime=-1\r\nDisplay=Visit the disc's web page\r\nWeb=news.cvweb\r\n");
    ASSERT_TRUE(m.Put("news.cvweb", "news"));

    // Without buttons the link takes the focus, drawn only once a key is used.
    {
        Program run;
        ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
        PopupView view = WaitForView(run.Pid(), [](const PopupView& v, int) { return TextsReady(v, 0) && FocusOn(v, kLink); }, 0);
        ASSERT_TRUE(FocusOn(view, kLink)) << "the link does not have the focus in a popup without buttons";
        ASSERT_EQ(Spied(1).size(), 1u);
        Sleep(300);  // the first paint is over
        const Ink before = InkOf(run.Pid(), kLink);
        ASSERT_TRUE(before.read);
        ASSERT_TRUE(Keys(run.Pid(), "tab"));  // the only stop: the focus stays
        Ink after = before;
        for (int i = 0; i < 30 && after.count == before.count; ++i) {
            Sleep(100);
            after = InkOf(run.Pid(), kLink);
        }
        EXPECT_TRUE(FocusOn(Look(run.Pid()), kLink));
        EXPECT_GT(after.count, before.count) << "no focus rectangle after the key";
        EXPECT_TRUE(Inside(before.box, after.box) && !EqualRect(&before.box, &after.box))
            << "the focus rectangle " << RectText(after.box) << " does not surround the line " << RectText(before.box);
        g.Shot("After a key: the focus rectangle around the link");
        g.Note(Format("link drawn in %s before a key, %s after it", RectText(before.box).c_str(),
                      RectText(after.box).c_str()));

        ASSERT_TRUE(Keys(run.Pid(), "return"));
        std::vector<SpyRecord> r = Spied(2);
        ASSERT_EQ(r.size(), 2u) << "Enter on the link opened nothing";
        EXPECT_EQ(r[1].exeName, "web.exe");
        EXPECT_TRUE(ContainsNoCase(r[1].commandLine, m.Root() + "news.cvweb")) << r[1].commandLine;
        ASSERT_TRUE(Keys(run.Pid(), "space"));
        r = Spied(3);
        ASSERT_EQ(r.size(), 3u) << "Space on the link opened nothing";
        EXPECT_EQ(r[2].exeName, "web.exe");
        ASSERT_TRUE(Keys(run.Pid(), "escape"));
        ASSERT_TRUE(run.WaitExit(5000)) << "Escape did not close the popup";
        EXPECT_EQ(run.ExitCode(), 0u);
    }

    // Menu buttons, then the button row, then the link: from the first
    // focus the link is at most three presses away, and a screen reader
    // hears its name when it gets there.
    ASSERT_TRUE(m.Put("Corva.INF", "[Info]\r\nShowTime=-1\r\nDisplay=Visit the disc's web page\r\nWeb=news.cvweb\r\n"
                                   "Message=Choose:\r\nFilename=readme.htm\r\nFilenameMenu=Read the manual\r\n"
                                   "Filename1=readme.htm\r\nFilename1Menu=Read it again\r\nDoNotRepeatId=" + id + "\r\n"));
    UseSpyLog(log_);
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, ""), m.Root()));
    PopupView view = WaitForView(run.Pid(), TextsReady, kCheckBox);
    ASSERT_TRUE(TextsReady(view, kCheckBox)) << ViewText(view);
    Sleep(300);  // the start message has settled the first focus
    view = Look(run.Pid());
    ASSERT_NE(view.Focused(), nullptr);
    const int order[] = {kMainEntry, kEntry1, kExit, kCheckBox, kLink};
    const int count = 5;
    int first = -1;
    for (int i = 0; i < count; ++i)
        if (order[i] == view.Focused()->id) first = i;
    ASSERT_GE(first, 0) << "first focus on control " << view.Focused()->id;
    const int forward = count - 1 - first, backward = first + 1;
    const bool back = backward <= forward;
    EXPECT_LE(back ? backward : forward, 3) << "the link is too far from the first focus";
    std::string walk = Format("first %d", view.Focused()->id);
    {
        EventWatch watch(run.Pid(), 4000);
        ASSERT_TRUE(watch.Watching());
        for (int step = 1; step <= (back ? backward : forward); ++step) {
            const int expected = order[((back ? first - step : first + step) + count) % count];
            ASSERT_TRUE(Keys(run.Pid(), back ? "shift+tab" : "tab"));
            view = WaitForView(run.Pid(), FocusOn, expected, 3000);
            walk += Format(" %s->%d", back ? "shift+tab" : "tab", view.Focused() ? view.Focused()->id : -1);
            ASSERT_TRUE(FocusOn(view, expected)) << walk;
        }
        std::vector<WinEvent> events = watch.Finish();
        bool heard = false;
        for (const WinEvent& e : events) heard = heard || (e.kind == "focus" && e.id == kLink && e.name == "Visit the disc's web page");
        EXPECT_TRUE(heard) << "no focus event naming the link: " << EventsText(events);
    }
    // The link is last: Tab wraps to the first menu button, Shift+Tab from
    // there comes straight back to the link, and once more into the row.
    const char* keys[] = {"tab", "shift+tab", "shift+tab"};
    const int focusAfter[] = {kMainEntry, kLink, kCheckBox};
    for (int i = 0; i < 3; ++i) {
        ASSERT_TRUE(Keys(run.Pid(), keys[i]));
        view = WaitForView(run.Pid(), FocusOn, focusAfter[i], 3000);
        walk += Format(" %s->%d", keys[i], view.Focused() ? view.Focused()->id : -1);
        EXPECT_TRUE(FocusOn(view, focusAfter[i])) << walk;
    }
    g.Shot("Menu mode: the focus walked to the link and back into the row");
    g.Note("walk from the first focus: " + walk);
    EXPECT_TRUE(Spied(1, 300).empty()) << "the walk started something";
    ASSERT_TRUE(Keys(run.Pid(), "escape"));
    ASSERT_TRUE(run.WaitExit(5000)) << "Escape did not close the menu";
    EXPECT_EQ(run.ExitCode(), 0u);
    DeleteMemory(id);
}

// ------------------------------------------------------------------ high DPI

// The system DPI the prefix is set to (LogPixels, 96 when not set).
int ConfiguredDpi() {
    DWORD value = 0, size = sizeof value, type = 0;
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, KEY_READ, &key) != ERROR_SUCCESS) return 96;
    const LONG result = RegQueryValueExA(key, "LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && type == REG_DWORD && value ? static_cast<int>(value) : 96;
}

// The ink box of the program's own logo resource at its own size: the
// pixels that differ from its top left corner. GDI decodes the resource
// (it may be run-length coded) into a 32-bit picture first. Empty when it
// cannot be read.
RECT LogoResourceInk() {
    RECT box = {0, 0, 0, 0};
    HMODULE exe = LoadLibraryExW(WideOf(TestToolPath("corvane.exe")).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!exe) return box;
    HRSRC found = FindResourceW(exe, L"QRN", MAKEINTRESOURCEW(2));  // RT_BITMAP
    const BITMAPINFO* dib = found ? static_cast<const BITMAPINFO*>(LockResource(LoadResource(exe, found))) : nullptr;
    if (dib && dib->bmiHeader.biSize >= sizeof(BITMAPINFOHEADER) && dib->bmiHeader.biBitCount <= 8) {
        const BITMAPINFOHEADER& h = dib->bmiHeader;
        const int width = h.biWidth, height = std::abs(h.biHeight);
        const DWORD colours = h.biClrUsed ? h.biClrUsed : (1u << h.biBitCount);
        const BYTE* bits = reinterpret_cast<const BYTE*>(dib) + h.biSize + colours * sizeof(RGBQUAD);
        BITMAPINFO out;
        std::memset(&out, 0, sizeof out);
        out.bmiHeader.biSize = sizeof out.bmiHeader;
        out.bmiHeader.biWidth = width;
        out.bmiHeader.biHeight = -height;
        out.bmiHeader.biPlanes = 1;
        out.bmiHeader.biBitCount = 32;
        void* pixels = nullptr;
        HDC dc = CreateCompatibleDC(nullptr);
        HBITMAP picture = CreateDIBSection(dc, &out, DIB_RGB_COLORS, &pixels, nullptr, 0);
        if (picture && pixels) {
            HGDIOBJ old = SelectObject(dc, picture);
            StretchDIBits(dc, 0, 0, width, height, 0, 0, width, height, bits, dib, DIB_RGB_COLORS, SRCCOPY);
            GdiFlush();
            const DWORD* p = static_cast<const DWORD*>(pixels);
            const DWORD background = p[0] & 0xFFFFFF;
            box = {width, height, 0, 0};
            for (int y = 0; y < height; ++y)
                for (int x = 0; x < width; ++x)
                    if ((p[y * width + x] & 0xFFFFFF) != background) {
                        box.left = std::min<LONG>(box.left, x);
                        box.top = std::min<LONG>(box.top, y);
                        box.right = std::max<LONG>(box.right, x + 1);
                        box.bottom = std::max<LONG>(box.bottom, y + 1);
                    }
            if (box.right == 0) box = {0, 0, 0, 0};
            SelectObject(dc, old);
        }
        if (picture) DeleteObject(picture);
        DeleteDC(dc);
    }
    FreeLibrary(exe);
    return box;
}

// Screen to the popup's client coordinates, from its client object's place.
RECT ToClient(const RECT& r, const Accessible& popup) {
    RECT c = r;
    OffsetRect(&c, -popup.location.left, -popup.location.top);
    return c;
}

class HighDpi : public ScenarioTest {
protected:
    HighDpi() : ScenarioTest("dpi") {}
};

TEST_F(HighDpi, ExampleMediumAndALongMessageStayOnTheWorkAreaWithLogoAndSplashScaled) {
    const int dpi = ConfiguredDpi();
    if (const char* wanted = std::getenv("CORVANE_EXPECT_DPI")) {
        ASSERT_EQ(dpi, std::atoi(wanted)) << "the session is not at the DPI scripts/test-dpi set";
    }
    HDC screen = GetDC(nullptr);
    const int measured = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    ASSERT_EQ(measured, dpi) << "the system does not run at the DPI its prefix names";
    const double scale = dpi / 96.0;
    GalleryEntry& g = Gallery(Format("30-dpi-%d", dpi).c_str(), Format("The example medium at %d DPI", dpi).c_str());
    const RECT logo = LogoResourceInk();
    ASSERT_GT(logo.right, 0) << "the program's logo resource could not be read";

    // The example medium as it ships, but staying up until the scenario
    // closes it, so that its checks do not race its ShowTime.
    std::string settings;
    ASSERT_TRUE(ReadWholeFile(TestBinFolder() + "..\\acceptance\\example-medium\\Corva.INF", &settings));
    const size_t showTime = settings.find("ShowTime=8");
    ASSERT_NE(showTime, std::string::npos);
    settings.replace(showTime, 10, "ShowTime=-1");
    DeleteMemory("CorvaneExampleDisc");
    Medium m("dpi", 'M');
    Author(m, settings);
    Program run;
    ASSERT_TRUE(run.Start(Autorun(m, "readme.htm"), m.Root()));
    // The last popup seen tells what went wrong.
    PopupView view, last;
    for (const DWORD start = GetTickCount(); run.Running() && GetTickCount() - start < 30000; Sleep(100)) {
        view = Look(run.Pid());
        if (view.present) last = view;
        if (TextsReady(view, kExit)) break;
    }
    ASSERT_TRUE(TextsReady(view, kExit)) << "no popup with link, status and Exit; last seen: " << ViewText(last)
                                         << (run.Running() ? "" : Format("; ended with %lu", run.ExitCode()))
                                         << Format(" after %lu ms", run.ElapsedMs());
    g.Note(Format("the popup was up %lu ms after the start", run.ElapsedMs()));
    Sleep(300);
    g.Shot(Format("The example medium's popup at %d DPI", dpi));
    // The first program at a new DPI in a fresh prefix copy can find the
    // accessibility runtime not yet ready: it is asked again for a while.
    std::vector<Accessible> tree = AccessibleTree(run.Pid());
    for (int i = 0; i < 25 && tree.empty(); ++i, Sleep(200)) tree = AccessibleTree(run.Pid());
    ASSERT_FALSE(tree.empty());
    view = Look(run.Pid());
    EXPECT_TRUE(Inside(view.rect, view.work)) << RectText(view.rect) << " on the work area " << RectText(view.work);
    for (const Accessible& a : tree)
        EXPECT_TRUE(a.popup || Inside(a.location, tree[0].location))
            << "control " << a.id << " at " << RectText(a.location) << " outside the client area";
    // The logo sits left of the texts; its drawing scales with the DPI.
    const Accessible* link = FindAccessible(tree, kLink);
    ASSERT_NE(link, nullptr);
    const RECT logoArea = {0, 0, ToClient(link->location, tree[0]).left, tree[0].location.bottom - tree[0].location.top};
    const Ink ink = InkOf(run.Pid(), 0, &logoArea);
    ASSERT_TRUE(ink.read && ink.count > 0) << "no logo drawn left of the link";
    const RECT want = {static_cast<LONG>(logo.left * scale), static_cast<LONG>(logo.top * scale),
                       static_cast<LONG>(logo.right * scale), static_cast<LONG>(logo.bottom * scale)};
    const LONG slack = dpi == 96 ? 0 : 2;
    EXPECT_LE(std::abs(ink.box.left - want.left), slack) << RectText(ink.box) << " wanted " << RectText(want);
    EXPECT_LE(std::abs(ink.box.top - want.top), slack) << RectText(ink.box) << " wanted " << RectText(want);
    EXPECT_LE(std::abs(ink.box.right - want.right), slack) << RectText(ink.box) << " wanted " << RectText(want);
    EXPECT_LE(std::abs(ink.box.bottom - want.bottom), slack) << RectText(ink.box) << " wanted " << RectText(want);
    // The link's underline grows with the DPI: one pixel at 96.
    const Ink linkInk = InkOf(run.Pid(), kLink);
    EXPECT_TRUE(linkInk.fullRows >= static_cast<int>(scale) && linkInk.fullRows <= static_cast<int>(scale + 0.99))
        << "underline " << linkInk.fullRows << " pixels thick at " << dpi << " DPI";
    g.Note(Format("popup %s on the work area %s; logo drawn in %s, its resource's drawing %s scaled by %.2f is %s; "
                  "underline %d pixels",
                  RectText(view.rect).c_str(), RectText(view.work).c_str(), RectText(ink.box).c_str(),
                  RectText(logo).c_str(), scale, RectText(want).c_str(), linkInk.fullRows));
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000));
    DeleteMemory("CorvaneExampleDisc");

    // A message far wider than the screen wraps inside the work area, whole;
    // a splash picture scales and, when it would not fit, still stays on it.
    std::string message;
    for (int i = 1; message.size() < 600; ++i) message += Format("Welcome to part %d of the disc. ", i);
    message.pop_back();
    const int splashWidth = 640, splashHeight = 400;
    ASSERT_TRUE(m.Put("splash.bmp", SolidBmp(splashWidth, splashHeight, 40, 90, 160)));
    // The button row below it stays on the work area too.
    ASSERT_TRUE(m.Put("Corva.INF", "[Info]\r\nShowTime=-1\r\nsplash=splash.bmp\r\nSplashShowTime=30\r\n"
                                   "DoNotRepeatId=CorvaneExampleDisc\r\nMessage=" + message + "\r\n"));
    Program wide;
    ASSERT_TRUE(wide.Start(Autorun(m, "readme.htm"), m.Root()));
    view = WaitForView(wide.Pid(), TextsReady, kExit);
    ASSERT_TRUE(TextsReady(view, kExit)) << ViewText(view);
    const std::string splash = WaitForWindow(wide.Pid(), "Corvane Splash");
    g.Shot(Format("A long message and a %dx%d splash at %d DPI", splashWidth, splashHeight, dpi));
    tree = AccessibleTree(wide.Pid());
    view = Look(wide.Pid());
    link = FindAccessible(tree, kLink);
    const Accessible* status = FindAccessible(tree, kStatus);
    ASSERT_TRUE(link && status) << TreeText(tree);
    EXPECT_EQ(status->name, message) << "the status window does not hold the whole message";
    EXPECT_TRUE(Inside(view.rect, view.work)) << RectText(view.rect) << " on the work area " << RectText(view.work);
    EXPECT_TRUE(Inside(status->location, tree[0].location)) << RectText(status->location);
    const Accessible* exit = FindAccessible(tree, kExit);
    ASSERT_NE(exit, nullptr) << TreeText(tree);
    EXPECT_TRUE(Inside(exit->location, tree[0].location) && Inside(exit->location, view.work))
        << "Exit at " << RectText(exit->location) << " off the popup or the work area";
    const long lines = (status->location.bottom - status->location.top) * 10 / (link->location.bottom - link->location.top);
    EXPECT_GE(lines, 18) << "the message did not wrap: status " << RectText(status->location) << ", one line "
                         << RectText(link->location);
    const Ink statusInk = InkOf(wide.Pid(), kStatus);
    EXPECT_GT(statusInk.box.bottom - statusInk.box.top, (link->location.bottom - link->location.top) * 3 / 2)
        << "the message is drawn on one line: " << RectText(statusInk.box);
    ASSERT_FALSE(splash.empty()) << "no splash window";
    RECT s = {0, 0, 0, 0};
    s = ParseRect(Field(splash, "rect"));
    EXPECT_TRUE(Inside(s, view.work)) << "splash " << RectText(s) << " on the work area " << RectText(view.work);
    const LONG sw = static_cast<LONG>(splashWidth * scale), sh = static_cast<LONG>(splashHeight * scale);
    if (sw <= view.work.right - view.work.left && sh <= view.work.bottom - view.work.top) {
        EXPECT_LE(std::abs((s.right - s.left) - sw), 1) << "splash " << RectText(s) << " is not scaled to " << sw << "x" << sh;
        EXPECT_LE(std::abs((s.bottom - s.top) - sh), 1) << "splash " << RectText(s) << " is not scaled to " << sw << "x" << sh;
    }
    g.Note(Format("long message: popup %s, status %s, splash %s", RectText(view.rect).c_str(),
                  RectText(status->location).c_str(), RectText(s).c_str()));
    ASSERT_TRUE(CloseRequest(wide.Pid()));
    ASSERT_TRUE(wide.WaitExit(5000));
}

}  // namespace
