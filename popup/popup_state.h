// Process-wide state of the one popup of a run, private to popup/: one record
// per concern, each written by the file named beside it. The whole record
// starts zero-filled (it takes no room in the program file); BuildPopup
// starts it afresh and sets what does not start at zero.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>

#include "base/owned.h"
#include "base/owned_win.h"
#include "graphics/picture.h"
#include "popup/colours.h"
#include "settings/settings.h"

// Eleven menu buttons, the button row's three controls and the web link.
enum { kFocusSlots = 15 };
enum ControlId {
    IdSysMenuWeb = 1, IdExit = 2, IdInstall = 3, IdCheckBox = 4, IdWebLink = 5, IdStatusText = 6,
    IdMainEntry = 10, IdFirstEntry = 11
};
enum { kStartMessage = WM_USER + 1, kAutoCloseTimer = 1 };

// The graphics objects the popup draws with: made once while it is built,
// released together at shutdown (construct_win.cpp).
struct PopupGraphics {
    Brush backgroundBrush;
    Pen infoPen;
    Font infoFont, statusFont;
    Font buttonFont;  // none at 96 DPI: buttons keep the system font
    Picture logo;
    void Release();
};

// The system's sizes, read once while the popup is built (construct_win.cpp).
struct PopupMetrics {
    int dpi;
    RECT workArea;
    int captionHeight, frameWidth, frameHeight, checkMarkWidth;
};

// Where the parts stand, in client pixels (construct_win.cpp; the status
// unit moves what lies below a growing status text and grows the popup).
struct PopupLayout {
    int logoX, logoY;
    bool logoCentred;
    int textLeft, infoTop, statusTop, buttonRowTop;
    int contentWidth, windowHeight;  // width without the side frames; full height
    int infoLineHeight, statusLineHeight;
    SIZE displaySize;
    bool displayCut;  // the information line is wider than the work area allows
    int underlineWidth;
};

// The status text shown (status_win.cpp).
struct PopupStatus {
    const char* text;     // must outlive its showing
    HeapText owned;       // the text, when the popup made it
    const char* settled;  // the status text settled at start-up
    int width;            // the width it takes: measured, or the wrap width
    int extra;            // its height beyond one line, once it wraps
    HWND window;          // the window a screen reader reads it from
};

// The menu buttons offered (a caption given and the condition holding) and
// where their column stands; width 0: none (menu_win.cpp).
struct PopupMenu {
    bool mainOffered;
    bool entryOffered[kMaxMenuEntries + 1];
    int left, top, width;
};

struct RowControl {
    bool exists;
    HWND window;
    int x, y, width, height;
};

// The button row: Exit, Install and the "Do not show again" box (buttons_win.cpp).
struct PopupRow {
    RowControl exitButton, installButton, checkBox;
    WNDPROC checkBoxPreviousProc;
};

// The keyboard's order of the controls (focus_win.cpp).
struct PopupFocus {
    HWND list[kFocusSlots];
    int count;
    int index;          // -1: none
    bool keyboardUsed;  // focus is shown once a key was pressed
};

// The information line as the web link (text_windows_win.cpp, wndproc_win.cpp).
struct PopupLink {
    HWND window;
    bool hover;
    HCURSOR arrowCursor, handCursor;
};

// The auto-close timer (auto_close_win.cpp).
struct AutoCloseTimer {
    bool running;       // counting down, or held while the user is there
    bool held;
    UINT_PTR id;
    int32_t time;       // the whole time: ShowTime for this user (-1: never)
    DWORD due;          // the tick count it runs out at
    int32_t left;       // what was left when the user came
    POINT startCursor;  // where the pointer was when the popup appeared
    bool pointerMoved;
};

struct PopupState {
    HINSTANCE instanceHandle;
    bool highContrast;  // the system's high-contrast mode
    PopupColours colours;
    PopupGraphics graphics;
    PopupMetrics metrics;
    PopupLayout layout;
    PopupStatus status;
    PopupMenu menu;
    PopupRow row;
    PopupFocus focus;
    PopupLink link;
    AutoCloseTimer autoClose;

    // What the run decides while the popup stands, handed back by RunPopup.
    bool hidden;  // "nomsg": hidden until something is to be told (never with a menu)
    bool startSequenceDone;
    int32_t exitCode;     // 0, or the failed main start's code
    bool doNotShowAgain;  // the check box
};

extern PopupState popup;
