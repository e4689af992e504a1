// The popup built through RunPopup and checked through the real window under
// Xvfb: geometry, placement, logo and text pixels, menu buttons, the button
// row, real keyboard navigation, growth, UTF-8 texts and shutdown release.
// RunPopup runs its own message loop, so each test hands it a body that a
// thread timer runs once the popup is up; the body destroys the popup at the
// end, which ends the loop.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "popup_harness.h"

using harness::FindOwnWindow;
using harness::Status;

namespace {

const COLORREF kInfo = RGB(200, 0, 40);
const COLORREF kMsg = RGB(0, 120, 0);
const COLORREF kBack = RGB(255, 255, 255);

// The case's settings, then those every case starts from: the colours the
// pixels are checked against, no logo, no closing by itself. The first of
// two equal keys wins.
void Use(const std::string& lines, TextEncoding saved = TextEncoding::Ansi) {
    harness::UseSettings(lines + "ShowTime=-1\nInfoColor=200,0,40\nMsgColor=0,120,0\nBkColor=255,255,255\nicon=none\n",
                         saved);
}

// Menu mode: the main entry and entries 1.. with the given captions, each
// entry's file as given in `files` or one that does not exist.
std::string MenuMode(const std::vector<std::string>& captions, const std::vector<std::string>& files = {}) {
    std::string lines = "Filename=Z:\\cv-popup-test\\main.cvx\nFilenameMenu=" + captions[0] + "\n";
    for (size_t n = 1; n < captions.size(); ++n) {
        const std::string key = "Filename" + std::to_string(n);
        const std::string file = n < files.size() && !files[n].empty()
                                     ? files[n]
                                     : "Z:\\cv-popup-test\\entry" + std::to_string(n) + ".cvx";
        lines += key + "=" + file + "\n" + key + "Menu=" + captions[n] + "\n";
    }
    return lines;
}

// ---------------------------------------------------------------- driving

bool quitSeen = false;

// Pumps messages for `ms`, keeping a quit message for RunPopup's own loop.
void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) {
                quitSeen = true;
                continue;
            }
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

std::function<void(HWND)> body;
bool bodyRan = false;

HWND FindPopup() { return FindOwnWindow("Corvane"); }

void CALLBACK RunBody(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    HWND w = FindPopup();
    bodyRan = true;
    if (w && body) body(w);
    if (w && IsWindow(w)) DestroyWindow(w);
    if (quitSeen) PostQuitMessage(0);
}

void CALLBACK Safety(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    if (HWND w = FindPopup()) DestroyWindow(w);
    PostQuitMessage(0);
}

// Runs the popup for the settings in use and `commandLine` as start-up runs
// it, with the check box as remembered, and the body; what it hands back.
PopupOutcome RunWith(const char* commandLine, std::function<void(HWND)> check, bool doNotShowAgain = false) {
    body = std::move(check);
    bodyRan = false;
    SetTimer(nullptr, 0, 400, RunBody);
    SetTimer(nullptr, 0, 40000, Safety);
    const PopupOutcome outcome = RunPopup(harness::Request(harness::Settle(commandLine), doNotShowAgain));
    EXPECT_TRUE(bodyRan) << "the popup ended before the checks ran";
    return outcome;
}

// ---------------------------------------------------------------- files

std::string TempPath(const char* name) {
    char folder[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    return std::string(folder) + name;
}

std::string WriteBmp(const char* name, int w, int h, const std::function<COLORREF(int, int)>& colour) {
    return harness::WriteBmp(TempPath(name), w, h, colour);
}

// Logo picture: four quadrants of distinct colours.
COLORREF LogoColour(int x, int y) {
    if (y < 37) return x < 44 ? RGB(255, 0, 0) : RGB(0, 0, 255);
    return x < 44 ? RGB(0, 160, 0) : RGB(255, 200, 0);
}

// ---------------------------------------------------------------- reading the window

RECT WindowRect(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return r;
}
RECT ClientRect(HWND w) {
    RECT r;
    GetClientRect(w, &r);
    return r;
}
RECT ChildRect(HWND parent, HWND child) {
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, parent, (POINT*)&r, 2);
    return r;
}

// The client area as it is on the screen, read back into memory.
struct Snapshot {
    int width = 0, height = 0;
    std::vector<COLORREF> pixels;
    explicit Snapshot(HWND w) {
        RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        Pump(150);
        RECT r = ClientRect(w);
        width = r.right;
        height = r.bottom;
        HDC dc = GetDC(w);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, width, height);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, width, height, dc, 0, 0, SRCCOPY);
        pixels.resize((size_t)width * height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) pixels[(size_t)y * width + x] = GetPixel(memory, x, y) & 0xFFFFFF;
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(w, dc);
    }
    COLORREF At(int x, int y) const { return pixels[(size_t)y * width + x]; }
    int Count(COLORREF c, int x0, int y0, int x1, int y1) const {
        int n = 0;
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x) n += At(x, y) == c;
        return n;
    }
    // Rightmost column holding colour c, or -1.
    int RightmostOf(COLORREF c) const {
        int right = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (At(x, y) == c && x > right) right = x;
        return right;
    }
};

// Saves the popup as it appears on the screen (frame included) to
// <build>/screenshots/<name>.bmp; the build converts them to PNG.
void SaveScreenshot(HWND w, const char* name) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump(200);
    RECT r = WindowRect(w);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = height;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, dib);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::string folder(exe);
    folder = folder.substr(0, folder.find_last_of('\\'));         // bin
    folder = folder.substr(0, folder.find_last_of('\\')) + "\\screenshots";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + "\\" + name + ".bmp";
    const DWORD stride = (DWORD)((width * 3 + 3) / 4 * 4), imageSize = stride * (DWORD)height;
    BITMAPFILEHEADER fh = {};
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof fh + sizeof bi.bmiHeader;
    fh.bfSize = fh.bfOffBits + imageSize;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, &fh, sizeof fh, &written, nullptr);
    WriteFile(f, &bi.bmiHeader, sizeof bi.bmiHeader, &written, nullptr);
    WriteFile(f, bits, imageSize, &written, nullptr);
    CloseHandle(f);
    SelectObject(memory, old);
    DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

struct Child {
    HWND window;
    int id;
    std::string cls, text;
    RECT rect;
};

// The popup's buttons and check box; the windows over the link and the
// status text (ids 5 and 6) are looked at on their own.
std::vector<Child> Children(HWND parent) {
    std::vector<Child> list;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
        Child k;
        k.window = c;
        k.id = GetDlgCtrlID(c);
        if (k.id == IdWebLink || k.id == IdStatusText) continue;
        char buffer[256] = "";
        GetClassNameA(c, buffer, sizeof buffer);
        k.cls = buffer;
        GetWindowTextA(c, buffer, sizeof buffer);
        k.text = buffer;
        k.rect = ChildRect(parent, c);
        list.push_back(k);
    }
    std::sort(list.begin(), list.end(), [](const Child& a, const Child& b) { return a.id < b.id; });
    return list;
}

