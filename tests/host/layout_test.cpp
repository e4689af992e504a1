#include "popup/layout.h"

#include <gtest/gtest.h>

namespace {

LayoutMetrics Metrics(int F, int G, int caption) {
    LayoutMetrics m;
    m.frameWidth = F;
    m.frameHeight = G;
    m.captionHeight = caption;
    return m;
}

// Gathers the inputs of the size rules from a laid-out text block.
SizeInputs Inputs(const TextBlock& t, const LogoPlacement& logo, int logoW, int logoH, int infoH, int statusH) {
    SizeInputs in;
    in.textLeft = t.textLeft;
    in.logoWidth = logoW;
    in.logoHeight = logoH;
    in.logoY = logo.y;
    in.logoCentred = logo.centred;
    in.infoTop = t.infoTop;
    in.infoLineHeight = infoH;
    in.statusTop = t.statusTop;
    in.statusLineHeight = statusH;
    in.menuLeft = t.menuLeft;
    in.menuTopAfterButtons = t.menuTop;
    return in;
}

const int F = 4, G = 4, kCaption = 19, kInfoH = 20, kStatusH = 16;

}  // namespace

TEST(TextBlock, NoLogoNoSettingsStartsAtFrameAndStacksLines) {
    LayoutSettings s;
    LogoPlacement logo = PlaceLogo(0, 0, 0);
    EXPECT_FALSE(logo.centred);
    TextBlock t = LayOutTextBlock(s, Metrics(F, G, kCaption), logo, 0, kInfoH, kStatusH);
    EXPECT_EQ(F, t.textLeft);
    EXPECT_EQ(G, t.infoTop);
    EXPECT_EQ(2 * G + kInfoH, t.statusTop);
    EXPECT_EQ(3 * G + kInfoH + kStatusH, t.buttonRowTop);
    EXPECT_EQ(t.textLeft, t.menuLeft);
    EXPECT_EQ(t.buttonRowTop + G + kStatusH, t.menuTop);
}

TEST(TextBlock, LogoAtOriginPushesTextsRightAndSetsMinimumHeight) {
    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    LogoPlacement logo = PlaceLogo(89, 0, 0);
    TextBlock t = LayOutTextBlock(s, m, logo, 89, kInfoH, kStatusH);
    EXPECT_EQ(89 + F, t.textLeft);
    EXPECT_EQ(G, t.infoTop);
    SizeInputs in = Inputs(t, logo, 89, 75, kInfoH, kStatusH);
    EXPECT_GE(WindowHeight(in, s, m), 75 + 2 * G + kCaption);
    // A tall logo decides the height on its own.
    in.menuTopAfterButtons = 0;
    in.statusTop = in.infoTop = 0;
    EXPECT_EQ(75 + 2 * G + kCaption, WindowHeight(in, s, m));
}

TEST(TextBlock, LogoPlacedByXIconYIcon) {
    LayoutSettings s;
    s.xIcon = 10;
    s.yIcon = 30;
    LogoPlacement logo = PlaceLogo(89, s.xIcon, s.yIcon);
    EXPECT_EQ(10, logo.x);
    EXPECT_EQ(30, logo.y);
    TextBlock t = LayOutTextBlock(s, Metrics(F, G, kCaption), logo, 89, kInfoH, kStatusH);
    EXPECT_EQ(10 + 89 + F, t.textLeft);
    EXPECT_EQ(30 + G, t.infoTop);
    SizeInputs in = Inputs(t, logo, 89, 75, kInfoH, kStatusH);
    in.menuTopAfterButtons = 0;
    EXPECT_EQ(30 + 75 + 2 * G + kCaption, WindowHeight(in, s, Metrics(F, G, kCaption)));
}

TEST(TextBlock, CentredLogoLeavesTextsAtFrameButStillSizesWindow) {
    LayoutSettings s;
    s.xIcon = -1;
    s.yIcon = 500;  // ignored for a centred logo
    LayoutMetrics m = Metrics(F, G, kCaption);
    LogoPlacement logo = PlaceLogo(89, s.xIcon, s.yIcon);
    EXPECT_TRUE(logo.centred);
    TextBlock t = LayOutTextBlock(s, m, logo, 89, kInfoH, kStatusH);
    EXPECT_EQ(F, t.textLeft);
    EXPECT_EQ(G, t.infoTop);
    SizeInputs in = Inputs(t, logo, 89, 300, kInfoH, kStatusH);
    EXPECT_EQ(300 + 2 * G + kCaption, WindowHeight(in, s, m));
    EXPECT_GE(ContentWidth(in, s, m), 89);
}

