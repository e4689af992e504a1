// Building the popup: brush, cursors, class, the window with its title and
// system-menu item, logo and splash bitmaps, fonts, layout, menu buttons,
// placement and the splash window; then the message loop of the program.
#include <windows.h>

#include <utility>

#include "base/wide_text.h"
#include "base/owned_win.h"
#include "base/startup_marks.h"
#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "settings/run_state.h"
#include "settings/settings.h"
#include "splash/splash.h"

namespace {

const wchar_t kClassName[] = L"Corvane";
const wchar_t kSystemMenuItem[] = L"Show Corvane 3.2 web site...";

struct FontChoice {
    int size, weight, italic;
    const char* face;
};

// Makes a font, measures the text in it and returns the font's line height.
HFONT MakeFontAndMeasure(HDC dc, const FontChoice& choice, const char* text, int* lineHeight, SIZE* extent) {
    const int height = -MulDiv(choice.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontW(height, 0, 0, 0, choice.weight * 100, (DWORD)choice.italic, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                             WideArg(choice.face));
    const Selection selected(dc, font);
    TEXTMETRICW metrics;
    *lineHeight = 0;
    if (GetTextMetricsW(dc, &metrics)) *lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    extent->cx = extent->cy = 0;
    if (text) MeasureText(dc, text, extent);
    return font;
}

HWND CreatePopupWindow() {
    return CreateWindowExW(0, kClassName, WideArg(settings.Title), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                           nullptr, popup.instanceHandle, nullptr);
}

void RegisterPopupClass() {
    WNDCLASSEXW c = {};
    c.cbSize = sizeof c;
    c.style = CS_VREDRAW | CS_HREDRAW;
    c.lpfnWndProc = PopupWndProc;
    c.hInstance = popup.instanceHandle;
    c.hIcon = LoadIconA(popup.instanceHandle, "Corvane");
    c.hIconSm = SmallProgramIcon(popup.instanceHandle);
    c.hCursor = popup.arrowCursor;
    c.hbrBackground = popup.graphics.backgroundBrush;
    c.lpszClassName = kClassName;
    RegisterClassExW(&c);
}

// The logo: the built-in picture, the author's bitmap file, or none (also
// for the built-in one in high contrast); scaled for the system DPI.
void PrepareLogo(HDC dc, Bitmap builtIn) {
    Bitmap picture(popup.colours.builtInLogo ? builtIn.Release() : nullptr);
    bool builtInLogo = true;
    if (EqualNoCase(settings.icon, "none")) {
        picture.Reset();
    } else if (settings.icon[0]) {
        if (HBITMAP file = LoadBitmapFile(dc, settings.icon)) {
            picture.Reset(file);
            builtInLogo = false;  // the author's picture is shown as drawn
        }
    }
    Picture& logo = popup.graphics.logo;
    logo.Prepare(dc, picture.Release());
    if (builtInLogo) BlendLogoBackground(logo.dc, logo.width, logo.height, popup.colours.background);
    if (popup.dpi != 96) logo.Scale(dc, ScaleToDpi(logo.width, popup.dpi), ScaleToDpi(logo.height, popup.dpi));
    STARTUP_MARK("logo prepared");
}

// The system's sizes for the popup, at least their usual ones scaled to the
// system DPI; and the font button captions use beyond 96 DPI, which the
// system's dialogs use at that DPI (the system font keeps its width there).
void TakeSystemMetrics() {
    popup.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    popup.frameWidth = ScaledMetric(GetSystemMetrics(SM_CXFRAME), 4, popup.dpi);
    popup.frameHeight = ScaledMetric(GetSystemMetrics(SM_CYFRAME), 4, popup.dpi);
    popup.checkMarkWidth = ScaledMetric(GetSystemMetrics(SM_CXMENUCHECK), 13, popup.dpi);
    if (popup.dpi == 96) return;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        popup.graphics.buttonFont.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
}

// A status text wider than the work area leaves room for wraps onto more
// lines; what stands below it moves down.
void WrapStatusText(HDC dc, TextBlock& block, SIZE& message) {
    const int wrapWidth = StatusWrapWidth(popup.workArea.right - popup.workArea.left, popup.frameWidth, block.textLeft);
    if (message.cx <= wrapWidth || !popup.popupText) return;
    const Selection font(dc, popup.graphics.statusFont);
    const int extra = WrappedTextHeight(dc, popup.popupText, wrapWidth) - popup.statusLineHeight;
    message.cx = wrapWidth;
    if (extra <= 0) return;
    popup.statusExtra = extra;
    if (settings.yExit == 0) block.buttonRowTop += extra;
    if (settings.yMenu == 0) block.menuTop += extra;
}

LayoutSettings LayoutFromSettings() {
    LayoutSettings ls;
    ls.xIcon = settings.xIcon;
    ls.yIcon = settings.yIcon;
    ls.xInfo = settings.xInfo;
    ls.yInfo = settings.yInfo;
    ls.yMsg = settings.yMsg;
    ls.yExit = settings.yExit;
    ls.xMenu = settings.xMenu;
    ls.yMenu = settings.yMenu;
    ls.xSize = settings.xSize;
    ls.ySize = settings.ySize;
    ScaleLayout(ls, popup.dpi);
    return ls;
}

// The splash picture, scaled for the system DPI like the logo, but no
// further than the work area holds.
void PrepareSplash(HDC dc) {
    if (!settings.splash[0]) return;
    Picture& picture = splash.picture;
    picture.Prepare(dc, LoadBitmapFile(dc, settings.splash));
    if (popup.dpi == 96) return;
    const RECT& area = popup.workArea;
    const ScreenPoint size =
        ScaledToFit(picture.width, picture.height, popup.dpi, area.right - area.left, area.bottom - area.top);
    picture.Scale(dc, size.x, size.y);
}

// An information line wider than the work area allows ends in "...", and
// its underline with it; its whole text is the link's name.
void CutInfoLine(HDC dc, const TextBlock& block) {
    const int room = StatusWrapWidth(popup.workArea.right - popup.workArea.left, popup.frameWidth, block.textLeft);
    popup.displayCut = popup.displaySize.cx > room;
    if (!popup.displayCut) return;
    const Selection font(dc, popup.graphics.infoFont);
    popup.displaySize.cx = CutTextWidth(dc, settings.Display, room);
}

// Fonts, the text block, the menu buttons and the popup's size and place;
// the width the status text takes (wrapped, the wrap width).
int LayOutPopup(HWND window, HDC dc) {
    const LayoutSettings ls = LayoutFromSettings();
    const LogoPlacement logo = PlaceLogo(popup.graphics.logo.width, ls.xIcon, ls.yIcon);
    popup.logoX = logo.x;
    popup.logoY = logo.y;
    popup.logoCentred = logo.centred;
    PrepareSplash(dc);

    const FontChoice info = {settings.InfoSize, settings.InfoWeight, settings.InfoItalic, settings.InfoFace};
    const FontChoice status = {settings.MsgSize, settings.MsgWeight, settings.MsgItalic, settings.MsgFace};
    popup.graphics.infoFont.Reset(
        MakeFontAndMeasure(dc, info, settings.Display, &popup.infoLineHeight, &popup.displaySize));
    SIZE message = {0, 0};
    popup.graphics.statusFont.Reset(
        MakeFontAndMeasure(dc, status, popup.popupText, &popup.statusLineHeight, &message));
    STARTUP_MARK("fonts");
    TakeSystemMetrics();

    LayoutMetrics metrics;
    metrics.frameWidth = popup.frameWidth;
    metrics.frameHeight = popup.frameHeight;
    metrics.captionHeight = popup.captionHeight;
    const int logoWidth = popup.graphics.logo.width;
    TextBlock block = LayOutTextBlock(ls, metrics, logo, logoWidth, popup.infoLineHeight, popup.statusLineHeight);
    WrapStatusText(dc, block, message);
    CutInfoLine(dc, block);
    popup.textLeft = block.textLeft;
    popup.infoTop = block.infoTop;
    popup.statusTop = block.statusTop;
    popup.buttonRowTop = block.buttonRowTop;
    popup.installButton.x = popup.checkBox.x = 0;
    popup.installButton.y = popup.checkBox.y = block.buttonRowTop;
    int menuButtonWidth = 0;
    const int menuTop = LayOutMenu(window, dc, block, &menuButtonWidth);

    SizeInputs in;
    in.textLeft = block.textLeft;
    in.displayWidth = popup.displaySize.cx;
    in.messageWidth = message.cx;
    in.logoWidth = logoWidth;
    in.logoHeight = popup.graphics.logo.height;
    in.logoY = popup.logoY;
    in.logoCentred = popup.logoCentred;
    in.infoTop = block.infoTop;
    in.infoLineHeight = popup.infoLineHeight;
    in.statusTop = block.statusTop;
    in.statusLineHeight = popup.statusLineHeight + popup.statusExtra;
    in.menuLeft = block.menuLeft;
    in.menuButtonWidth = menuButtonWidth;
    in.menuTopAfterButtons = menuTop;
    popup.contentWidth = ContentWidth(in, ls, metrics);
    popup.windowHeight = WindowHeight(in, ls, metrics);
    FitStatusOnWorkArea(window);
    MovePopup(window, popup.contentWidth + 2 * popup.frameWidth, popup.windowHeight);
    return message.cx;
}

// The colours of the settings, or the system's in high contrast.
void ChooseColours() {
    SystemColours system;
    system.window = GetSysColor(COLOR_WINDOW);
    system.windowText = GetSysColor(COLOR_WINDOWTEXT);
    system.hotLight = GetSysColor(COLOR_HOTLIGHT);
    popup.colours = ChoosePopupColours(settings.BkColor, settings.InfoColor, settings.MsgColor,
                                       settings.DoNotRepeatColor, popup.highContrast, system);
}

// The window, its title and system-menu item; null after telling the user.
HWND MakePopupWindow() {
    HWND window = CreatePopupWindow();
    STARTUP_MARK("window created");
    if (!window) {
        MessageBoxW(nullptr, L"Could not create Corvane popup", L"Corvane", MB_OK);
        return nullptr;
    }
    RECT workArea = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    popup.workArea = workArea;
    {
        // The underline follows the DPI; at 96 DPI it is the one-pixel line.
        const WindowDC dc(window);
        popup.dpi = dc.get() ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    }
    popup.underlineWidth = popup.dpi > 96 ? ScaleToDpi(1, popup.dpi) : 1;
    popup.graphics.infoPen.Reset(CreatePen(PS_SOLID, 0, popup.colours.info));
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IdSysMenuWeb, kSystemMenuItem);
    STARTUP_MARK("DC, pen, system menu");
    return window;
}

}  // namespace

