// Process-wide state of the one popup of a run: its graphics, metrics,
// layout values, its status text, the buttons offered, the button-row
// controls and the focus list.
#pragma once
#include <windows.h>

#include <cstddef>

#include "base/owned.h"
#include "base/owned_win.h"
#include "popup/colours.h"
#include "settings/settings.h"
#include "splash/splash.h"

// Eleven menu buttons, the button row's three controls and the web link.
enum { kFocusSlots = 15 };
enum ControlId {
    IdSysMenuWeb = 1, IdExit = 2, IdInstall = 3, IdCheckBox = 4, IdWebLink = 5, IdStatusText = 6,
    IdMainEntry = 10, IdFirstEntry = 11
};
enum { kStartMessage = WM_USER + 1, kAutoCloseTimer = 1 };

struct RowControl {
    bool exists = false;
    HWND window = nullptr;
    int x = 0, y = 0, width = 0, height = 0;
};

// The graphics objects the popup draws with: made once while it is built,
// released together at shutdown.
struct PopupGraphics {
    Brush backgroundBrush;
    Pen infoPen;
    Font infoFont, statusFont;
    Font buttonFont;  // none at 96 DPI: buttons keep the system font
    Picture logo;
    void Release();
};

struct PopupState {
    HINSTANCE instanceHandle = nullptr;
    PopupGraphics graphics;
    int dpi = 96;
    bool highContrast = false;  // the system's high-contrast mode, read at start-up
    PopupColours colours;

    // Windows over the painted texts, so that a screen reader finds every
    // text the popup shows and the keyboard reaches the link; they draw what
    // the popup draws below them and let the mouse through.
    HWND linkWindow = nullptr;
    HWND statusWindow = nullptr;
    bool keyboardUsed = false;  // focus is shown once a key was pressed
    int statusExtra = 0;        // the status text's height beyond one line, once it wraps
    int underlineWidth = 1;
    bool displayCut = false;    // the information line is wider than the work area allows
    HCURSOR arrowCursor = nullptr;
    HCURSOR handCursor = nullptr;

    int logoX = 0, logoY = 0;
    bool logoCentred = false;

    int infoLineHeight = 0, statusLineHeight = 0;
    SIZE displaySize = {0, 0};

    RECT workArea = {0, 0, 0, 0};
    int captionHeight = 0, frameWidth = 0, frameHeight = 0, checkMarkWidth = 0;

    // Layout values (client pixels).
    int textLeft = 0, infoTop = 0, statusTop = 0, buttonRowTop = 0;
    int contentWidth = 0, windowHeight = 0;

    // The status text shown, and the text the popup owns when it made it.
    const char* popupText = nullptr;
    size_t popupTextLength = 0;
    HeapText ownedText;

    // Menu buttons offered: a caption given and the condition holding; where
    // their column stands (width 0: no menu buttons).
    bool mainOffered = false;
    bool entryOffered[kMaxMenuEntries + 1] = {};
    int menuLeft = 0, menuTop = 0, menuWidth = 0;

    HWND focusList[kFocusSlots] = {};
    int focusCount = -1;
    int focusIndex = -1;

    RowControl exitButton, installButton, checkBox;
    WNDPROC checkBoxPreviousProc = nullptr;

    bool autoCloseRunning = false;
    UINT_PTR autoCloseTimer = 0;
    bool linkHover = false;
    bool startSequenceDone = false;
};

extern PopupState popup;

// Shows `text` as the status text (it must outlive its showing). A null text
// (as the text after the options is when the Message held only options)
// shows the status text settled at start-up again, or an empty text.
void SetPopupText(const char* text);
// The same for a text the popup is to own from now on; a null text (memory
// ran out) leaves the status text as it is.
void SetPopupText(HeapText text);