TEST(TextBlock, CentredLogoWithoutWidthIsNoLogo) {
    LogoPlacement logo = PlaceLogo(0, -1, 0);
    EXPECT_FALSE(logo.centred);
}

TEST(TextBlock, CentreLogoTruncatesTowardZero) {
    LogoPlacement p = CentreLogo(200, 101, 89, 75);
    EXPECT_EQ(55, p.x);  // 111 / 2
    EXPECT_EQ(13, p.y);  // 26 / 2
    p = CentreLogo(50, 40, 89, 75);  // logo larger than the client area
    EXPECT_EQ(-19, p.x);             // -39 / 2 truncates toward zero
    EXPECT_EQ(-17, p.y);
}

TEST(TextBlock, FirstMenuButtonMovesOnlyWhenTheExitButtonWouldReachIntoIt) {
    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    // The written arithmetic, whatever the Exit button: a status line below the row.
    TextBlock t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, 14);
    EXPECT_EQ(t.buttonRowTop + G + 14, t.menuTop);
    SizeInputs in = Inputs(t, LogoPlacement(), 0, 0, kInfoH, 14);
    EXPECT_EQ(t.menuTop + 2 * G + kCaption, WindowHeight(in, s, m));

    // A 28-pixel Exit button under a 14-pixel status line reaches 10 pixels
    // into a menu button in the same column: the menu moves down by exactly that.
    EXPECT_EQ(t.buttonRowTop + 28, MenuTopClearOfExit(t, 0, 60, 28, 100));
    // An Exit button that fits the line (G + 14 = 18) leaves the menu where it is,
    // and so does one that ends exactly where the menu button begins.
    EXPECT_EQ(t.menuTop, MenuTopClearOfExit(t, 0, 60, 16, 100));
    EXPECT_EQ(t.menuTop, MenuTopClearOfExit(t, 0, 60, 18, 100));
    EXPECT_EQ(t.buttonRowTop + 19, MenuTopClearOfExit(t, 0, 60, 19, 100));
    // Side by side (xMenu right of the Exit button) nothing overlaps...
    TextBlock right = t;
    right.menuLeft = t.textLeft + 60;
    EXPECT_EQ(t.menuTop, MenuTopClearOfExit(right, 0, 60, 28, 100));
    right.menuLeft = t.textLeft + 59;  // ...one pixel further left it does.
    EXPECT_EQ(t.buttonRowTop + 28, MenuTopClearOfExit(right, 0, 60, 28, 100));
    // A menu column ending left of the Exit button does not meet it either.
    TextBlock left = t;
    left.textLeft = t.menuLeft + 100;
    EXPECT_EQ(t.menuTop, MenuTopClearOfExit(left, 0, 60, 28, 100));
    // No menu button offered, or yMenu set by the author: unchanged.
    EXPECT_EQ(t.menuTop, MenuTopClearOfExit(t, 0, 60, 28, 0));
    s.yMenu = 50;
    t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, 14);
    EXPECT_EQ(50, t.menuTop);
    EXPECT_EQ(50, MenuTopClearOfExit(t, 50, 60, 28, 100));
}

TEST(TextBlock, ExplicitSettingsWin) {
    LayoutSettings s;
    s.xInfo = 7;
    s.yInfo = 9;
    s.yMsg = 60;
    s.yExit = 90;
    s.xMenu = 200;
    s.yMenu = 120;
    TextBlock t = LayOutTextBlock(s, Metrics(F, G, kCaption), PlaceLogo(89, 0, 0), 89, kInfoH, kStatusH);
    EXPECT_EQ(7, t.textLeft);
    EXPECT_EQ(9, t.infoTop);
    EXPECT_EQ(60, t.statusTop);
    EXPECT_EQ(90, t.buttonRowTop);
    EXPECT_EQ(200, t.menuLeft);
    EXPECT_EQ(120, t.menuTop);
}

