#include "popup/layout.h"

LogoPlacement PlaceLogo(int logoWidth, int xIcon, int yIcon) {
    LogoPlacement p;
    if (logoWidth == 0) return p;
    if (xIcon == -1) {
        p.centred = true;
    } else {
        p.x = xIcon;
        p.y = yIcon;
    }
    return p;
}

LogoPlacement CentreLogo(int clientWidth, int clientHeight, int logoWidth, int logoHeight) {
    LogoPlacement p;
    p.centred = true;
    p.x = (clientWidth - logoWidth) / 2;
    p.y = (clientHeight - logoHeight) / 2;
    return p;
}

TextBlock LayOutTextBlock(const LayoutSettings& s, const LayoutMetrics& m, const LogoPlacement& logo, int logoWidth,
                          int infoLineHeight, int statusLineHeight) {
    const int F = m.frameWidth, G = m.frameHeight;
    TextBlock t;
    if (s.xInfo != 0)
        t.textLeft = s.xInfo;
    else
        t.textLeft = logo.centred ? F : logo.x + logoWidth + F;
    if (s.yInfo != 0)
        t.infoTop = s.yInfo;
    else
        t.infoTop = logo.centred ? G : logo.y + G;
    t.statusTop = s.yMsg != 0 ? s.yMsg : t.infoTop + G + infoLineHeight;
    t.buttonRowTop = s.yExit != 0 ? s.yExit : t.statusTop + G + statusLineHeight;
    t.menuLeft = s.xMenu != 0 ? s.xMenu : t.textLeft;
    t.menuTop = s.yMenu != 0 ? s.yMenu : t.buttonRowTop + G + statusLineHeight;
    return t;
}

int MenuTopClearOfExit(const TextBlock& t, int yMenu, int exitWidth, int exitHeight, int menuButtonWidth) {
    if (yMenu != 0 || menuButtonWidth <= 0 || exitWidth <= 0) return t.menuTop;
    const bool sideBySide = t.menuLeft >= t.textLeft + exitWidth || t.textLeft >= t.menuLeft + menuButtonWidth;
    const int exitBottom = t.buttonRowTop + exitHeight;
    if (sideBySide || exitBottom <= t.menuTop) return t.menuTop;
    return exitBottom;
}

void MenuButtonSizer::Add(int textWidth, int height) {
    if (!any) {
        maxTextWidth = textWidth;
        textHeight = height;
        any = true;
        return;
    }
    if (textWidth > maxTextWidth) maxTextWidth = textWidth;
}

static int Larger(int a, int b) { return a > b ? a : b; }

int ContentWidth(const SizeInputs& in, const LayoutSettings& s, const LayoutMetrics& m) {
    const int F = m.frameWidth;
    int w = in.textLeft + in.displayWidth + 2 * F;
    w = Larger(w, in.textLeft + in.messageWidth + 2 * F);
    w = Larger(w, in.logoWidth);
    w = Larger(w, s.xSize);
    w = Larger(w, in.menuLeft + in.menuButtonWidth + 2 * F);
    return w;
}

int WindowHeight(const SizeInputs& in, const LayoutSettings& s, const LayoutMetrics& m) {
    const int G = m.frameHeight;
    int lowestText = in.statusTop > in.infoTop ? in.statusTop + G + in.statusLineHeight
                                               : in.infoTop + G + in.infoLineHeight;
    int logoBottom = in.logoHeight + (in.logoCentred ? 0 : in.logoY);
    int bottom = Larger(Larger(lowestText, logoBottom), in.menuTopAfterButtons);
    int h = bottom + 2 * G + m.captionHeight;
    return Larger(h, s.ySize);
}

int DefaultPopupPosition(int xPos, bool menuMode) {
    if (xPos != PosAbsent) return xPos;
    return menuMode ? PosCenter : PosTopLeft;
}

void ScaleLayout(LayoutSettings& s, int dpi) {
    static int LayoutSettings::*const lengths[] = {
        &LayoutSettings::xIcon, &LayoutSettings::yIcon, &LayoutSettings::xInfo, &LayoutSettings::yInfo,
        &LayoutSettings::yMsg,  &LayoutSettings::yExit, &LayoutSettings::xMenu, &LayoutSettings::yMenu,
        &LayoutSettings::xSize, &LayoutSettings::ySize};
    for (int LayoutSettings::*length : lengths)
        if (s.*length > 0) s.*length = ScaleToDpi(s.*length, dpi);
}

int StatusWrapWidth(int workAreaWidth, int frame, int textLeft) { return Larger(workAreaWidth - 4 * frame - textLeft, 1); }

int FitStatusExtra(int extra, int windowHeight, int workAreaHeight, int lineHeight) {
    if (windowHeight <= workAreaHeight || extra <= 0) return extra;
    int kept = Larger(extra - (windowHeight - workAreaHeight), 0);
    if (lineHeight > 0) kept -= kept % lineHeight;
    return kept;
}
