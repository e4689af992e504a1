// The splash window: its timer, closing by mouse or key, its painting, and
// the popup state it clears when it goes.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup_harness.h"
#include "splash/splash.h"

using namespace harness;

namespace {

struct SplashTest : ::testing::Test {
    HWND popupWindow = nullptr;
    void SetUp() override {
        ResetState();
        popupWindow = CreatePopup();
        ASSERT_TRUE(popupWindow);
        WNDCLASSA wc = {};
        wc.style = CS_HREDRAW | CS_VREDRAW;
        wc.lpfnWndProc = SplashWndProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
        wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
        wc.lpszClassName = "CvHarnessSplash";
        RegisterClassA(&wc);
    }
    // Hiding a shown window costs about two seconds under Wine without a
    // window manager; the closing tests do not need it on screen.
    HWND MakeSplash(bool show = true) {
        HWND w = CreateWindowExA(0, "CvHarnessSplash", "Splash", WS_POPUP, 100, 100, 40, 30, popupWindow, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ::splash.window = w;
        if (show) {
            ShowWindow(w, SW_SHOW);
            UpdateWindow(w);
        }
        return w;
    }
};

TEST_F(SplashTest, ClosesAfterSplashShowTimeAndClearsItsState) {
    settings.SplashShowTime = 400;
    HWND splash = MakeSplash();
    ASSERT_TRUE(splash);
    EXPECT_NE(::splash.timer, 0u);
    Pump(150);
    EXPECT_TRUE(IsWindow(splash));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(splash); }, 5000));
    EXPECT_EQ(::splash.window, nullptr);
    EXPECT_EQ(::splash.timer, 0u);
    EXPECT_TRUE(IsWindow(popupWindow)) << "the popup outlives its splash";
    int code = -1;
    EXPECT_FALSE(TakeQuit(&code)) << "closing the splash must not end the program";
}

TEST_F(SplashTest, AnyMouseButtonOrKeyClosesAtOnce) {
    settings.SplashShowTime = 60000;
    const UINT closers[] = {WM_LBUTTONDOWN, WM_RBUTTONDOWN, WM_MBUTTONDOWN, WM_NCLBUTTONDOWN,
                            WM_NCRBUTTONDOWN, WM_NCMBUTTONDOWN, WM_KEYDOWN, WM_SYSKEYDOWN};
    for (UINT message : closers) {
        HWND splash = MakeSplash(false);
        ASSERT_TRUE(splash);
        SendMessageA(splash, WM_MOUSEMOVE, 0, 0);  // not a closer
        ASSERT_TRUE(IsWindow(splash));
        SendMessageA(splash, message, 0, 0);
        EXPECT_FALSE(IsWindow(splash)) << "message " << message;
        EXPECT_EQ(::splash.window, nullptr);
        EXPECT_EQ(::splash.timer, 0u);
    }
    EXPECT_TRUE(IsWindow(popupWindow));
}

TEST_F(SplashTest, PaintsTheWholeBitmapFromTheTopLeft) {
    HDC screen = GetDC(nullptr);
    Picture& picture = ::splash.picture;
    picture.Prepare(screen, CreateCompatibleBitmap(screen, 4, 3));
    ASSERT_EQ(picture.width, 4);
    ASSERT_EQ(picture.height, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x) SetPixel(picture.dc, x, y, RGB(10 * x, 20 * y, 200));

    HDC target = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 6, 5);
    SelectObject(target, canvas);
    RECT all = {0, 0, 6, 5};
    FillRect(target, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    PaintSplash(target);
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(0, 0, 200));
    EXPECT_EQ(GetPixel(target, 3, 2), RGB(30, 40, 200));
    EXPECT_EQ(GetPixel(target, 4, 0), RGB(0, 0, 0)) << "nothing beyond the bitmap's width";
    EXPECT_EQ(GetPixel(target, 0, 3), RGB(0, 0, 0));

    // Without a bitmap nothing is drawn.
    FillRect(target, &all, (HBRUSH)GetStockObject(BLACK_BRUSH));
    picture.Release();
    PaintSplash(target);
    EXPECT_EQ(GetPixel(target, 0, 0), RGB(0, 0, 0));
    ReleaseDC(nullptr, screen);
}

TEST_F(SplashTest, ClosingThePopupClosesTheSplash) {
    settings.SplashShowTime = 60000;
    HWND splash = MakeSplash();
    DestroyWindow(popupWindow);
    EXPECT_FALSE(IsWindow(splash));
    EXPECT_EQ(::splash.window, nullptr);
    EXPECT_EQ(::splash.timer, 0u);
}

}  // namespace