TEST(PopupSize, StatusLineAboveInfoLineMakesInfoLineTheLowest) {
    LayoutSettings s;
    s.yInfo = 40;
    s.yMsg = 5;
    LayoutMetrics m = Metrics(F, G, kCaption);
    TextBlock t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, kStatusH);
    SizeInputs in = Inputs(t, LogoPlacement(), 0, 0, kInfoH, kStatusH);
    in.menuTopAfterButtons = 0;  // only the text lines count here
    EXPECT_EQ(40 + G + kInfoH + 2 * G + kCaption, WindowHeight(in, s, m));
    // And the usual order takes the status line.
    s.yMsg = 80;
    t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, kStatusH);
    in = Inputs(t, LogoPlacement(), 0, 0, kInfoH, kStatusH);
    in.menuTopAfterButtons = 0;
    EXPECT_EQ(80 + G + kStatusH + 2 * G + kCaption, WindowHeight(in, s, m));
}

TEST(PopupSize, DefaultHeightReservesTheLineBelowTheButtonRow) {
    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    TextBlock t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, kStatusH);
    SizeInputs in = Inputs(t, LogoPlacement(), 0, 0, kInfoH, kStatusH);
    EXPECT_EQ(t.menuTop + 2 * G + kCaption, WindowHeight(in, s, m));
}

TEST(PopupSize, WidthIsTheWidestPart) {
    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    SizeInputs in;
    in.textLeft = 10;
    in.displayWidth = 100;
    in.messageWidth = 150;
    EXPECT_EQ(10 + 150 + 2 * F, ContentWidth(in, s, m));
    in.displayWidth = 300;
    EXPECT_EQ(10 + 300 + 2 * F, ContentWidth(in, s, m));
    in.logoWidth = 400;
    EXPECT_EQ(400, ContentWidth(in, s, m));
    in.menuLeft = 300;
    in.menuButtonWidth = 112;
    EXPECT_EQ(300 + 112 + 2 * F, ContentWidth(in, s, m));
}

TEST(PopupSize, XSizeAndYSizeAreMinimums) {
    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    TextBlock t = LayOutTextBlock(s, m, PlaceLogo(0, 0, 0), 0, kInfoH, kStatusH);
    SizeInputs in = Inputs(t, LogoPlacement(), 0, 0, kInfoH, kStatusH);
    in.messageWidth = 120;
    const int naturalWidth = ContentWidth(in, s, m);
    const int naturalHeight = WindowHeight(in, s, m);
    s.xSize = naturalWidth + 50;
    s.ySize = naturalHeight + 70;
    EXPECT_EQ(naturalWidth + 50, ContentWidth(in, s, m));  // window is xSize + 2F wide
    EXPECT_EQ(naturalHeight + 70, WindowHeight(in, s, m));
    s.xSize = 10;
    s.ySize = 10;
    EXPECT_EQ(naturalWidth, ContentWidth(in, s, m));
    EXPECT_EQ(naturalHeight, WindowHeight(in, s, m));
    s.xSize = -1;  // maximised: no effect on the size
    EXPECT_EQ(naturalWidth, ContentWidth(in, s, m));
}

TEST(MenuButtons, WidestTextPlusFourSpacesFirstHeightSevenQuarters) {
    MenuButtonSizer sizer;
    sizer.Add(50, 16);
    sizer.Add(80, 16);
    sizer.Add(30, 16);
    EXPECT_EQ(112, sizer.ButtonWidth(32));
    EXPECT_EQ(28, sizer.ButtonHeight());
    EXPECT_EQ(42, MenuButtonPitch(28));
    const int menuTop = 100;
    int top = menuTop;
    int tops[3];
    for (int& t : tops) {
        t = top;
        top += MenuButtonPitch(sizer.ButtonHeight());
    }
    EXPECT_EQ(menuTop, tops[0]);
    EXPECT_EQ(menuTop + 42, tops[1]);
    EXPECT_EQ(menuTop + 84, tops[2]);
    EXPECT_EQ(menuTop + 126, top);

    LayoutSettings s;
    LayoutMetrics m = Metrics(F, G, kCaption);
    SizeInputs in;
    in.menuTopAfterButtons = top;
    EXPECT_GE(WindowHeight(in, s, m), menuTop + 126 + 2 * G + kCaption);
}

