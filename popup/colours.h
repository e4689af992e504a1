// The popup's colours: the settings' own, or the system's when its
// high-contrast mode is on, so that a person who needs that mode can read
// every text. Platform-free, so the choice is tested natively.
#pragma once
#include <cstdint>

typedef uint32_t Colour;  // 0x00BBGGRR, red in the low byte

// The system colours a high-contrast scheme sets.
struct SystemColours {
    Colour window = 0, windowText = 0, hotLight = 0;
};

struct PopupColours {
    Colour background = 0;    // the popup's background
    Colour info = 0;          // the information line (the web link) and its underline
    Colour message = 0;       // the status text
    Colour checkBox = 0;      // the "Do not show again" caption
    bool systemCheckBox = false;  // the check box is left to the system's colours
    bool builtInLogo = true;      // the built-in logo is shown (its navy word mark vanishes on black)
};

// The settings' colours; in high contrast the system's window, window text
// and hot-track (hyperlink) colours instead, the check box as the system
// draws it and no built-in logo.
PopupColours ChoosePopupColours(Colour background, Colour info, Colour message, Colour checkBox, bool highContrast,
                                const SystemColours& system);
