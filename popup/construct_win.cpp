// Building the popup: brush, cursors, class, the window with its title and
// system-menu item, the logo, fonts, layout, menu buttons, placement and the
// splash window; then the message loop of the program.
#include <windows.h>

#include <cstring>
#include <utility>

#include "base/owned_win.h"
#include "base/startup_marks.h"
#include "base/wide_text.h"
#include "popup/auto_close.h"
#include "popup/buttons.h"
#include "popup/construct.h"
#include "popup/layout.h"
#include "popup/menu.h"
#include "popup/placement.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/text_helpers.h"
#include "popup/text_windows.h"
#include "popup/wndproc.h"
#include "settings/settings_keys.h"
#include "splash/splash.h"

PopupState popup;

namespace {

const wchar_t kClassName[] = L"Corvane";
const wchar_t kSystemMenuItem[] = L"Show " CORVANE_PRODUCT_NAME " web site...";

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
    const int dpi = popup.metrics.dpi;
    if (dpi != 96) logo.Scale(dc, ScaleToDpi(logo.width, dpi), ScaleToDpi(logo.height, dpi));
    STARTUP_MARK("logo prepared");
}

// The system's sizes for the popup, at least their usual ones scaled to the
// system DPI; and the font button captions use beyond 96 DPI, which the
// system's dialogs use at that DPI (the system font keeps its width there).
void TakeSystemMetrics() {
    PopupMetrics& m = popup.metrics;
    m.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    m.frameWidth = ScaledMetric(GetSystemMetrics(SM_CXFRAME), 4, m.dpi);
    m.frameHeight = ScaledMetric(GetSystemMetrics(SM_CYFRAME), 4, m.dpi);
    m.checkMarkWidth = ScaledMetric(GetSystemMetrics(SM_CXMENUCHECK), 13, m.dpi);
    if (m.dpi == 96) return;
    NONCLIENTMETRICSW metrics = {};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        popup.graphics.buttonFont.Reset(CreateFontIndirectW(&metrics.lfMessageFont));
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
    ScaleLayout(ls, popup.metrics.dpi);
    return ls;
}

// An information line wider than the work area allows ends in "...", and
// its underline with it; its whole text is the link's name.
void CutInfoLine(HDC dc) {
    PopupLayout& l = popup.layout;
    const int room = StatusWrapWidthNow();
    l.displayCut = l.displaySize.cx > room;
    if (!l.displayCut) return;
    const Selection font(dc, popup.graphics.infoFont);
    l.displaySize.cx = CutTextWidth(dc, settings.Display, room);
}

// Fonts, the text block, the status text, the menu buttons and the popup's
// size and place.
void LayOutPopup(HWND window, HDC dc) {
    PopupLayout& l = popup.layout;
    const LayoutSettings ls = LayoutFromSettings();
    const LogoPlacement logo = PlaceLogo(popup.graphics.logo.width, ls.xIcon, ls.yIcon);
    l.logoX = logo.x;
    l.logoY = logo.y;
    l.logoCentred = logo.centred;

    const FontChoice info = {settings.InfoSize, settings.InfoWeight, settings.InfoItalic, settings.InfoFace};
    const FontChoice status = {settings.MsgSize, settings.MsgWeight, settings.MsgItalic, settings.MsgFace};
    popup.graphics.infoFont.Reset(MakeFontAndMeasure(dc, info, settings.Display, &l.infoLineHeight, &l.displaySize));
    SIZE unused;
    popup.graphics.statusFont.Reset(MakeFontAndMeasure(dc, status, nullptr, &l.statusLineHeight, &unused));
    STARTUP_MARK("fonts");
    TakeSystemMetrics();

    LayoutMetrics metrics;
    metrics.frameWidth = popup.metrics.frameWidth;
    metrics.frameHeight = popup.metrics.frameHeight;
    metrics.captionHeight = popup.metrics.captionHeight;
    const int logoWidth = popup.graphics.logo.width;
    TextBlock block = LayOutTextBlock(ls, metrics, logo, logoWidth, l.infoLineHeight, l.statusLineHeight);
    const int statusWidth = LayOutFirstStatus(dc, block);
    CutInfoLine(dc);
    l.infoTop = block.infoTop;
    l.statusTop = block.statusTop;
    l.buttonRowTop = block.buttonRowTop;
    int menuButtonWidth = 0;
    const int menuTop = LayOutMenu(window, dc, block, &menuButtonWidth);

    SizeInputs in;
    in.textLeft = block.textLeft;
    in.displayWidth = l.displaySize.cx;
    in.messageWidth = statusWidth;
    in.logoWidth = logoWidth;
    in.logoHeight = popup.graphics.logo.height;
    in.logoY = l.logoY;
    in.logoCentred = l.logoCentred;
    in.infoTop = block.infoTop;
    in.infoLineHeight = l.infoLineHeight;
    in.statusTop = block.statusTop;
    in.statusLineHeight = l.statusLineHeight + popup.status.extra;
    in.menuLeft = block.menuLeft;
    in.menuButtonWidth = menuButtonWidth;
    in.menuTopAfterButtons = menuTop;
    l.contentWidth = ContentWidth(in, ls, metrics);
    l.windowHeight = WindowHeight(in, ls, metrics);
    FitStatusOnWorkArea(window);
    MovePopup(window);
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
    PopupMetrics& m = popup.metrics;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &m.workArea, 0);
    {
        // The underline follows the DPI; at 96 DPI it is the one-pixel line.
        const WindowDC dc(window);
        m.dpi = dc.get() ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    }
    popup.layout.underlineWidth = m.dpi > 96 ? ScaleToDpi(1, m.dpi) : 1;
    popup.graphics.infoPen.Reset(CreatePen(PS_SOLID, 0, popup.colours.info));
    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IdSysMenuWeb, kSystemMenuItem);
    STARTUP_MARK("DC, pen, system menu");
    return window;
}