SIZE SystemFontExtent(HWND w, const char* text) {
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, GetStockObject(SYSTEM_FONT));
    SIZE s = {0, 0};
    GetTextExtentPoint32A(dc, text, lstrlenA(text), &s);
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    return s;
}

// ---------------------------------------------------------------- real keys

void Keys(std::initializer_list<WORD> down) {
    std::vector<INPUT> in;
    for (WORD vk : down) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = vk;
        in.push_back(i);
    }
    for (auto it = down.end(); it != down.begin();) {
        INPUT i = {};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *--it;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        in.push_back(i);
    }
    SendInput((UINT)in.size(), in.data(), sizeof(INPUT));
    Pump(120);
}

std::vector<WPARAM> commands;
HHOOK commandHook = nullptr;
LRESULT CALLBACK RecordCommands(int code, WPARAM wParam, LPARAM lParam) {
    const CWPSTRUCT* m = (const CWPSTRUCT*)lParam;
    if (code == HC_ACTION && m->message == WM_COMMAND && m->hwnd == FindPopup()) commands.push_back(m->wParam);
    return CallNextHookEx(commandHook, code, wParam, lParam);
}

// ---------------------------------------------------------------- fixture

class Popup : public ::testing::Test {
protected:
    // Popups of parallel test processes share one display: they would take
    // the foreground, the focus and the keyboard from each other, so the
    // cases of this program take turns.
    HANDLE displayTurn = nullptr;
    void TearDown() override {
        if (displayTurn) {
            ReleaseMutex(displayTurn);
            CloseHandle(displayTurn);
        }
    }
    void SetUp() override {
        displayTurn = CreateMutexA(nullptr, FALSE, "CorvanePopupTestDisplay");
        ASSERT_NE(nullptr, displayTurn);
        const DWORD wait = WaitForSingleObject(displayTurn, 50000);
        ASSERT_TRUE(wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED);
    }
};


RECT WorkArea() {
    RECT r;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    return r;
}

}  // namespace

// ------------------------------------------------------------------ plain popup

TEST_F(Popup, DefaultsWithoutLogoSitAtTheTopLeftWithTextsAtTheFrame) {
    Use("");
    RunWith("", [](HWND w) {
        const int F = GetSystemMetrics(SM_CXFRAME), G = GetSystemMetrics(SM_CYFRAME);
        RECT work = WorkArea();
        RECT r = WindowRect(w);
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_EQ(work.left, r.left);
        EXPECT_EQ(work.top, r.top);
        EXPECT_EQ(popup.layout.contentWidth + 2 * F, r.right - r.left);
        EXPECT_EQ(popup.layout.windowHeight, r.bottom - r.top);
        EXPECT_EQ(F, popup.layout.textLeft);
        EXPECT_EQ(G, popup.layout.infoTop);
        EXPECT_EQ(2 * G + popup.layout.infoLineHeight, popup.layout.statusTop);
        EXPECT_EQ(3 * G + popup.layout.infoLineHeight + popup.layout.statusLineHeight, popup.layout.buttonRowTop);
        EXPECT_FALSE(popup.graphics.logo.bitmap.Valid());
        EXPECT_EQ("No parameter given", harness::Status());
        char title[64] = "";
        GetWindowTextA(w, title, sizeof title);
        EXPECT_STREQ("Corvane 3.2", title);

        Snapshot s(w);
        // The underline: one full row of InfoColor under the information line.
        const int y = popup.layout.infoTop + popup.layout.infoLineHeight;
        ASSERT_GT(popup.layout.displaySize.cx, 10);
        EXPECT_EQ(popup.layout.displaySize.cx,
                  s.Count(kInfo, popup.layout.textLeft, y, popup.layout.textLeft + popup.layout.displaySize.cx, y + 1));
        EXPECT_EQ(kBack, s.At(popup.layout.textLeft + popup.layout.displaySize.cx, y));  // LineTo leaves out its end
        // Texts: information line in InfoColor, status line in MsgColor, each in its own band.
        EXPECT_GT(s.Count(kInfo, 0, popup.layout.infoTop, s.width, y), 20);
        EXPECT_GT(
            s.Count(kMsg, 0, popup.layout.statusTop, s.width, popup.layout.statusTop + popup.layout.statusLineHeight),
            20);
        EXPECT_EQ(0, s.Count(kMsg, 0, 0, s.width, popup.layout.statusTop));
        // Nothing is clipped at the right.
        EXPECT_LT(s.RightmostOf(kMsg), s.width - 1);
        EXPECT_LT(s.RightmostOf(kInfo), s.width - 1);
        SaveScreenshot(w, "default_no_logo");
    });
}

// System colours of a high-contrast scheme for one test; the old ones come
// back after it, since every later window of the prefix would show them.
struct SchemeColours {
    int which[3] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HOTLIGHT};
    COLORREF saved[3];
    explicit SchemeColours(const COLORREF (&scheme)[3]) {
        for (int i = 0; i < 3; ++i) saved[i] = GetSysColor(which[i]);
        SetSysColors(3, which, scheme);
    }
    ~SchemeColours() { SetSysColors(3, which, saved); }
};

TEST_F(Popup, InHighContrastTheSystemsColoursReplaceTheSettings) {
    // Wine cannot switch high contrast on: the popup is told it is on (see
    // HighContrastOn), and the scheme's colours are set for real.
    const COLORREF black = RGB(0, 0, 0), white = RGB(255, 255, 255), yellow = RGB(255, 255, 0);
    SchemeColours scheme({black, white, yellow});
    harness::HighContrastOn highContrast;
    Use("");
    RunWith("", [&](HWND w) {
        ASSERT_TRUE(popup.highContrast);
        Snapshot s(w);
        const int y = popup.layout.infoTop + popup.layout.infoLineHeight;
        EXPECT_EQ(black, s.At(s.width - 1, s.height - 1));
        EXPECT_EQ(popup.layout.displaySize.cx, s.Count(yellow, popup.layout.textLeft, y,
                                                       popup.layout.textLeft + popup.layout.displaySize.cx, y + 1));
        EXPECT_GT(
            s.Count(white, 0, popup.layout.statusTop, s.width, popup.layout.statusTop + popup.layout.statusLineHeight),
            20);
        EXPECT_EQ(0, s.Count(kInfo, 0, 0, s.width, s.height) + s.Count(kMsg, 0, 0, s.width, s.height));
        SaveScreenshot(w, "high_contrast");
    });
}

TEST_F(Popup, AnInformationLineWiderThanTheWorkAreaEndsInDotsAndSoDoesItsUnderline) {
    std::string display;
    for (int i = 1; display.size() < 240; ++i) display += "Visit the web site of part " + std::to_string(i) + ". ";
    Use("Display=" + display + "\n");
    RunWith("", [](HWND w) {
        const RECT work = WorkArea(), r = WindowRect(w);
        EXPECT_LE(r.right - r.left, work.right - work.left);
        ASSERT_TRUE(popup.layout.displayCut);
        Snapshot s(w);
        const int y = popup.layout.infoTop + popup.layout.infoLineHeight;
        EXPECT_EQ(popup.layout.displaySize.cx, s.Count(kInfo, 0, y, s.width, y + 1))
            << "the underline is as long as the cut line";
        // The cut line's last dot ends where its underline ends.
        int textRight = -1;
        for (int x = 0; x < s.width; ++x)
            if (s.Count(kInfo, x, popup.layout.infoTop, x + 1, y) > 0) textRight = x;
        EXPECT_GE(textRight, popup.layout.textLeft + popup.layout.displaySize.cx - 4);
        EXPECT_LT(textRight, popup.layout.textLeft + popup.layout.displaySize.cx);
    });
}