TEST(MenuButtons, OnlyTheFirstHeightCounts) {
    MenuButtonSizer sizer;
    sizer.Add(20, 13);
    sizer.Add(10, 40);
    EXPECT_EQ(22, sizer.ButtonHeight());  // 7 * 13 / 4 = 22.75
    EXPECT_EQ(33, MenuButtonPitch(22));
    EXPECT_EQ(20 + 8, sizer.ButtonWidth(8));
}

TEST(MenuButtons, NoTextGivesFourSpacesWideAndNoHeight) {
    MenuButtonSizer sizer;
    EXPECT_EQ(32, sizer.ButtonWidth(32));
    EXPECT_EQ(0, sizer.ButtonHeight());
    EXPECT_EQ(0, MenuButtonPitch(0));
}

TEST(Position, AbsentPositionDependsOnMenuMode) {
    EXPECT_EQ(PosCenter, DefaultPopupPosition(PosAbsent, true));
    EXPECT_EQ(PosTopLeft, DefaultPopupPosition(PosAbsent, false));
    EXPECT_EQ(PosBottomRight, DefaultPopupPosition(PosBottomRight, false));
    EXPECT_EQ(25, DefaultPopupPosition(25, true));
}

TEST(Position, AllCodesOnAFullWidthWorkArea) {
    WorkAreaRect a{0, 0, 1024, 738};
    struct Case {
        int code, x, y;
    } cases[] = {
        {PosAbsent, 362, 269}, {PosCenter, 362, 269},  {PosTopLeft, 0, 0},      {PosTopRight, 724, 0},
        {PosBottomLeft, 0, 538}, {PosBottomRight, 724, 538}, {PosTop, 362, 0}, {PosBottom, 362, 538},
        {PosLeft, 0, 269},     {PosRight, 724, 269},
    };
    for (const Case& c : cases) {
        ScreenPoint p = PlaceOnWorkArea(a, c.code, 999, 300, 200);
        EXPECT_EQ(c.x, p.x) << "code " << c.code;
        EXPECT_EQ(c.y, p.y) << "code " << c.code;
    }
}

TEST(Position, WorkAreaWithTaskbarAtTheLeft) {
    WorkAreaRect a{30, 0, 1024, 768};
    const int w = 301, h = 200;
    EXPECT_EQ(1024, PlaceOnWorkArea(a, PosRight, 0, w, h).x + w);
    EXPECT_EQ(30, PlaceOnWorkArea(a, PosLeft, 0, w, h).x);
    EXPECT_EQ(30 + (994 - w) / 2, PlaceOnWorkArea(a, PosCenter, 0, w, h).x);
    ScreenPoint pair = PlaceOnWorkArea(a, 10, 20, w, h);
    EXPECT_EQ(40, pair.x);
    EXPECT_EQ(20, pair.y);
    ScreenPoint zero = PlaceOnWorkArea(a, 0, 0, w, h);  // a pair 0,0 is the corner
    EXPECT_EQ(30, zero.x);
    EXPECT_EQ(0, zero.y);
}

TEST(Position, NotClampedToTheWorkArea) {
    WorkAreaRect a{0, 0, 1024, 768};
    EXPECT_EQ(-38, PlaceOnWorkArea(a, PosCenter, 0, 1100, 100).x);
    ScreenPoint far = PlaceOnWorkArea(a, 2000, 3000, 100, 100);
    EXPECT_EQ(2000, far.x);
    EXPECT_EQ(3000, far.y);
    EXPECT_EQ(-76, PlaceOnWorkArea(a, PosTopRight, 0, 1100, 100).x);
}