// The record of a popup about to be built: all zero but for what the
// request and the system say.
void StartPopupState(const PopupRequest& request) {
    // Zero is "none" for every owner in the record; those that own something
    // give it up first, the picture in its own order (out of its context).
    popup.graphics.Release();
    popup.status.owned.Reset();
    std::memset(static_cast<void*>(&popup), 0, sizeof popup);
    popup.instanceHandle = request.instance;
    popup.metrics.dpi = 96;
    popup.focus.index = -1;
    popup.status.settled = request.settledStatus;
    // A menu is always shown, nomsg or not.
    popup.hidden = request.hidden && !settings.anyButton;
    popup.doNotShowAgain = request.doNotShowAgain;
    HIGHCONTRASTW contrast = {};
    contrast.cbSize = sizeof contrast;
    popup.highContrast = SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                         (contrast.dwFlags & HCF_HIGHCONTRASTON);
    SetPopupText(request.statusText);
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

void MovePopup(HWND window) {
    const PopupLayout& l = popup.layout;
    const int width = l.contentWidth + 2 * popup.metrics.frameWidth, height = l.windowHeight;
    const int x = DefaultPopupPosition(settings.popupPos.x, settings.anyButton);
    const POINT at = PlaceOnScreen(popup.metrics.workArea, x, settings.popupPos.y, width, height);
    MoveWindow(window, at.x, at.y, width, height, TRUE);
}

HWND BuildPopup(const PopupRequest& request) {
    StartPopupState(request);
    ChooseColours();
    popup.graphics.backgroundBrush.Reset(CreateSolidBrush(popup.colours.background));
    popup.link.arrowCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    if (request.registerClasses)
        RegisterProgramClass(popup.instanceHandle, kClassName, PopupWndProc, popup.link.arrowCursor,
                             popup.graphics.backgroundBrush);
    STARTUP_MARK("brush, cursors, class");
    Bitmap builtInLogo(LoadBitmapA(popup.instanceHandle, "QRN"));
    STARTUP_MARK("logo loaded");
    HWND window = MakePopupWindow();
    if (!window) return nullptr;
    {
        WindowDC dc(window);
        PrepareLogo(dc, std::move(builtInLogo));
        LayOutPopup(window, dc);
    }
    MakeTextWindows(window);
    STARTUP_MARK("layout, placement");

    const SplashPlace place = {popup.metrics.workArea, popup.metrics.dpi};
    ShowSplash(window, popup.instanceHandle, place, request.registerClasses);
    if (!popup.hidden) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : request.showCommand);
        STARTUP_MARK("shown");
        UpdateWindow(window);
        STARTUP_MARK("painted");
        WatchFromHere();
        if (settings.ShowOptions & 1) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    return window;
}

PopupOutcome RunPopup(const PopupRequest& request) {
    if (HWND window = BuildPopup(request)) {
        STARTUP_MARKS_WRITE();
        PostMessageW(window, kStartMessage, 0, 0);
        MSG msg;
        while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    PopupOutcome outcome;
    outcome.exitCode = popup.exitCode;
    outcome.doNotShowAgain = popup.doNotShowAgain;
    return outcome;
}

void PopupGraphics::Release() {
    logo.Release();
    backgroundBrush.Reset();
    infoPen.Reset();
    infoFont.Reset();
    statusFont.Reset();
    buttonFont.Reset();
}

void ReleasePopupObjects() {
    popup.graphics.Release();
    ReleaseSplash();
}