TEST_F(Popup, FontsFollowTheSizeWeightItalicSettings) {
    Use("InfoSize=16\nInfoWeight=7\nInfoItalic=1\nMsgSize=9\nMsgItalic=0\n");
    RunWith("", [](HWND w) {
        HDC dc = GetDC(w);
        const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
        ReleaseDC(w, dc);
        LOGFONTA info = {}, status = {};
        ASSERT_TRUE(GetObjectA(popup.graphics.infoFont, sizeof info, &info));
        ASSERT_TRUE(GetObjectA(popup.graphics.statusFont, sizeof status, &status));
        EXPECT_EQ(-MulDiv(16, dpi, 72), info.lfHeight);
        EXPECT_EQ(700, info.lfWeight);
        EXPECT_EQ(1, info.lfItalic);
        EXPECT_STREQ("Arial", info.lfFaceName);
        EXPECT_EQ(-MulDiv(9, dpi, 72), status.lfHeight);
        EXPECT_EQ(0, status.lfItalic);
        EXPECT_GT(popup.layout.infoLineHeight, popup.layout.statusLineHeight);
    });
}

TEST_F(Popup, SystemMenuEndsWithSeparatorAndWebItem) {
    Use("Title=Another title\nWeb=http://example.invalid/\n");
    RunWith("", [](HWND w) {
        HMENU menu = GetSystemMenu(w, FALSE);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_EQ(1u, GetMenuItemID(menu, count - 1));
        char text[128] = "";
        GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ("Show Corvane 3.2 web site...", text);
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        ASSERT_TRUE(GetMenuItemInfoA(menu, count - 2, TRUE, &info));
        EXPECT_TRUE(info.fType & MFT_SEPARATOR);
    });
}

TEST_F(Popup, NomsgKeepsThePopupHiddenUntilShowPopupTextMaximisesIt) {
    // A main target whose condition does not hold, which is done without
    // anything to tell, so that nothing shows the popup before the checks.
    Use("xSize=-1\nShowTime=60\nFilename=Z:\\cv-popup-test\\later.cvx\n"
        "FilenameCondition=f?Z:\\cv-popup-test\\absent.cvx?\n");
    RunWith("nomsg", [](HWND w) {
        EXPECT_FALSE(IsWindowVisible(w));
        EXPECT_TRUE(popup.hidden);
        EXPECT_TRUE(popup.autoClose.running);  // a hidden popup still counts down
        ShowPopupText(w, true);
        Pump(100);
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_TRUE(IsZoomed(w));
        EXPECT_FALSE(popup.hidden);
        EXPECT_FALSE(popup.autoClose.running);
    });
}

// ------------------------------------------------------------------ placement

struct PlaceCase {
    int x, y;
    const char* name;
};

class Placement : public Popup, public ::testing::WithParamInterface<PlaceCase> {};

TEST_P(Placement, WindowLandsWhereThePositionSays) {
    const PlaceCase c = GetParam();
    Use(c.x < 0 ? std::string("xPos=") + c.name + "\n"
                : "xPos=" + std::to_string(c.x) + "\nyPos=" + std::to_string(c.y) + "\n");
    RunWith("", [c](HWND w) {
        RECT a = WorkArea(), r = WindowRect(w);
        const int width = r.right - r.left, height = r.bottom - r.top;
        const int midX = a.left + (a.right - a.left - width) / 2, midY = a.top + (a.bottom - a.top - height) / 2;
        int ex, ey;
        switch (c.x) {
        case -2: ex = midX, ey = midY; break;
        case -3: ex = a.left, ey = a.top; break;
        case -4: ex = a.right - width, ey = a.top; break;
        case -5: ex = a.left, ey = a.bottom - height; break;
        case -6: ex = a.right - width, ey = a.bottom - height; break;
        case -7: ex = midX, ey = a.top; break;
        case -8: ex = midX, ey = a.bottom - height; break;
        case -9: ex = a.left, ey = midY; break;
        case -10: ex = a.right - width, ey = midY; break;
        default:  // an author's pair, kept inside the work area
            ex = a.left + c.x < a.right - width ? a.left + c.x : a.right - width;
            ey = a.top + c.y < a.bottom - height ? a.top + c.y : a.bottom - height;
            break;
        }
        EXPECT_EQ(ex, r.left) << c.name;
        EXPECT_EQ(ey, r.top) << c.name;
        EXPECT_EQ(popup.layout.contentWidth + 2 * popup.metrics.frameWidth, width);
    });
}

INSTANTIATE_TEST_SUITE_P(Codes, Placement,
                         ::testing::Values(PlaceCase{-2, -1, "center"}, PlaceCase{-3, -1, "topleft"},
                                           PlaceCase{-4, -1, "topright"}, PlaceCase{-5, -1, "bottomleft"},
                                           PlaceCase{-6, -1, "bottomright"}, PlaceCase{-7, -1, "top"},
                                           PlaceCase{-8, -1, "bottom"}, PlaceCase{-9, -1, "left"},
                                           PlaceCase{-10, -1, "right"}, PlaceCase{10, 20, "pair"},
                                           PlaceCase{0, 0, "pair at origin"}, PlaceCase{900, 700, "pair beyond"}));

// ------------------------------------------------------------------ logo

TEST_F(Popup, LogoFromFileIsDrawnAtTheTopLeftAndPushesTheTexts) {
    Use("icon=" + WriteBmp("cv-logo-89x75.bmp", 89, 75, LogoColour) + "\n");
    RunWith("", [](HWND w) {
        const int F = popup.metrics.frameWidth, G = popup.metrics.frameHeight;
        EXPECT_EQ(89, popup.graphics.logo.width);
        EXPECT_EQ(75, popup.graphics.logo.height);
        EXPECT_FALSE(popup.layout.logoCentred);
        EXPECT_EQ(89 + F, popup.layout.textLeft);
        EXPECT_EQ(G, popup.layout.infoTop);
        EXPECT_GE(popup.layout.windowHeight, 75 + 2 * G + popup.metrics.captionHeight);
        RECT client = ClientRect(w);
        EXPECT_GE(client.bottom, 75);
        Snapshot s(w);
        EXPECT_EQ(RGB(255, 0, 0), s.At(2, 2));
        EXPECT_EQ(RGB(0, 0, 255), s.At(86, 2));
        EXPECT_EQ(RGB(0, 160, 0), s.At(2, 72));
        EXPECT_EQ(RGB(255, 200, 0), s.At(86, 72));
        EXPECT_EQ(kBack, s.At(89 + 1, 72));  // nothing beyond the logo's edge
        SaveScreenshot(w, "logo_top_left");
        SendMessageA(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(400, 400));
        EXPECT_EQ(0, popup.layout.logoX) << "a logo in the corner stays there";
        EXPECT_EQ(0, popup.layout.logoY);
    });
}