TEST(Dpi, LengthsAndMarginsScaleWithTheSystemDpiAndStayAt96) {
    const struct { int px, dpi, scaled; } cases[] = {{89, 96, 89}, {89, 120, 111}, {89, 144, 134}, {89, 192, 178},
                                                     {75, 144, 113}, {1, 144, 2}, {0, 192, 0}, {-3, 144, -5}};
    for (const auto& c : cases) EXPECT_EQ(ScaleToDpi(c.px, c.dpi), c.scaled) << c.px << " at " << c.dpi;
    // The system's own margin at 96 DPI, whatever it is; at least the scaled
    // four pixels above, but never scaled twice when the system scaled it.
    EXPECT_EQ(ScaledMetric(3, 4, 96), 3);
    EXPECT_EQ(ScaledMetric(4, 4, 144), 6);
    EXPECT_EQ(ScaledMetric(6, 4, 144), 6);
    EXPECT_EQ(ScaledMetric(4, 4, 192), 8);
    EXPECT_EQ(ScaledMetric(13, 13, 120), 16);
    EXPECT_EQ(ScaledMetric(30, 4, 120), 30);
    // The author's lengths: places beside a logo that grew, sizes.
    LayoutSettings s;
    s.xIcon = -1, s.xInfo = 70, s.yExit = 40, s.xSize = 300;
    LayoutSettings same = s;
    ScaleLayout(same, 96);
    ScaleLayout(s, 144);
    EXPECT_EQ(same.xInfo, 70);
    EXPECT_EQ(same.xSize, 300);
    EXPECT_EQ(s.xIcon, -1) << "the centred logo stays centred";
    EXPECT_EQ(s.yIcon, 0) << "automatic stays automatic";
    EXPECT_EQ(s.xInfo, 105);
    EXPECT_EQ(s.yExit, 60);
    EXPECT_EQ(s.xSize, 450);
}

TEST(Placement, WindowsStayInsideTheWorkAreaAndLongTextsWrapToKeepThemThere) {
    WorkAreaRect a;
    a.left = 0, a.top = 30, a.right = 1024, a.bottom = 738;
    const struct { int x, y, w, h, wantX, wantY; } cases[] = {
        {10, 40, 300, 100, 10, 40},      // inside: unchanged
        {900, 700, 300, 100, 724, 638},  // past the right and bottom edges
        {-50, 0, 300, 100, 0, 30},       // before the left and top edges
        {100, 100, 1200, 900, 0, 30},    // larger than the work area: its top left shows
    };
    for (const auto& c : cases) {
        ScreenPoint p;
        p.x = c.x, p.y = c.y;
        const ScreenPoint q = KeepInsideWorkArea(a, p, c.w, c.h);
        EXPECT_EQ(q.x, c.wantX) << c.x;
        EXPECT_EQ(q.y, c.wantY) << c.y;
    }
    // A status text cut to the wrap width gives a popup, frames included,
    // exactly as wide as the work area.
    SizeInputs in;
    in.textLeft = 97;
    in.messageWidth = StatusWrapWidth(1024, 4, in.textLeft);
    LayoutMetrics m;
    m.frameWidth = 4;
    EXPECT_EQ(ContentWidth(in, LayoutSettings(), m) + 2 * m.frameWidth, 1024);
    EXPECT_EQ(StatusWrapWidth(100, 4, 200), 1) << "always some room";
    // Wrapped onto more lines than the work area is tall: whole lines that fit.
    EXPECT_EQ(FitStatusExtra(300, 700, 768, 16), 300) << "fits: all of it";
    EXPECT_EQ(FitStatusExtra(1000, 1090, 768, 16), 672) << "678 leaves a part line";
    EXPECT_EQ(FitStatusExtra(100, 2000, 768, 16), 0) << "taller for other reasons: one line";
    // Pictures scale with the DPI, less (or down) when the work area is
    // smaller; at 96 DPI they stay as they are.
    const struct { int w, h, dpi, wantW, wantH; } pictures[] = {
        {640, 400, 96, 640, 400}, {640, 400, 144, 960, 600}, {640, 400, 192, 1020, 638},
        {400, 640, 192, 479, 767}, {2000, 300, 192, 1021, 153}, {2000, 300, 96, 2000, 300},
    };
    for (const auto& p : pictures) {
        const ScreenPoint size = ScaledToFit(p.w, p.h, p.dpi, 1024, 768);
        EXPECT_EQ(size.x, p.wantW) << p.w << "x" << p.h << " at " << p.dpi;
        EXPECT_EQ(size.y, p.wantH) << p.w << "x" << p.h << " at " << p.dpi;
    }
}