void BlendLogoBackground(HDC memoryDC, int width, int height, COLORREF background) {
    if (!memoryDC || width <= 0 || height <= 0) return;
    const COLORREF key = GetPixel(memoryDC, 0, 0);
    if (key == CLR_INVALID || key == background) return;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (GetPixel(memoryDC, x, y) == key) SetPixelV(memoryDC, x, y, background);
}

void RunPopup(HINSTANCE previousInstance, int showCommand) {
    ChooseColours();
    popup.graphics.backgroundBrush.Reset(CreateSolidBrush(popup.colours.background));
    popup.arrowCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    if (!previousInstance) RegisterPopupClass();
    STARTUP_MARK("brush, cursors, class");
    Bitmap builtInLogo(LoadBitmapA(popup.instanceHandle, "QRN"));
    STARTUP_MARK("logo loaded");
    HWND window = MakePopupWindow();
    if (!window) return;
    int statusWidth = 0;
    {
        WindowDC dc(window);
        PrepareLogo(dc, std::move(builtInLogo));
        statusWidth = LayOutPopup(window, dc);
    }
    MakeTextWindows(window, statusWidth);
    STARTUP_MARK("layout, placement");

    if (splash.picture.Ready()) {
        const POINT at =
            ComputePosition(settings.splashPos.x, settings.splashPos.y, splash.picture.width, splash.picture.height);
        ShowSplash(window, popup.instanceHandle, at, previousInstance == nullptr);
    }
    if (!run.nomsgOption) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : showCommand);
        STARTUP_MARK("shown");
        UpdateWindow(window);
        STARTUP_MARK("painted");
        if (settings.ShowOptions & 1) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    STARTUP_MARKS_WRITE();
    PostMessageW(window, kStartMessage, 0, 0);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void ReleasePopupObjects() {
    popup.graphics.Release();
    splash.picture.Release();
}
