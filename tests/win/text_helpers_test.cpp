// The A/W-choosing helpers: conversions, measuring, drawing and buttons in
// and outside UTF-8 mode.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "settings/run_state.h"
#include "popup/text_helpers.h"

namespace {

const char kCyrillicUtf8[] = "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82";  // Привет
const wchar_t kCyrillic[] = L"\x041F\x0440\x0438\x0432\x0435\x0442";
const char kGreekUtf8[] = "\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xB7\xCE\xBC\xCE\xAD\xCF\x81\xCE\xB1";  // Καλημέρα
const wchar_t kGreek[] = L"\x039A\x03B1\x03BB\x03B7\x03BC\x03AD\x03C1\x03B1";
const char kGermanUtf8[] = "Gr\xC3\xBC\xC3\x9F" "e";  // Grüße
const char kGermanAnsi[] = "Gr\xFC\xDF" "e";

// A memory canvas with a font that has Cyrillic and Greek glyphs.
struct Canvas {
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr, oldFont = nullptr;
    HFONT font = nullptr;
    int width, height;
    Canvas(int w = 300, int h = 40) : width(w), height(h) {
        HDC screen = GetDC(nullptr);
        dc = CreateCompatibleDC(screen);
        bitmap = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        oldBitmap = SelectObject(dc, bitmap);
        font = CreateFontA(-20, 0, 0, 0, 400, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, "Tahoma");
        oldFont = SelectObject(dc, font);
        Clear();
    }
    ~Canvas() {
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(font);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    void Clear() {
        RECT r = {0, 0, width, height};
        FillRect(dc, &r, (HBRUSH)GetStockObject(WHITE_BRUSH));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, RGB(0, 0, 0));
    }
    std::vector<COLORREF> Pixels() const {
        std::vector<COLORREF> p;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x) p.push_back(GetPixel(dc, x, y));
        return p;
    }
    int InkCount() const {
        int n = 0;
        for (COLORREF c : Pixels()) n += c != RGB(255, 255, 255);
        return n;
    }
};

struct ModeGuard {
    bool saved = utf8Mode;
    explicit ModeGuard(bool mode) { utf8Mode = mode; }
    ~ModeGuard() { utf8Mode = saved; }
};

// Fails window creation for the first `failures` windows of class BUTTON.
HHOOK cbtHook = nullptr;
int creationsToFail = 0;
int creationAttempts = 0;
LRESULT CALLBACK FailButtonCreation(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        ++creationAttempts;
        if (creationsToFail > 0) {
            --creationsToFail;
            return 1;
        }
    }
    return CallNextHookEx(cbtHook, code, wParam, lParam);
}
struct CreationFailer {
    explicit CreationFailer(int count) {
        creationsToFail = count;
        creationAttempts = 0;
        cbtHook = SetWindowsHookExA(WH_CBT, FailButtonCreation, nullptr, GetCurrentThreadId());
    }
    ~CreationFailer() { UnhookWindowsHookEx(cbtHook); }
};

struct Parent {
    HWND window;
    Parent() {
        window = CreateWindowExA(0, "STATIC", "parent", WS_OVERLAPPEDWINDOW, 0, 0, 300, 200, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    }
    ~Parent() { DestroyWindow(window); }
};

std::wstring WideText(HWND w) {
    wchar_t buffer[256] = L"";
    GetWindowTextW(w, buffer, 256);
    return buffer;
}
std::string AnsiText(HWND w) {
    char buffer[256] = "";
    GetWindowTextA(w, buffer, 256);
    return buffer;
}

}  // namespace

TEST(Converters, Utf8ToWideCyrillicGreekAndEmpty) {
    HeapPtr<wchar_t> w = Utf8ToWide(kCyrillicUtf8);
    ASSERT_NE(nullptr, w.get());
    EXPECT_EQ(std::wstring(kCyrillic), std::wstring(w.get()));
    w = Utf8ToWide(kGreekUtf8);
    ASSERT_NE(nullptr, w.get());
    EXPECT_EQ(std::wstring(kGreek), std::wstring(w.get()));
    w = Utf8ToWide("");
    ASSERT_NE(nullptr, w.get());
    EXPECT_EQ(L'\0', w[0]);  // the terminator alone
    EXPECT_EQ(nullptr, Utf8ToWide(nullptr).get());
}

TEST(Converters, WideToAnsiOnlyWhenExact) {
    ASSERT_EQ(1252u, GetACP()) << "these cases assume a Western code page";
    HeapText a = WideToAnsi(L"Gr\x00FC\x00DF" L"e");
    ASSERT_NE(nullptr, a.get());
    EXPECT_STREQ(kGermanAnsi, a.get());
    EXPECT_EQ(nullptr, WideToAnsi(kCyrillic).get());
    // Best fit would turn a-macron into "a"; an exact conversion refuses it.
    EXPECT_EQ(nullptr, WideToAnsi(L"Ab\x0101").get());
    // A question mark that is really there is no substitution.
    a = WideToAnsi(L"why?");
    ASSERT_NE(nullptr, a.get());
    EXPECT_STREQ("why?", a.get());
    a = WideToAnsi(L"");
    ASSERT_NE(nullptr, a.get());
    EXPECT_STREQ("", a.get());
}

TEST(Measure, Utf8ModeMeasuresTheWholeTextThroughWide) {
    Canvas c;
    ModeGuard mode(true);
    SIZE viaHelper = {-1, -1}, viaWide = {0, 0}, viaBytes = {0, 0};
    MeasureText(c.dc, kCyrillicUtf8, 3, &viaHelper);  // the count does not apply here
    GetTextExtentPoint32W(c.dc, kCyrillic, 6, &viaWide);
    GetTextExtentPoint32A(c.dc, kCyrillicUtf8, (int)strlen(kCyrillicUtf8), &viaBytes);
    EXPECT_EQ(viaWide.cx, viaHelper.cx);
    EXPECT_EQ(viaWide.cy, viaHelper.cy);
    EXPECT_GT(viaHelper.cx, 0);
    EXPECT_NE(viaBytes.cx, viaHelper.cx);  // twelve ANSI characters are not six Cyrillic ones
}