TEST_F(Popup, UnreadableLogoFileLeavesNoLogoInTheseTests) {
    // Without the program's own resources there is nothing to fall back to;
    // the popup still builds and lays out as without a logo.
    Use("icon=Z:\\cv-popup-test\\missing-logo.bmp\n");
    RunWith("", [](HWND) {
        EXPECT_FALSE(popup.graphics.logo.bitmap.Valid());
        EXPECT_EQ(0, popup.graphics.logo.width);
        EXPECT_EQ(popup.metrics.frameWidth, popup.layout.textLeft);
    });
}

TEST(BuiltInLogo, WhiteBackgroundTakesThePopupsColourOtherPixelsStay) {
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP picture = CreateCompatibleBitmap(screen, 20, 10);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(memory, picture);
    const COLORREF white = RGB(255, 255, 255), navy = RGB(0, 0, 128), cream = RGB(255, 240, 180);
    RECT all = {0, 0, 20, 10}, ring = {5, 2, 12, 8}, counter = {7, 4, 10, 6};
    HBRUSH w = CreateSolidBrush(white), n = CreateSolidBrush(navy);
    FillRect(memory, &all, w);
    FillRect(memory, &ring, n);
    FillRect(memory, &counter, w);  // white enclosed by the letter, as in an "o"
    BlendLogoBackground(memory, 20, 10, cream);
    EXPECT_EQ(cream, GetPixel(memory, 0, 0));
    EXPECT_EQ(cream, GetPixel(memory, 19, 9));
    EXPECT_EQ(cream, GetPixel(memory, 8, 5));
    EXPECT_EQ(navy, GetPixel(memory, 5, 2));
    EXPECT_EQ(navy, GetPixel(memory, 11, 7));
    BlendLogoBackground(memory, 20, 10, navy);  // corner colour is cream now: only cream changes
    EXPECT_EQ(navy, GetPixel(memory, 0, 0));
    BlendLogoBackground(nullptr, 20, 10, navy);  // no picture: nothing to do
    SelectObject(memory, old);
    DeleteObject(picture);
    DeleteObject(w);
    DeleteObject(n);
    DeleteDC(memory);
}

TEST_F(Popup, CentredLogoSitsInTheMiddleBehindTheTexts) {
    Use("icon=" + WriteBmp("cv-logo-centred.bmp", 89, 75, LogoColour) + "\nxIcon=-1\nxSize=320\nySize=220\n");
    RunWith("", [](HWND w) {
        EXPECT_TRUE(popup.layout.logoCentred);
        EXPECT_EQ(popup.metrics.frameWidth, popup.layout.textLeft);
        EXPECT_EQ(popup.metrics.frameHeight, popup.layout.infoTop);
        RECT client = ClientRect(w);
        EXPECT_EQ((client.right - 89) / 2, popup.layout.logoX);
        EXPECT_EQ((client.bottom - 75) / 2, popup.layout.logoY);
        Snapshot s(w);
        EXPECT_EQ(RGB(255, 0, 0), s.At(popup.layout.logoX + 2, popup.layout.logoY + 2));
        EXPECT_EQ(RGB(255, 200, 0), s.At(popup.layout.logoX + 86, popup.layout.logoY + 72));
        EXPECT_EQ(kBack, s.At(popup.layout.logoX - 2, popup.layout.logoY + 2));
        EXPECT_EQ(320 + 2 * popup.metrics.frameWidth, WindowRect(w).right - WindowRect(w).left);
        EXPECT_EQ(220, WindowRect(w).bottom - WindowRect(w).top);
        SaveScreenshot(w, "logo_centred");
        // The client area's new size centres it again.
        SendMessageA(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(300, 120));
        EXPECT_EQ(105, popup.layout.logoX);
        EXPECT_EQ(22, popup.layout.logoY);
        SendMessageA(w, WM_SIZE, SIZE_RESTORED, MAKELPARAM(50, 40));
        EXPECT_EQ(-19, popup.layout.logoX);  // truncated toward zero
        EXPECT_EQ(-17, popup.layout.logoY);
    });
}

// ------------------------------------------------------------------ menu buttons

TEST_F(Popup, MenuModeMakesEqualButtonsInAColumnAndShowsDespiteNomsg) {
    Use(MenuMode({"Main target", "Second", "The third one"}));
    RunWith("nomsg Choose a program", [](HWND w) {
        EXPECT_TRUE(IsWindowVisible(w));
        EXPECT_FALSE(popup.hidden);
        std::vector<Child> kids = Children(w);
        ASSERT_EQ(3u, kids.size());
        const char* captions[] = {"Main target", "Second", "The third one"};
        SIZE widest = SystemFontExtent(w, "The third one"), first = SystemFontExtent(w, "Main target");
        SIZE spaces = SystemFontExtent(w, "    ");
        const int width = widest.cx + spaces.cx, height = 7 * first.cy / 4;
        for (int i = 0; i < 3; ++i) {
            EXPECT_EQ(0, lstrcmpiA("Button", kids[i].cls.c_str()));
            EXPECT_EQ(captions[i], kids[i].text);
            EXPECT_EQ(10 + i, kids[i].id);
            EXPECT_EQ(popup.layout.textLeft, kids[i].rect.left);
            EXPECT_EQ(width, kids[i].rect.right - kids[i].rect.left);
            EXPECT_EQ(height, kids[i].rect.bottom - kids[i].rect.top);
            EXPECT_EQ(kids[0].rect.top + i * (3 * height / 2), kids[i].rect.top);
            EXPECT_EQ(kids[i].window, popup.focus.list[i]);
            EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(kids[i].window, GWL_STYLE) & 0xF);
        }
        EXPECT_EQ(4, popup.focus.count) << "the buttons, then the link";
        EXPECT_EQ(popup.link.window, popup.focus.list[3]);
        // The menu column starts a status line below the button row; all of
        // it is inside.
        EXPECT_EQ(popup.layout.buttonRowTop + popup.metrics.frameHeight + popup.layout.statusLineHeight,
                  kids[0].rect.top);
        RECT client = ClientRect(w);
        EXPECT_LE(kids[2].rect.bottom, client.bottom);
        EXPECT_LE(kids[2].rect.right, client.right);
        // Menu mode centres an unplaced popup.
        RECT r = WindowRect(w), a = WorkArea();
        EXPECT_EQ(a.left + (a.right - a.left - (r.right - r.left)) / 2, r.left);
        EXPECT_EQ(a.top + (a.bottom - a.top - (r.bottom - r.top)) / 2, r.top);
        SetForegroundWindow(w);
        Pump(150);
        EXPECT_EQ(kids[0].window, GetFocus());
        EXPECT_EQ("Choose a program", harness::Status());
        SaveScreenshot(w, "menu_three_buttons");
    });
}

