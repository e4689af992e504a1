// The text helpers: conversions between UTF-8, UTF-16 and the ANSI code page,
// and measuring, drawing and buttons through the wide services.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "base/wide_text.h"
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
}  // namespace

TEST(Converters, BetweenUtf8Utf16AndTheAnsiCodePage) {
    ASSERT_EQ(1252u, GetACP()) << "these cases assume a Western code page";
    for (const auto& c : {std::make_pair(kCyrillicUtf8, kCyrillic), std::make_pair(kGreekUtf8, kGreek)}) {
        const HeapPtr<wchar_t> w = Utf8ToWide(c.first);
        ASSERT_NE(nullptr, w.get());
        EXPECT_EQ(std::wstring(c.second), std::wstring(w.get()));
        EXPECT_STREQ(c.first, Utf8FromWide(w).get()) << "round trip";
    }
    EXPECT_EQ(L'\0', Utf8ToWide("").get()[0]);
    EXPECT_EQ(nullptr, Utf8ToWide(nullptr).get());
    EXPECT_STREQ("\xCE\x9A", Utf8FromWide(kGreek, 1).get()) << "a counted piece";
    // ANSI bytes from a file without the UTF-8 mark, converted within the room given.
    char out[16];
    EXPECT_EQ(strlen(kGermanUtf8), Utf8FromAnsi(kGermanAnsi, strlen(kGermanAnsi), out, sizeof out));
    EXPECT_STREQ(kGermanUtf8, out);
    EXPECT_EQ(2u, Utf8FromAnsi(kGermanAnsi, strlen(kGermanAnsi), out, 4)) << "cut between characters";
    EXPECT_STREQ("Gr", out);
    EXPECT_STREQ(kGermanAnsi, AnsiFromUtf8(kGermanUtf8).get());
    EXPECT_STREQ("??????", AnsiFromUtf8(kCyrillicUtf8).get()) << "no Cyrillic in the Western code page";
    EXPECT_STREQ(kGermanAnsi, AnsiFromWide(L"Gr\x00FC\x00DF" L"e").get());
}

TEST(Measure, TheWholeUtf8TextThroughWide) {
    Canvas c;
    SIZE viaHelper = {-1, -1}, viaWide = {0, 0}, viaBytes = {0, 0};
    MeasureText(c.dc, kCyrillicUtf8, &viaHelper);
    GetTextExtentPoint32W(c.dc, kCyrillic, 6, &viaWide);
    GetTextExtentPoint32A(c.dc, kCyrillicUtf8, (int)strlen(kCyrillicUtf8), &viaBytes);
    EXPECT_EQ(viaWide.cx, viaHelper.cx);
    EXPECT_EQ(viaWide.cy, viaHelper.cy);
    EXPECT_GT(viaHelper.cx, 0);
    EXPECT_NE(viaBytes.cx, viaHelper.cx);  // twelve ANSI characters are not six Cyrillic ones
    SIZE empty = {-1, -1};
    MeasureText(c.dc, "", &empty);
    EXPECT_EQ(0, empty.cx);
}

TEST(Draw, Utf8TextsDrawTheirGlyphsAndAWesternTextAsItsAnsiBytesDid) {
    Canvas helper, reference, bytes;
    PutText(helper.dc, 5, 5, kGreekUtf8);
    TextOutW(reference.dc, 5, 5, kGreek, 8);
    TextOutA(bytes.dc, 5, 5, kGreekUtf8, (int)strlen(kGreekUtf8));
    EXPECT_GT(helper.InkCount(), 20);
    EXPECT_TRUE(helper.Pixels() == reference.Pixels());
    EXPECT_FALSE(helper.Pixels() == bytes.Pixels());
    // A settings file without the mark: its text, converted as it is read,
    // looks exactly as the ANSI service drew its bytes.
    Canvas converted, ansi;
    char utf8[32];
    Utf8FromAnsi(kGermanAnsi, strlen(kGermanAnsi), utf8, sizeof utf8);
    PutText(converted.dc, 3, 3, utf8);
    TextOutA(ansi.dc, 3, 3, kGermanAnsi, (int)strlen(kGermanAnsi));
    EXPECT_GT(converted.InkCount(), 10);
    EXPECT_TRUE(converted.Pixels() == ansi.Pixels());
    Canvas empty;
    PutText(empty.dc, 3, 3, "");
    EXPECT_EQ(0, empty.InkCount());
}

TEST(Buttons, AnyCaptionThroughAWideWindowAndChangedLater) {
    Parent p;
    HWND b = CreateButton(kCyrillicUtf8, WS_CHILD | WS_VISIBLE, 1, 2, 80, 20, p.window, 17);
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
    SetCaption(b, kGreekUtf8);
    EXPECT_EQ(std::wstring(kGreek), WideText(b));
    SetCaption(b, "");
    EXPECT_EQ(std::wstring(), WideText(b));
}

TEST(Buttons, AFailedCreationGivesNull) {
    Parent p;
    CreationFailer fail(1);
    EXPECT_EQ(nullptr, CreateButton("Exit", WS_CHILD, 0, 0, 50, 20, p.window, 2));
    EXPECT_EQ(1, creationAttempts);
}