TEST(Measure, AnsiModeMeasuresTheGivenCount) {
    Canvas c;
    ModeGuard mode(false);
    SIZE part = {0, 0}, expected = {0, 0}, whole = {0, 0};
    MeasureText(c.dc, "abcdef", 3, &part);
    GetTextExtentPoint32A(c.dc, "abc", 3, &expected);
    MeasureText(c.dc, "abcdef", 6, &whole);
    EXPECT_EQ(expected.cx, part.cx);
    EXPECT_GT(whole.cx, part.cx);
}

TEST(Measure, EmptyTextHasNoWidth) {
    Canvas c;
    for (bool mode : {false, true}) {
        ModeGuard m(mode);
        SIZE s = {-1, -1};
        MeasureText(c.dc, "", 0, &s);
        EXPECT_EQ(0, s.cx) << mode;
    }
}

TEST(Draw, Utf8ModeDrawsTheWideGlyphs) {
    Canvas helper, reference, bytes;
    {
        ModeGuard mode(true);
        PutText(helper.dc, 5, 5, kGreekUtf8, 1);
    }
    TextOutW(reference.dc, 5, 5, kGreek, 8);
    TextOutA(bytes.dc, 5, 5, kGreekUtf8, (int)strlen(kGreekUtf8));
    EXPECT_GT(helper.InkCount(), 20);
    EXPECT_TRUE(helper.Pixels() == reference.Pixels());
    EXPECT_FALSE(helper.Pixels() == bytes.Pixels());
}

TEST(Draw, AnsiModeDrawsTheGivenBytes) {
    Canvas helper, reference;
    {
        ModeGuard mode(false);
        PutText(helper.dc, 3, 3, "Exit now", 4);
    }
    TextOutA(reference.dc, 3, 3, "Exit", 4);
    EXPECT_GT(helper.InkCount(), 10);
    EXPECT_TRUE(helper.Pixels() == reference.Pixels());
}

TEST(Draw, EmptyTextDrawsNothing) {
    Canvas c;
    ModeGuard mode(true);
    PutText(c.dc, 3, 3, "", 0);
    EXPECT_EQ(0, c.InkCount());
}

TEST(Buttons, Utf8ModeCyrillicCaptionThroughWideWindow) {
    Parent p;
    ModeGuard mode(true);
    HWND b = CreateButton(kCyrillicUtf8, WS_CHILD | WS_VISIBLE, 1, 2, 80, 20, p.window, 17, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(std::wstring(kCyrillic), WideText(b));
    EXPECT_TRUE(IsWindowUnicode(b));
    EXPECT_EQ(17, GetDlgCtrlID(b));
    char cls[32] = "";
    GetClassNameA(b, cls, sizeof cls);
    EXPECT_EQ(0, lstrcmpiA(cls, "BUTTON")) << cls;
    RECT r;
    GetWindowRect(b, &r);
    EXPECT_EQ(80, r.right - r.left);
    EXPECT_EQ(20, r.bottom - r.top);
}

TEST(Buttons, AnsiModeKeepsTheBytes) {
    Parent p;
    ModeGuard mode(false);
    HWND b = CreateButton(kGermanAnsi, WS_CHILD, 0, 0, 50, 20, p.window, 3, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, b);
    EXPECT_FALSE(IsWindowUnicode(b));
    EXPECT_EQ(std::string(kGermanAnsi), AnsiText(b));
}

TEST(Buttons, WideCreationFailsExactAnsiCaptionIsConverted) {
    Parent p;
    ModeGuard mode(true);
    CreationFailer fail(1);
    HWND b = CreateButton(kGermanUtf8, WS_CHILD, 0, 0, 50, 20, p.window, 4, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(2, creationAttempts);
    EXPECT_EQ(std::string(kGermanAnsi), AnsiText(b));
}

TEST(Buttons, WideCreationFailsInexactCaptionKeepsRawUtf8Bytes) {
    Parent p;
    ModeGuard mode(true);
    CreationFailer fail(1);
    HWND b = CreateButton(kCyrillicUtf8, WS_CHILD, 0, 0, 50, 20, p.window, 4, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(std::string(kCyrillicUtf8), AnsiText(b));  // no question marks, no best fit
}

TEST(Buttons, BothCreationsFailGivesNull) {
    Parent p;
    ModeGuard mode(true);
    CreationFailer fail(2);
    EXPECT_EQ(nullptr, CreateButton("Exit", WS_CHILD, 0, 0, 50, 20, p.window, 2, GetModuleHandleA(nullptr)));
    EXPECT_EQ(2, creationAttempts);
}

TEST(Buttons, AnsiModeFailureIsNotRetriedWide) {
    Parent p;
    ModeGuard mode(false);
    CreationFailer fail(1);
    EXPECT_EQ(nullptr, CreateButton("Exit", WS_CHILD, 0, 0, 50, 20, p.window, 2, GetModuleHandleA(nullptr)));
    EXPECT_EQ(1, creationAttempts);
}

TEST(Buttons, EmptyCaption) {
    Parent p;
    ModeGuard mode(true);
    HWND b = CreateButton("", WS_CHILD, 0, 0, 50, 20, p.window, 2, GetModuleHandleA(nullptr));
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(std::wstring(), WideText(b));
}
