#include "popup/colours.h"

PopupColours ChoosePopupColours(Colour background, Colour info, Colour message, Colour checkBox, bool highContrast,
                                const SystemColours& system) {
    PopupColours c;
    if (!highContrast) {
        c.background = background;
        c.info = info;
        c.message = message;
        c.checkBox = checkBox;
        return c;
    }
    c.background = system.window;
    c.info = system.hotLight;
    c.message = system.windowText;
    c.checkBox = system.windowText;
    c.systemCheckBox = true;
    c.builtInLogo = false;
    return c;
}