// The Exit button of a row is taller than the small status line below which
// the menu starts: the menu moves just below it, but only once the row is
// there (the check box from the start, or a failure after a click).
void ExpectMenuClearOfTheRow(HWND w) {
    const int rowHeight = SystemFontExtent(w, "Exit").cy * 7 / 4;
    ASSERT_GT(rowHeight, popup.metrics.frameHeight + popup.layout.statusLineHeight)
        << "the case needs a tall Exit button";
    ASSERT_TRUE(popup.row.exitButton.exists);
    const RECT first = ChildRect(w, GetDlgItem(w, IdMainEntry)), second = ChildRect(w, GetDlgItem(w, IdFirstEntry));
    EXPECT_EQ(popup.layout.buttonRowTop + rowHeight, first.top);
    EXPECT_EQ(first.top + 3 * (first.bottom - first.top) / 2, second.top);
    EXPECT_LE(second.bottom, ClientRect(w).bottom);
}

TEST_F(Popup, MenuStartsClearOfARowShownFromTheStart) {
    Use("MsgSize=6\nDoNotRepeatId=cvpopup\n" + MenuMode({"Main", "Second"}));
    RunWith("", [](HWND w) { ExpectMenuClearOfTheRow(w); });
}

TEST_F(Popup, MenuMakesRoomWhenAFailureAddsTheRow) {
    Use("MsgSize=6\n" + MenuMode({"Main", "Second"}));
    RunWith("", [](HWND w) {
        const int statusLine = popup.layout.buttonRowTop + popup.metrics.frameHeight + popup.layout.statusLineHeight;
        EXPECT_EQ(statusLine, Children(w)[0].rect.top) << "no row yet: the menu stays where it was laid out";
        const int heightBefore = WindowRect(w).bottom - WindowRect(w).top;
        CreatePopupButtons(w, false, nullptr);
        ShowPopupText(w, false);
        const int rowHeight = SystemFontExtent(w, "Exit").cy * 7 / 4;
        EXPECT_EQ(heightBefore + popup.layout.buttonRowTop + rowHeight - statusLine,
                  WindowRect(w).bottom - WindowRect(w).top);
        ExpectMenuClearOfTheRow(w);
    });
}

TEST_F(Popup, FailedConditionDropsTheButtonButVerbTargetsAreNotTested) {
    Use(MenuMode({"Main", "Guarded", "Verb", "Last"}, {"", "", "~txtfile~open"}) +
        "Filename1Condition=f?Z:\\cv-popup-test\\no-such-file.txt?\n"
        "Filename2Condition=f?Z:\\cv-popup-test\\no-such-file.txt?\n");
    RunWith("", [](HWND w) {
        std::vector<Child> kids = Children(w);
        ASSERT_EQ(3u, kids.size());
        EXPECT_EQ(10, kids[0].id);
        EXPECT_EQ(12, kids[1].id);  // entry 1 has no button, entry 2 keeps its id
        EXPECT_EQ(13, kids[2].id);
        EXPECT_FALSE(popup.menu.entryOffered[1]);
        EXPECT_TRUE(popup.menu.entryOffered[2]);
        const int h = kids[0].rect.bottom - kids[0].rect.top;
        EXPECT_EQ(kids[0].rect.top + 3 * h / 2, kids[1].rect.top);  // no gap for the dropped one
        EXPECT_EQ(4, popup.focus.count);
    });
}

TEST_F(Popup, EveryConditionFailingLeavesAnEmptyFocusListAndAShownPopup) {
    Use(MenuMode({"Only"}) + "FilenameCondition=f?Z:\\cv-popup-test\\no-such-file.txt?\n");
    RunWith("nomsg", [](HWND w) {
        EXPECT_TRUE(Children(w).empty());
        EXPECT_EQ(1, popup.focus.count) << "the link only";
        EXPECT_EQ(0, popup.focus.index);
        EXPECT_FALSE(popup.menu.mainOffered);
        EXPECT_TRUE(IsWindowVisible(w));
    });
}

// ------------------------------------------------------------------ button row

TEST_F(Popup, AButtonPlacedOverTheStatusTextStaysWholeAndAnEmptyInformationLineIsNoLink) {
    Use("Display=\nyExit=30\n");  // over the status line (below the information line, 4 + 18 + 4 pixels down)
    RunWith("", [](HWND w) {
        EXPECT_EQ(nullptr, popup.link.window) << "an empty information line became a link";
        CreatePopupButtons(w, false, nullptr);
        ShowPopupText(w, false);
        Pump(100);
        const std::vector<Child> kids = Children(w);
        ASSERT_EQ(1u, kids.size());
        const RECT exit = kids[0].rect;
        ASSERT_LT(exit.top, popup.layout.statusTop + popup.layout.statusLineHeight)
            << "the test's Exit does not cover the status";
        ASSERT_GT(exit.bottom, popup.layout.statusTop);
        Snapshot s(w);
        EXPECT_GT(
            s.Count(kMsg, 0, popup.layout.statusTop, s.width, popup.layout.statusTop + popup.layout.statusLineHeight),
            20);
        // A new status text repaints the status window alone, as it is on
        // the screen: Exit stays on top of it.
        InvalidateRect(popup.status.window, nullptr, TRUE);
        UpdateWindow(popup.status.window);
        HDC dc = GetDC(w);
        int over = 0;
        for (int y = exit.top; y < exit.bottom; ++y)
            for (int x = exit.left; x < exit.right; ++x) over += (GetPixel(dc, x, y) & 0xFFFFFF) == kMsg;
        ReleaseDC(w, dc);
        EXPECT_EQ(0, over) << "status text drawn over Exit";
    });
}

