// The splash window as the popup shows it: owned, centred, its picture
// drawn whole, its timer, closing by mouse or key, no window without a
// picture, and the picture kept until shutdown releases it.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup_harness.h"

using namespace harness;

namespace {

COLORREF PictureColour(int x, int y) { return RGB(x * 6, y * 8, 200); }

struct SplashTest : ::testing::Test {
    ScratchFolder folder{"splash"};
    HWND owner = nullptr, splash = nullptr;
    // A popup built with a 40 x 30 splash picture, which shows.
    void Show(const std::string& moreSettings) {
        const std::string picture = WriteBmp(folder.path + "splash.bmp", 40, 30, PictureColour);
        UseSettings("splash=" + picture + "\n" + moreSettings);
        owner = BuildFor("");
        ASSERT_TRUE(owner);
        splash = FindOwnWindow("Corvane Splash");
        ASSERT_TRUE(splash);
    }
    // A window of the splash's class made here, as the splash would be.
    HWND SplashClassWindow(DWORD visible) {
        return CreateWindowExW(0, L"Corvane Splash", L"", WS_POPUP | visible, 0, 0, 40, 30,
                               IsWindow(owner) ? owner : nullptr, nullptr,
                               GetModuleHandleA(nullptr), nullptr);
    }
};

// How many pixels of the window's client area show the picture's colour there.
int PictureMatches(HWND w) {
    RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    Pump(100);
    HDC dc = GetDC(w);
    int matches = 0;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x) matches += (GetPixel(dc, x, y) & 0xFFFFFF) == PictureColour(x, y);
    ReleaseDC(w, dc);
    return matches;
}

TEST_F(SplashTest, IsOwnedCentredSizedAndDrawsTheWholePicture) {
    Show("");
    EXPECT_EQ(owner, GetWindow(splash, GW_OWNER));
    EXPECT_TRUE(IsWindowVisible(splash));
    RECT r, a;
    GetWindowRect(splash, &r);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &a, 0);
    EXPECT_EQ(40, r.right - r.left);
    EXPECT_EQ(30, r.bottom - r.top);
    EXPECT_EQ(a.left + (a.right - a.left - 40) / 2, r.left);
    EXPECT_EQ(a.top + (a.bottom - a.top - 30) / 2, r.top);
    EXPECT_EQ(40 * 30, PictureMatches(splash));
}

TEST_F(SplashTest, ClosesAfterSplashShowTimeAndLeavesThePopup) {
    Show("SplashShowTime=1\n");
    Pump(300);
    EXPECT_TRUE(IsWindow(splash));
    EXPECT_TRUE(PumpUntil([&] { return !IsWindow(splash); }, 5000));
    EXPECT_TRUE(IsWindow(owner)) << "the popup outlives its splash";
    int code = -1;
    EXPECT_FALSE(TakeQuit(&code)) << "closing the splash must not end the program";
}

TEST_F(SplashTest, AnyMouseButtonOrKeyClosesAtOnce) {
    Show("SplashShowTime=60\n");
    SendMessageA(splash, WM_MOUSEMOVE, 0, 0);  // not a closer
    ASSERT_TRUE(IsWindow(splash));
    SendMessageA(splash, WM_LBUTTONDOWN, 0, 0);
    EXPECT_FALSE(IsWindow(splash));
    // The other closers on hidden windows of its class: hiding a shown window
    // costs about two seconds under Wine without a window manager.
    const UINT closers[] = {WM_RBUTTONDOWN,   WM_MBUTTONDOWN, WM_NCLBUTTONDOWN, WM_NCRBUTTONDOWN,
                            WM_NCMBUTTONDOWN, WM_KEYDOWN,     WM_SYSKEYDOWN};
    for (UINT message : closers) {
        HWND w = SplashClassWindow(0);
        ASSERT_TRUE(w);
        SendMessageA(w, WM_MOUSEMOVE, 0, 0);
        ASSERT_TRUE(IsWindow(w));
        SendMessageA(w, message, 0, 0);
        EXPECT_FALSE(IsWindow(w)) << "message " << message;
    }
    EXPECT_TRUE(IsWindow(owner));
}

TEST_F(SplashTest, APictureThatDoesNotLoadShowsNoSplash) {
    UseSettings("splash=" + folder.path + "missing.bmp\n");
    owner = BuildFor("");
    ASSERT_TRUE(owner);
    EXPECT_EQ(nullptr, FindOwnWindow("Corvane Splash"));
}

TEST_F(SplashTest, ThePictureStaysUntilShutdownReleasesIt) {
    Show("SplashShowTime=60\n");
    DestroyWindow(owner);
    EXPECT_FALSE(IsWindow(splash)) << "the popup takes its splash along";
    HWND again = SplashClassWindow(WS_VISIBLE);
    ASSERT_TRUE(again);
    EXPECT_EQ(40 * 30, PictureMatches(again)) << "the picture is kept for shutdown";
    ReleasePopupObjects();
    EXPECT_EQ(0, PictureMatches(again)) << "shutdown left the picture";
    DestroyWindow(again);
}

}  // namespace
