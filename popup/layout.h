// Layout arithmetic of the popup: where the logo, the texts, the button row
// and the menu buttons go, how big the popup is, and where a window of a given
// size lands on the work area. Pure integer arithmetic on plain values, so it
// builds and is tested without the window system. Divisions truncate toward
// zero, as C++ integer division does.
#pragma once
#include "graphics/placement.h"

// Layout settings as read from the settings file; 0 means "compute it".
struct LayoutSettings {
    int xIcon = 0, yIcon = 0;
    int xInfo = 0, yInfo = 0, yMsg = 0, yExit = 0;
    int xMenu = 0, yMenu = 0;
    int xSize = 0, ySize = 0;
};

// frame width (F), frame height (G) and caption height of the system.
struct LayoutMetrics {
    int frameWidth = 0, frameHeight = 0, captionHeight = 0;
};

struct LogoPlacement {
    int x = 0, y = 0;
    bool centred = false;
};

// A logo without width takes no place; xIcon == -1 centres it in the client area.
LogoPlacement PlaceLogo(int logoWidth, int xIcon, int yIcon);

// Where a logo of the given size goes when it is centred in a client area.
LogoPlacement CentreLogo(int clientWidth, int clientHeight, int logoWidth, int logoHeight);

struct TextBlock {
    int textLeft = 0, infoTop = 0, statusTop = 0, buttonRowTop = 0;
    int menuLeft = 0, menuTop = 0;
};

TextBlock LayOutTextBlock(const LayoutSettings& s, const LayoutMetrics& m, const LogoPlacement& logo, int logoWidth,
                          int infoLineHeight, int statusLineHeight);

// The first menu button stands a status line below the button row; an Exit
// button taller than that line (a small status font) would reach into it.
// Returns the menu top moved down just far enough for the Exit button's box
// (at text left edge, button row top) to end where the menu button begins,
// or `t.menuTop` unchanged when the boxes do not meet, when no menu button is
// offered (`menuButtonWidth` 0) or when the author placed the menu (`yMenu`).
int MenuTopClearOfExit(const TextBlock& t, int yMenu, int exitWidth, int exitHeight, int menuButtonWidth);

// Common size of the menu buttons, gathered over the button texts offered.
struct MenuButtonSizer {
    int maxTextWidth = 0;
    int textHeight = 0;
    bool any = false;
    void Add(int textWidth, int textHeight);
    int ButtonWidth(int fourSpacesWidth) const { return maxTextWidth + fourSpacesWidth; }
    int ButtonHeight() const { return 7 * textHeight / 4; }
};

// Distance from one menu button's top to the next one's.
inline int MenuButtonPitch(int buttonHeight) { return 3 * buttonHeight / 2; }

struct SizeInputs {
    int textLeft = 0, displayWidth = 0, messageWidth = 0;
    int logoWidth = 0, logoHeight = 0, logoY = 0;
    bool logoCentred = false;
    int infoTop = 0, infoLineHeight = 0, statusTop = 0, statusLineHeight = 0;
    int menuLeft = 0, menuButtonWidth = 0;  // button width 0 outside menu mode
    int menuTopAfterButtons = 0;
};

// Popup width without its two side frames.
int ContentWidth(const SizeInputs& in, const LayoutSettings& s, const LayoutMetrics& m);
// Full popup height, caption and frames included.
int WindowHeight(const SizeInputs& in, const LayoutSettings& s, const LayoutMetrics& m);

// An absent popup position becomes "center" in menu mode, "topleft" otherwise.
int DefaultPopupPosition(int xPos, bool menuMode);

// --- the system DPI ---
// The author's places and sizes are pixels at 96 DPI: they grow with the
// texts and the logo beside them. Automatic (0) and the special -1 stay.
void ScaleLayout(LayoutSettings& s, int dpi);
// The width a status text may take before it wraps onto more lines, so that
// the popup (frames of `frame` on both sides, margins of two frames after
// the text) stays inside a work area `workAreaWidth` wide.
int StatusWrapWidth(int workAreaWidth, int frame, int textLeft);
// The height a wrapped status text keeps beyond its first line (`extra`) so
// that a popup `windowHeight` tall with all of it fits a work area
// `workAreaHeight` tall: whole lines of `lineHeight`, never below none.
int FitStatusExtra(int extra, int windowHeight, int workAreaHeight, int lineHeight);