TEST_F(Popup, ButtonRowHoldsExitInstallAndCheckBoxAndGrowsThePopup) {
    Use("DoNotRepeatId=cvpopup\n");
    RunWith("", [](HWND w) {
        const RECT before = WindowRect(w);
        CreatePopupButtons(w, true, "Install viewer");
        ShowPopupText(w, false);
        Pump(100);
        std::vector<Child> kids = Children(w);
        ASSERT_EQ(3u, kids.size());
        EXPECT_EQ(2, kids[0].id);
        EXPECT_EQ("Exit", kids[0].text);
        EXPECT_EQ(3, kids[1].id);
        EXPECT_EQ("Install viewer", kids[1].text);
        EXPECT_EQ(4, kids[2].id);
        EXPECT_EQ("Do not show again", kids[2].text);
        EXPECT_EQ(BS_DEFPUSHBUTTON, GetWindowLongA(kids[0].window, GWL_STYLE) & 0xF);
        EXPECT_EQ(BS_PUSHBUTTON, GetWindowLongA(kids[1].window, GWL_STYLE) & 0xF);
        EXPECT_EQ(BS_CHECKBOX, GetWindowLongA(kids[2].window, GWL_STYLE) & 0xF);
        EXPECT_EQ(BST_CHECKED, SendMessageA(kids[2].window, BM_GETCHECK, 0, 0));

        const int s = SystemFontExtent(w, "    ").cx;
        SIZE exitText = SystemFontExtent(w, "Exit"), boxText = SystemFontExtent(w, "Do not show again");
        EXPECT_EQ(popup.layout.textLeft, kids[0].rect.left);
        EXPECT_EQ(popup.layout.buttonRowTop, kids[0].rect.top);
        EXPECT_EQ(exitText.cx + s, kids[0].rect.right - kids[0].rect.left);
        EXPECT_EQ(exitText.cy * 7 / 4, kids[0].rect.bottom - kids[0].rect.top);
        EXPECT_EQ(kids[0].rect.right + 2 * s, kids[1].rect.left);
        EXPECT_EQ(kids[1].rect.right + 2 * s, kids[2].rect.left);
        EXPECT_EQ(boxText.cx + 2 * GetSystemMetrics(SM_CXMENUCHECK), kids[2].rect.right - kids[2].rect.left);
        EXPECT_EQ(popup.layout.buttonRowTop + (exitText.cy * 7 / 4 - boxText.cy) / 2, kids[2].rect.top);

        // The popup grew (the reserved line below the status text may already
        // hold the row's height) so that the whole row is inside its client area.
        RECT client = ClientRect(w), after = WindowRect(w);
        EXPECT_GE(after.bottom - after.top, before.bottom - before.top);
        EXPECT_GT(after.right - after.left, before.right - before.left);
        EXPECT_LE(kids[2].rect.right, client.right);
        EXPECT_LE(kids[0].rect.bottom, client.bottom);
        EXPECT_EQ(before.left, after.left);  // still at the top-left corner
        EXPECT_EQ(before.top, after.top);

        ASSERT_EQ(4, popup.focus.count);
        EXPECT_EQ(kids[0].window, popup.focus.list[0]);
        EXPECT_EQ(kids[1].window, popup.focus.list[1]);
        EXPECT_EQ(kids[2].window, popup.focus.list[2]);
        EXPECT_EQ(popup.link.window, popup.focus.list[3]) << "the link stays last";
        EXPECT_EQ(kids[0].window, GetFocus());
        EXPECT_EQ(0, popup.focus.index);
        SaveScreenshot(w, "button_row");
    }, true);  // the box remembered as ticked
}

TEST_F(Popup, ButtonRowWithoutCheckBoxOrInstall) {
    // An Exit caption wider than every text above it still fits the popup.
    Use("ExitMsg=Close this window and go back to the desktop\nDisplay=Q\nMsgSize=8\n");
    RunWith("x", [](HWND w) {
        CreatePopupButtons(w, false, nullptr);
        ShowPopupText(w, false);
        std::vector<Child> kids = Children(w);
        ASSERT_EQ(1u, kids.size());
        EXPECT_EQ(2, kids[0].id);
        EXPECT_EQ(2, popup.focus.count) << "Exit and the link";
        EXPECT_FALSE(popup.row.installButton.exists);
        EXPECT_FALSE(popup.row.checkBox.exists);
        EXPECT_EQ(popup.row.exitButton.x + popup.row.exitButton.width + popup.metrics.frameWidth,
                  popup.layout.contentWidth);
        EXPECT_LE(kids[0].rect.right, ClientRect(w).right) << "the Exit button is cut off";
    });
}

TEST_F(Popup, RepeatedButtonRowReusesControlsAndNeverOverfillsTheFocusList) {
    Use(MenuMode({"M0", "M1", "M2", "M3", "M4", "M5", "M6", "M7", "M8", "M9", "M10"}) + "DoNotRepeatId=cvpopup\n");
    RunWith("", [](HWND w) {
        // The start sequence already made Exit and the check box after the
        // eleven menu buttons, before the link, as it does when the check box
        // is configured.
        ASSERT_EQ(14, popup.focus.count);
        ASSERT_TRUE(popup.row.exitButton.exists);
        ASSERT_TRUE(popup.row.checkBox.exists);
        EXPECT_FALSE(popup.row.installButton.exists);
        CreatePopupButtons(w, false, nullptr);  // the same row again
        EXPECT_EQ(14, popup.focus.count);
        HWND exitButton = popup.row.exitButton.window, box = popup.row.checkBox.window;
        const int boxXBefore = popup.row.checkBox.x;
        const int boxYBefore = popup.row.checkBox.y;

        CreatePopupButtons(w, true, "Install it");  // a failed start offers an installer later
        EXPECT_EQ(15, popup.focus.count) << "every slot used";
        EXPECT_EQ(exitButton, popup.row.exitButton.window);  // reused, not duplicated
        EXPECT_EQ(box, popup.row.checkBox.window);
        EXPECT_EQ(exitButton, popup.focus.list[11]);
        EXPECT_EQ(popup.row.installButton.window, popup.focus.list[12]);
        EXPECT_EQ(box, popup.focus.list[13]);
        EXPECT_EQ(popup.link.window, popup.focus.list[14]);
        EXPECT_GT(popup.row.checkBox.x, boxXBefore);  // moved right to make room for Install
        EXPECT_EQ(boxYBefore, popup.row.checkBox.y);   // not shifted down again
        EXPECT_EQ(popup.row.checkBox.x, ChildRect(w, box).left);

        // The Install button used once (disabled and out of the list, as its
        // click leaves it) is offered again with a new caption.
        HWND install = popup.row.installButton.window;
        EnableWindow(install, FALSE);
        RemoveFromFocusList(install);
        CreatePopupButtons(w, false, nullptr);  // no new offer: the used one stays out
        EXPECT_EQ(14, popup.focus.count);
        EXPECT_EQ(box, popup.focus.list[12]);
        CreatePopupButtons(w, true, "Install again");
        EXPECT_EQ(15, popup.focus.count);
        EXPECT_EQ(install, popup.row.installButton.window);
        EXPECT_TRUE(IsWindowEnabled(install));
        EXPECT_EQ(install, popup.focus.list[12]);
        EXPECT_EQ(box, popup.focus.list[13]);
        char text[64] = "";
        GetWindowTextA(install, text, sizeof text);
        EXPECT_STREQ("Install again", text);
        EXPECT_EQ(popup.row.installButton.width, ChildRect(w, install).right - ChildRect(w, install).left);
        EXPECT_EQ(popup.row.installButton.x + popup.row.installButton.width,
                  popup.row.checkBox.x - 2 * SystemFontExtent(w, "    ").cx);

        CreatePopupButtons(w, false, nullptr);  // the standing offer stays
        EXPECT_EQ(15, popup.focus.count);
        EXPECT_TRUE(IsWindow(popup.row.installButton.window));
        int buttons = 0;
        for (const Child& c : Children(w)) buttons += c.id >= 2 && c.id <= 4;
        EXPECT_EQ(3, buttons);
        for (int i = 0; i < popup.focus.count; ++i)
            for (int j = i + 1; j < popup.focus.count; ++j) EXPECT_NE(popup.focus.list[i], popup.focus.list[j]);
        EXPECT_EQ(11, popup.focus.index);
        EXPECT_EQ(exitButton, GetFocus());
    });
}

// ------------------------------------------------------------------ keyboard

