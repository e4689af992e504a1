// Process-wide state of the one popup of a run: graphics objects, metrics,
// layout values, the button-row controls and the focus list.
#pragma once
#include <windows.h>

enum { kFocusSlots = 14 };
enum ControlId { IdSysMenuWeb = 1, IdExit = 2, IdInstall = 3, IdCheckBox = 4, IdMainEntry = 10, IdFirstEntry = 11 };
enum { kStartMessage = WM_USER + 1, kAutoCloseTimer = 1, kSplashTimer = 2 };

struct RowControl {
    bool exists = false;
    HWND window = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
};

struct PopupState {
    HBRUSH backgroundBrush = nullptr;
    HCURSOR arrowCursor = nullptr;
    HCURSOR handCursor = nullptr;
    bool wideWindow = false;
    HPEN infoPen = nullptr;

    HBITMAP logoBitmap = nullptr;
    HDC logoDC = nullptr;
    int logoWidth = 0, logoHeight = 0;
    int logoX = 0, logoY = 0;
    bool logoCentred = false;

    HBITMAP splashBitmap = nullptr;
    HDC splashDC = nullptr;
    int splashWidth = 0, splashHeight = 0;
    HWND splashWindow = nullptr;
    UINT_PTR splashTimer = 0;

    HFONT infoFont = nullptr;
    HFONT statusFont = nullptr;
    int infoLineHeight = 0, statusLineHeight = 0;
    SIZE displaySize = {0, 0};

    RECT workArea = {0, 0, 0, 0};
    int captionHeight = 0, frameWidth = 0, frameHeight = 0, checkMarkWidth = 0;

    // Layout values (client pixels).
    int textLeft = 0, infoTop = 0, statusTop = 0, buttonRowTop = 0;
    int contentWidth = 0, windowHeight = 0;

    HWND focusList[kFocusSlots] = {};
    int focusCount = -1;
    int focusIndex = -1;

    RowControl exitButton, installButton, checkBox;
    WNDPROC checkBoxPreviousProc = nullptr;

    bool autoCloseRunning = false;
    UINT_PTR autoCloseTimer = 0;
    bool linkHover = false;
};

extern PopupState popup;
