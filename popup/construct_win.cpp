// Building the popup: brush, cursors, classes, the window with its title and
// system-menu item, logo and splash bitmaps, fonts, layout, menu buttons,
// placement and the splash window; then the message loop of the program.
#include <windows.h>

#include <cstdlib>

#include "app/ansi_text.h"
#include "app/cmdline.h"
#include "app/platform_state.h"
#include "app/settings.h"
#include "app/startup_marks.h"
#include "app/startup_state.h"
#include "conditions/condition.h"
#include "popup/layout.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "splash/splash.h"

namespace {

const char kClassName[] = "Corvane";
const wchar_t kClassNameW[] = L"Corvane";
const char kSplashClassName[] = "Corvane Splash";
const char kSystemMenuItem[] = "Show Corvane 3.2 web site...";
const DWORD kMenuButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;

// The bitmaps the memory contexts held when they were made; selected back at
// shutdown so that the pictures are no longer in use when they are deleted.
HGDIOBJ logoDCOriginalBitmap = nullptr;
HGDIOBJ splashDCOriginalBitmap = nullptr;

struct WindowDC {
    HWND window;
    HDC dc;
    explicit WindowDC(HWND w) : window(w), dc(GetDC(w)) {}
    ~WindowDC() { Release(); }
    void Release() {
        if (dc) ReleaseDC(window, dc);
        dc = nullptr;
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
};

// Puts a bitmap into a memory context like the window's and reads its size;
// width and height stay 0 when any step fails.
void PrepareBitmap(HDC windowDC, HBITMAP bitmap, HDC* memoryDC, HGDIOBJ* originalBitmap, int* width, int* height) {
    *width = 0;
    *height = 0;
    if (!bitmap) return;
    *memoryDC = CreateCompatibleDC(windowDC);
    if (!*memoryDC) return;
    HGDIOBJ original = SelectObject(*memoryDC, bitmap);
    if (!original || original == HGDI_ERROR) return;
    *originalBitmap = original;
    SetMapMode(*memoryDC, GetMapMode(windowDC));
    BITMAP info;
    if (GetObjectA(bitmap, sizeof info, &info)) {
        *width = info.bmWidth;
        *height = info.bmHeight;
    }
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

namespace {

struct FontChoice {
    int size, weight, italic;
    const char* face;
};

// Makes a font, measures the text in it and returns the font's line height.
HFONT MakeFontAndMeasure(HDC dc, const FontChoice& choice, const char* text, int count, int* lineHeight, SIZE* extent) {
    const int height = -MulDiv(choice.size, GetDeviceCaps(dc, LOGPIXELSY), 72);
    HFONT font = CreateFontA(height, 0, 0, 0, choice.weight * 100, (DWORD)choice.italic, 0, 0, ANSI_CHARSET, 0, 0, 0, 0,
                             choice.face);
    HGDIOBJ previous = font ? SelectObject(dc, font) : nullptr;
    TEXTMETRICA metrics;
    *lineHeight = 0;
    if (GetTextMetricsA(dc, &metrics)) *lineHeight = metrics.tmHeight + metrics.tmExternalLeading;
    extent->cx = extent->cy = 0;
    if (text) MeasureText(dc, text, count, extent);
    if (previous) SelectObject(dc, previous);
    return font;
}

void AddMenuButton(const char* caption, bool hasButton, HWND parent, int width, int height, int left, int* top,
                   int index) {
    if (!hasButton) return;
    HWND button = CreateButton(caption, kMenuButtonStyle, left, *top, width, height, parent, IdMainEntry + index,
                               instanceHandle);
    if (!button) return;
    *top += MenuButtonPitch(height);
    // Wide buttons are subclassed the wide way, so their captions stay whole
    // (ButtonSubclassProc passes messages on the same way).
    LONG_PTR previous = IsWindowUnicode(button)
                            ? SetWindowLongPtrW(button, GWLP_WNDPROC, (LONG_PTR)ButtonSubclassProc)
                            : SetWindowLongPtrA(button, GWLP_WNDPROC, (LONG_PTR)ButtonSubclassProc);
    SetWindowLongPtrA(button, GWLP_USERDATA, previous);
    if (popup.focusCount < 0) popup.focusCount = 0;
    if (popup.focusCount < kFocusSlots) popup.focusList[popup.focusCount++] = button;
}

bool OfferedWithCondition(const char* targetText) { return targetText && targetText[0] != '~'; }

// Evaluates the button conditions, sizes the buttons alike and makes them in
// one column, clear of the Exit button a failure may add (`exitText` is its
// caption's size in the system font); returns the menu top below the last
// button made.
int MakeMenuButtons(HWND window, const TextBlock& block, SIZE exitText, int* buttonWidth) {
    nomsgOption = false;
    WindowDC dc(window);
    HGDIOBJ previousFont = dc.dc ? SelectObject(dc.dc, GetStockObject(SYSTEM_FONT)) : nullptr;
    SIZE spaces = {0, 0};
    if (dc.dc) GetTextExtentPoint32A(dc.dc, "    ", 4, &spaces);

    MenuButtonSizer sizer;
    SIZE text;
    if (settings.mainHasButton && OfferedWithCondition(target) && !EvaluateCondition(settings.FilenameCondition, target))
        settings.mainHasButton = false;
    if (settings.mainHasButton && dc.dc) {
        MeasureText(dc.dc, settings.FilenameMenu, lstrlenA(settings.FilenameMenu), &text);
        sizer.Add(text.cx, text.cy);
    }
    for (int n = 1; n <= kMaxMenuEntries && settings.menu[n].present; ++n) {
        MenuEntry& entry = settings.menu[n];
        if (entry.hasButton && OfferedWithCondition(entry.Filename) &&
            !EvaluateCondition(entry.condition, entry.Filename))
            entry.hasButton = false;
        if (entry.hasButton && dc.dc) {
            MeasureText(dc.dc, entry.Menu, lstrlenA(entry.Menu), &text);
            sizer.Add(text.cx, text.cy);
        }
    }
    const int width = sizer.ButtonWidth(spaces.cx), height = sizer.ButtonHeight();
    *buttonWidth = width;

    popup.focusCount = 0;
    int top = MenuTopClearOfExit(block, settings.yMenu, exitText.cx + spaces.cx, exitText.cy * 7 / 4,
                                 sizer.any ? width : 0);
    const int menuLeft = block.menuLeft;
    AddMenuButton(settings.FilenameMenu, settings.mainHasButton, window, width, height, menuLeft, &top, 0);
    for (int n = 1; n <= kMaxMenuEntries && settings.menu[n].present; ++n)
        AddMenuButton(settings.menu[n].Menu, settings.menu[n].hasButton, window, width, height, menuLeft, &top, n);
    popup.focusIndex = 0;
    if (previousFont) SelectObject(dc.dc, previousFont);
    return top;
}

// The caption shows the icon's 16x16 picture. Named here, it is taken from
// the resource as it stands; left to the system, the small icon is made again
// from the resource at registration, which under Wine costs a few
// milliseconds before the first paint.
HICON SmallProgramIcon() {
    return (HICON)LoadImageA(instanceHandle, "Corvane", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

void MakeSplashWindow(HWND window, bool registerClass) {
    if (registerClass) {
        WNDCLASSEXA splashClass = {};
        splashClass.cbSize = sizeof splashClass;
        splashClass.style = CS_VREDRAW | CS_HREDRAW;
        splashClass.lpfnWndProc = SplashWndProc;
        splashClass.hInstance = instanceHandle;
        splashClass.hIcon = LoadIconA(instanceHandle, "Corvane");
        splashClass.hIconSm = SmallProgramIcon();
        splashClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
        splashClass.hbrBackground = (HBRUSH)(INT_PTR)(COLOR_WINDOW + 1);
        splashClass.lpszClassName = kSplashClassName;
        RegisterClassExA(&splashClass);
    }
    POINT at = ComputePosition(settings.splashPos.x, settings.splashPos.y, popup.splashWidth, popup.splashHeight);
    popup.splashWindow = CreateWindowExA(0, kSplashClassName, AnsiArg(settings.Title), WS_POPUP, at.x, at.y, popup.splashWidth,
                                         popup.splashHeight, window, nullptr, instanceHandle, nullptr);
    ShowWindow(popup.splashWindow, SW_SHOW);
    UpdateWindow(popup.splashWindow);
    if (settings.SplashOptions & 1)
        SetWindowPos(popup.splashWindow, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

HWND CreatePopupWindow() {
    HWND window = nullptr;
    wchar_t* wideTitle = utf8Mode ? Utf8ToWide(settings.Title) : nullptr;
    if (wideTitle) {
        popup.wideWindow = true;
        window = CreateWindowExW(0, kClassNameW, wideTitle, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                 instanceHandle, nullptr);
    }
    if (!window) {
        popup.wideWindow = false;
        window = CreateWindowExA(0, kClassName, AnsiArg(settings.Title), WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                 nullptr, instanceHandle, nullptr);
    }
    free(wideTitle);
    return window;
}

void RegisterPopupClass() {
    HICON icon = LoadIconA(instanceHandle, "Corvane");
    HICON smallIcon = SmallProgramIcon();
    if (utf8Mode) {
        WNDCLASSEXW wide = {};
        wide.cbSize = sizeof wide;
        wide.style = CS_VREDRAW | CS_HREDRAW;
        wide.lpfnWndProc = PopupWndProc;
        wide.hInstance = instanceHandle;
        wide.hIcon = icon;
        wide.hIconSm = smallIcon;
        wide.hCursor = popup.arrowCursor;
        wide.hbrBackground = popup.backgroundBrush;
        wide.lpszClassName = kClassNameW;
        if (RegisterClassExW(&wide)) return;
    }
    WNDCLASSEXA ansi = {};
    ansi.cbSize = sizeof ansi;
    ansi.style = CS_VREDRAW | CS_HREDRAW;
    ansi.lpfnWndProc = PopupWndProc;
    ansi.hInstance = instanceHandle;
    ansi.hIcon = icon;
    ansi.hIconSm = smallIcon;
    ansi.hCursor = popup.arrowCursor;
    ansi.hbrBackground = popup.backgroundBrush;
    ansi.lpszClassName = kClassName;
    RegisterClassExA(&ansi);
}

}  // namespace

void RunPopup(HINSTANCE previousInstance, char* commandLine, int showCommand) {
    SettleTarget(commandLine);

    popup.backgroundBrush = CreateSolidBrush(settings.BkColor);
    popup.arrowCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    if (!previousInstance) RegisterPopupClass();
    STARTUP_MARK("brush, cursors, class");
    popup.logoBitmap = LoadBitmapA(instanceHandle, "QRN");
    STARTUP_MARK("logo loaded");

    HWND window = CreatePopupWindow();
    STARTUP_MARK("window created");
    if (!window) {
        MessageBoxA(nullptr, "Could not create Corvane popup", "Corvane", MB_OK);
        return;
    }

    WindowDC dc(window);
    RECT workArea = {0, 0, 0, 0};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &workArea, 0);
    popup.workArea = workArea;
    popup.infoPen = CreatePen(PS_SOLID, 0, settings.InfoColor);

    HMENU systemMenu = GetSystemMenu(window, FALSE);
    AppendMenuA(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(systemMenu, MF_STRING, IdSysMenuWeb, kSystemMenuItem);
    STARTUP_MARK("DC, pen, system menu");

    bool builtInLogo = true;
    if (lstrcmpiA(settings.icon, "none") == 0) {
        if (popup.logoBitmap) DeleteObject(popup.logoBitmap);
        popup.logoBitmap = nullptr;
    } else if (settings.icon[0]) {
        if (HBITMAP file = LoadBitmapFile(dc.dc, settings.icon)) {
            if (popup.logoBitmap) DeleteObject(popup.logoBitmap);
            popup.logoBitmap = file;
            builtInLogo = false;  // the author's picture is shown as drawn
        }
    }
    PrepareBitmap(dc.dc, popup.logoBitmap, &popup.logoDC, &logoDCOriginalBitmap, &popup.logoWidth, &popup.logoHeight);
    if (builtInLogo) BlendLogoBackground(popup.logoDC, popup.logoWidth, popup.logoHeight, settings.BkColor);
    STARTUP_MARK("logo prepared");

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
    LogoPlacement logo = PlaceLogo(popup.logoWidth, ls.xIcon, ls.yIcon);
    popup.logoX = logo.x;
    popup.logoY = logo.y;
    popup.logoCentred = logo.centred;

    if (settings.splash[0]) {
        popup.splashBitmap = LoadBitmapFile(dc.dc, settings.splash);
        PrepareBitmap(dc.dc, popup.splashBitmap, &popup.splashDC, &splashDCOriginalBitmap, &popup.splashWidth,
                      &popup.splashHeight);
    }

    FontChoice info = {settings.InfoSize, settings.InfoWeight, settings.InfoItalic, settings.InfoFace};
    FontChoice status = {settings.MsgSize, settings.MsgWeight, settings.MsgItalic, settings.MsgFace};
    popup.infoFont = MakeFontAndMeasure(dc.dc, info, settings.Display, (int)settings.displayLength,
                                        &popup.infoLineHeight, &popup.displaySize);
    SIZE message = {0, 0};
    popup.statusFont =
        MakeFontAndMeasure(dc.dc, status, popupText, (int)popupTextLength, &popup.statusLineHeight, &message);

    STARTUP_MARK("fonts");
    popup.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    popup.frameWidth = GetSystemMetrics(SM_CXFRAME);
    popup.frameHeight = GetSystemMetrics(SM_CYFRAME);
    popup.checkMarkWidth = GetSystemMetrics(SM_CXMENUCHECK);

    LayoutMetrics metrics;
    metrics.frameWidth = popup.frameWidth;
    metrics.frameHeight = popup.frameHeight;
    metrics.captionHeight = popup.captionHeight;
    TextBlock block = LayOutTextBlock(ls, metrics, logo, popup.logoWidth, popup.infoLineHeight, popup.statusLineHeight);
    popup.textLeft = block.textLeft;
    popup.infoTop = block.infoTop;
    popup.statusTop = block.statusTop;
    popup.buttonRowTop = block.buttonRowTop;
    popup.installButton.x = popup.checkBox.x = 0;
    popup.installButton.y = popup.checkBox.y = block.buttonRowTop;

    int menuTop = block.menuTop, menuButtonWidth = 0;
    if (settings.anyButton) {
        // The Exit button's caption, measured as CreatePopupButtons will measure it.
        SIZE exitText = {0, 0};
        HGDIOBJ previous = SelectObject(dc.dc, GetStockObject(SYSTEM_FONT));
        MeasureText(dc.dc, settings.ExitMsg, lstrlenA(settings.ExitMsg), &exitText);
        if (previous) SelectObject(dc.dc, previous);
        menuTop = MakeMenuButtons(window, block, exitText, &menuButtonWidth);
    }

    settings.popupPos.x = DefaultPopupPosition(settings.popupPos.x, settings.anyButton);

    SizeInputs in;
    in.textLeft = block.textLeft;
    in.displayWidth = popup.displaySize.cx;
    in.messageWidth = message.cx;
    in.logoWidth = popup.logoWidth;
    in.logoHeight = popup.logoHeight;
    in.logoY = popup.logoY;
    in.logoCentred = popup.logoCentred;
    in.infoTop = block.infoTop;
    in.infoLineHeight = popup.infoLineHeight;
    in.statusTop = block.statusTop;
    in.statusLineHeight = popup.statusLineHeight;
    in.menuLeft = block.menuLeft;
    in.menuButtonWidth = settings.anyButton ? menuButtonWidth : 0;
    in.menuTopAfterButtons = menuTop;
    popup.contentWidth = ContentWidth(in, ls, metrics);
    popup.windowHeight = WindowHeight(in, ls, metrics);
    MovePopup(window, popup.contentWidth + 2 * popup.frameWidth, popup.windowHeight);
    dc.Release();
    STARTUP_MARK("layout, placement");

    if (popup.splashBitmap && popup.splashDC) MakeSplashWindow(window, previousInstance == nullptr);

    if (!nomsgOption) {
        ShowWindow(window, settings.xSize == -1 ? SW_SHOWMAXIMIZED : showCommand);
        STARTUP_MARK("shown");
        UpdateWindow(window);
        STARTUP_MARK("painted");
        if (settings.ShowOptions & 1) SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    }
    STARTUP_MARKS_WRITE();
    PostMessageA(window, kStartMessage, 0, 0);

    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    if (popup.infoPen) DeleteObject(popup.infoPen);
    popup.infoPen = nullptr;
}

void ReleasePopupObjects() {
    if (popup.logoDC && logoDCOriginalBitmap) SelectObject(popup.logoDC, logoDCOriginalBitmap);
    if (popup.logoBitmap) DeleteObject(popup.logoBitmap);
    if (popup.logoDC) DeleteDC(popup.logoDC);
    popup.logoBitmap = nullptr;
    popup.logoDC = nullptr;
    logoDCOriginalBitmap = nullptr;

    if (popup.splashDC && splashDCOriginalBitmap) SelectObject(popup.splashDC, splashDCOriginalBitmap);
    if (popup.splashBitmap) DeleteObject(popup.splashBitmap);
    if (popup.splashDC) DeleteDC(popup.splashDC);
    popup.splashBitmap = nullptr;
    popup.splashDC = nullptr;
    splashDCOriginalBitmap = nullptr;

    if (popup.backgroundBrush) DeleteObject(popup.backgroundBrush);
    popup.backgroundBrush = nullptr;

    if (popup.infoFont) DeleteObject(popup.infoFont);
    if (popup.statusFont) DeleteObject(popup.statusFont);
    popup.infoFont = nullptr;
    popup.statusFont = nullptr;
}