TEST_F(Popup, RealKeysWalkTheFocusListAndActivateControls) {
    // The link is pressed below; its Web has nothing to open.
    Use(MenuMode({"First", "Second", "Third"}) + "DoNotRepeatId=cvpopup\nWeb=Z:\\cv-popup-test\\no-such-page.cvx\n");
    const PopupOutcome outcome = RunWith("", [](HWND w) {
        CreatePopupButtons(w, true, "Install");
        ShowPopupText(w, false);
        ASSERT_EQ(7, popup.focus.count);
        HWND m0 = popup.focus.list[0], m1 = popup.focus.list[1], m2 = popup.focus.list[2];
        HWND exitButton = popup.row.exitButton.window, install = popup.row.installButton.window,
             box = popup.row.checkBox.window;
        HWND link = popup.link.window;
        ASSERT_EQ(link, popup.focus.list[6]);
        SetForegroundWindow(w);
        SetFocus(exitButton);
        Pump(150);
        ASSERT_EQ(exitButton, GetFocus());
        EXPECT_EQ(3, popup.focus.index);

        Keys({VK_TAB});
        EXPECT_EQ(install, GetFocus());
        Keys({VK_TAB});
        EXPECT_EQ(box, GetFocus());
        Keys({VK_TAB});
        EXPECT_EQ(link, GetFocus()) << "the link comes last";
        Keys({VK_TAB});
        EXPECT_EQ(m0, GetFocus()) << "Tab wraps to the first control";
        EXPECT_EQ(0, popup.focus.index);
        Keys({VK_SHIFT, VK_TAB});
        EXPECT_EQ(link, GetFocus()) << "Shift+Tab from the first goes to the last, the link";
        Keys({VK_SHIFT, VK_TAB});
        EXPECT_EQ(box, GetFocus());
        Keys({VK_SHIFT, VK_TAB});
        EXPECT_EQ(install, GetFocus());
        Keys({VK_HOME});
        EXPECT_EQ(m0, GetFocus());
        Keys({VK_END});
        EXPECT_EQ(link, GetFocus());
        Keys({VK_SHIFT, VK_TAB});
        Keys({VK_HOME});
        Keys({VK_RIGHT});
        EXPECT_EQ(m1, GetFocus());
        Keys({VK_DOWN});
        EXPECT_EQ(m2, GetFocus());
        Keys({VK_NEXT});
        EXPECT_EQ(exitButton, GetFocus());
        Keys({VK_PRIOR});
        EXPECT_EQ(m2, GetFocus());
        Keys({VK_UP});
        EXPECT_EQ(m1, GetFocus());
        Keys({VK_LEFT});
        EXPECT_EQ(m0, GetFocus());
        Keys({VK_LEFT});
        EXPECT_EQ(link, GetFocus()) << "Left wraps backwards";
        Keys({VK_LEFT});
        EXPECT_EQ(box, GetFocus());
        Keys({'A'});
        EXPECT_EQ(box, GetFocus()) << "other keys keep the focus";
        EXPECT_EQ(5, popup.focus.index);

        commandHook = SetWindowsHookExA(WH_CALLWNDPROC, RecordCommands, nullptr, GetCurrentThreadId());
        // Space toggles the check box, and doNotShowAgain with it.
        EXPECT_FALSE(popup.doNotShowAgain);
        Keys({VK_SPACE});
        EXPECT_TRUE(popup.doNotShowAgain);
        EXPECT_EQ(BST_CHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        Keys({VK_SPACE});
        EXPECT_FALSE(popup.doNotShowAgain);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        // A mouse click ends in the same state as the space key.
        SendMessageA(box, BM_CLICK, 0, 0);
        Pump(50);
        EXPECT_TRUE(popup.doNotShowAgain);
        EXPECT_EQ(BST_CHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        std::vector<WPARAM> expected = {4, 4, 4};
        EXPECT_EQ(expected, commands);

        commands.clear();
        Keys({VK_RETURN});
        EXPECT_TRUE(commands.empty()) << "Enter on the check box does nothing";
        EXPECT_TRUE(popup.doNotShowAgain);

        Keys({VK_HOME});
        Keys({VK_RIGHT});
        Keys({VK_RETURN});  // on the second menu button: its command
        ASSERT_FALSE(commands.empty());
        EXPECT_EQ((WPARAM)11, commands.back());

        // Enter and Space on the link do what its click does.
        Keys({VK_END});
        ASSERT_EQ(link, GetFocus());
        commands.clear();
        Keys({VK_RETURN});
        Keys({VK_SPACE});
        EXPECT_EQ(std::vector<WPARAM>({5, 5}), commands);

        SetFocus(exitButton);
        Pump(50);
        Keys({VK_RETURN});  // Exit closes the popup
        UnhookWindowsHookEx(commandHook);
        EXPECT_EQ((WPARAM)2, commands.back());
        EXPECT_FALSE(IsWindow(w));
    });
    EXPECT_TRUE(outcome.doNotShowAgain) << "the box's last state is handed back";
}

TEST_F(Popup, TabWithASingleControlDoesNothing) {
    Use("");
    RunWith("", [](HWND w) {  // no parameter: only the link takes the focus
        ASSERT_EQ(1, popup.focus.count);
        ASSERT_EQ(popup.link.window, popup.focus.list[0]);
        SetForegroundWindow(w);
        Pump(100);
        EXPECT_EQ(popup.link.window, GetFocus()) << "the popup gives its focus to the link";
        // No focus rectangle before a key is pressed; one around the link after.
        const RECT link = ChildRect(w, popup.link.window);
        Snapshot before(w);
        Keys({VK_TAB});
        EXPECT_EQ(popup.focus.list[0], GetFocus());
        EXPECT_EQ(0, popup.focus.index);
        Pump(100);
        Snapshot after(w);
        const int y = link.bottom - 1, width = link.right - link.left;
        EXPECT_EQ(before.Count(kBack, link.left, y, link.right, y + 1), width);
        EXPECT_LT(after.Count(kBack, link.left, y, link.right, y + 1), width) << "no focus rectangle after a key";
        Keys({VK_END});
        EXPECT_EQ(popup.focus.list[0], GetFocus());
        Keys({VK_ESCAPE});
        EXPECT_FALSE(IsWindow(w)) << "Escape closes the popup as Exit does";
    });
}

// ------------------------------------------------------------------ growth

TEST_F(Popup, LongerStatusTextWidensAndRecentresShorterOnlyRepaints) {
    Use("xPos=center\n");
    RunWith("", [](HWND w) {
        const RECT small = WindowRect(w);
        SetPopupText("A considerably longer status text than the one shown before... ");
        RemeasurePopup(w);
        Pump(100);
        const RECT wide = WindowRect(w), a = WorkArea();
        const int width = wide.right - wide.left;
        EXPECT_GT(width, small.right - small.left);
        EXPECT_EQ(small.bottom - small.top, wide.bottom - wide.top);
        EXPECT_EQ(a.left + (a.right - a.left - width) / 2, wide.left);  // still centred
        Snapshot s(w);
        EXPECT_LT(s.RightmostOf(kMsg), s.width - 1) << "the long text fits";
        EXPECT_GT(s.RightmostOf(kMsg), s.width / 2);
        SaveScreenshot(w, "longer_status_text");

        SetPopupText("Short");
        RemeasurePopup(w);
        Pump(100);
        const RECT after = WindowRect(w);
        EXPECT_EQ(wide.right - wide.left, after.right - after.left);
        EXPECT_EQ(wide.left, after.left);
        Snapshot s2(w);
        EXPECT_LT(s2.RightmostOf(kMsg), s.width / 2) << "the old text is gone";
    });
}

// ------------------------------------------------------------------ UTF-8

TEST_F(Popup, Utf8FileGivesGreekTitleAndCyrillicCaptionsThroughWideWindows) {
    // A status line lower than the button row, which the check box brings
    // from the start.
    Use("MsgSize=10\nTitle=Καλημέρα\nDisplay=Καλημέρα web\nDoNotRepeatId=cvpopup\nExitMsg=Выход\n"
        "DoNotRepeatText=Οχι ξανά\n" + MenuMode({"Пуск", "Выход"}),
        TextEncoding::Utf8);
    RunWith("\xCE\x95\xCE\xBA\xCE\xBA\xCE\xAF\xCE\xBD\xCE\xB7\xCF\x83\xCE\xB7...", [](HWND w) {  // Εκκίνηση...
        EXPECT_TRUE(IsWindowUnicode(w));
        wchar_t title[64] = L"";
        GetWindowTextW(w, title, 64);
        EXPECT_STREQ(L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1", title);
        wchar_t caption[64] = L"";
        GetWindowTextW(GetDlgItem(w, IdMainEntry), caption, 64);
        EXPECT_STREQ(L"\x041F\x0443\x0441\x043A", caption);
        GetWindowTextW(GetDlgItem(w, IdFirstEntry), caption, 64);
        EXPECT_STREQ(L"\x0412\x044B\x0445\x043E\x0434", caption);
        // Measured as the six-letter Greek word plus " web", not as 20 bytes.
        HDC dc = GetDC(w);
        HGDIOBJ old = SelectObject(dc, popup.graphics.infoFont);
        SIZE wide = {0, 0};
        GetTextExtentPoint32W(dc, L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1 web", 12, &wide);
        SelectObject(dc, old);
        ReleaseDC(w, dc);
        EXPECT_EQ(wide.cx, popup.layout.displaySize.cx);
        Snapshot s(w);
        const int y = popup.layout.infoTop + popup.layout.infoLineHeight;
        EXPECT_EQ(wide.cx, s.Count(kInfo, popup.layout.textLeft, y, popup.layout.textLeft + wide.cx + 5, y + 1));
        // The button row's captions and the check box keep their letters too.
        CreatePopupButtons(w, true, "Установить");
        ShowPopupText(w, false);
        ASSERT_TRUE(popup.row.checkBox.exists);
        GetWindowTextW(popup.row.exitButton.window, caption, 64);
        EXPECT_STREQ(L"\x0412\x044B\x0445\x043E\x0434", caption);
        GetWindowTextW(popup.row.installButton.window, caption, 64);
        EXPECT_STREQ(L"\x0423\x0441\x0442\x0430\x043D\x043E\x0432\x0438\x0442\x044C", caption);
        GetWindowTextW(popup.row.checkBox.window, caption, 64);
        EXPECT_STREQ(L"\x039F\x03C7\x03B9 \x03BE\x03B1\x03BD\x03AC", caption);
        RECT client = ClientRect(w);
        EXPECT_LE(ChildRect(w, popup.row.checkBox.window).right, client.right);
        RECT exitRect = ChildRect(w, popup.row.exitButton.window), firstMenu = ChildRect(w, popup.focus.list[0]);
        EXPECT_LE(exitRect.bottom, firstMenu.top) << "the button row runs into the menu column";
        SaveScreenshot(w, "utf8_greek_cyrillic");
    });
}

// A settings file without the mark is read in the ANSI code page and its
// texts converted: the title is the one the ANSI service showed.
TEST_F(Popup, AnsiFileTitleIsConvertedAsItIsRead) {
    Use("Title=Caf\xE9\n");
    ASSERT_EQ(run.settingsEncoding, TextEncoding::Ansi);
    EXPECT_STREQ("Caf\xC3\xA9", settings.Title);
    RunWith("", [](HWND w) {
        wchar_t title[32] = L"";
        GetWindowTextW(w, title, 32);
        EXPECT_STREQ(L"Caf\x00E9", title);
    });
}

// ------------------------------------------------------------------ failure and shutdown

namespace {
HHOOK failHook = nullptr;
LRESULT CALLBACK FailPopupCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char cls[64] = "";
        GetClassNameA((HWND)wParam, cls, sizeof cls);
        if (strcmp(cls, "Corvane") == 0) return 1;
    }
    return CallNextHookEx(failHook, code, wParam, lParam);
}
std::string boxText, boxCaption;
void CALLBACK AnswerBox(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindOwnWindow("#32770");
    if (!box) return;
    KillTimer(nullptr, id);
    char text[256] = "";
    GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
    boxText = text;
    GetWindowTextA(box, text, sizeof text);
    boxCaption = text;
    SendMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0);
}
}  // namespace

TEST_F(Popup, WindowThatCannotBeMadeIsReportedInAMessageBox) {
    failHook = SetWindowsHookExA(WH_CBT, FailPopupCreation, nullptr, GetCurrentThreadId());
    SetTimer(nullptr, 0, 200, AnswerBox);
    Use("");
    const PopupOutcome outcome = RunPopup(harness::Request(harness::Settle("")));  // returns once the box is answered
    UnhookWindowsHookEx(failHook);
    EXPECT_EQ(0, outcome.exitCode);
    EXPECT_EQ("Could not create Corvane popup", boxText);
    EXPECT_EQ("Corvane", boxCaption);
    EXPECT_EQ(nullptr, FindPopup());
    EXPECT_FALSE(popup.graphics.infoPen.Valid());
    EXPECT_TRUE(popup.graphics.backgroundBrush.Valid());  // left for shutdown
    ReleasePopupObjects();
    EXPECT_FALSE(popup.graphics.backgroundBrush.Valid());
}

TEST_F(Popup, ShutdownDeletesEveryGraphicsObjectInOnePlace) {
    // The splash's picture, released in the same step, is seen from outside
    // in the splash tests.
    Use("icon=" + WriteBmp("cv-logo-release.bmp", 89, 75, LogoColour) + "\n");
    RunWith("", [](HWND) {});
    const PopupGraphics& g = popup.graphics;
    HGDIOBJ objects[] = {g.logo.bitmap, g.logo.dc, g.backgroundBrush, g.infoFont, g.statusFont, g.infoPen};
    const DWORD kinds[] = {OBJ_BITMAP, OBJ_MEMDC, OBJ_BRUSH, OBJ_FONT, OBJ_FONT, OBJ_PEN};
    for (int i = 0; i < 6; ++i) {
        ASSERT_NE(nullptr, objects[i]) << i;
        EXPECT_EQ(kinds[i], GetObjectType(objects[i])) << "left for shutdown: object " << i;
    }
    ReleasePopupObjects();
    for (int i = 0; i < 6; ++i) EXPECT_EQ(0u, GetObjectType(objects[i])) << "object " << i << " still exists";
    EXPECT_FALSE(g.logo.bitmap.Valid());
    EXPECT_FALSE(g.statusFont.Valid());
}
