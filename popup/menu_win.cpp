// The menu: which entries are offered, and their buttons in a column.
#include <windows.h>

#include "conditions/condition.h"
#include "launch/placeholders.h"
#include "popup/buttons.h"
#include "popup/focus.h"
#include "popup/layout.h"
#include "popup/menu.h"
#include "popup/popup_state.h"
#include "popup/text_helpers.h"
#include "run/run_state.h"

namespace {

const DWORD kMenuButtonStyle = WS_CHILD | WS_VISIBLE | BS_DEFPUSHBUTTON;

void AddMenuButton(const char* caption, HWND parent, int width, int height, int left, int* top, int index) {
    HWND button = CreateButton(caption, kMenuButtonStyle, left, *top, width, height, parent, IdMainEntry + index);
    if (!button) return;
    *top += MenuButtonPitch(height);
    SubclassPushButton(button);
    AppendToFocusList(button);
}

// A verb target's button is offered whatever its condition says.
bool Offered(const char* caption, const char* targetText, const Condition& condition) {
    if (!caption[0]) return false;
    return !targetText || IsVerbTarget(targetText) || EvaluateCondition(condition, targetText, run.settingsEncoding);
}

// Decides which menu buttons are offered (a caption, and the condition holding).
void DecideMenuButtons() {
    PopupMenu& menu = popup.menu;
    menu.mainOffered = settings.mainHasButton && Offered(settings.FilenameMenu, run.target, settings.FilenameCondition);
    for (int n = 1; n <= kMaxMenuEntries && settings.menu[n].present; ++n) {
        const MenuEntry& entry = settings.menu[n];
        menu.entryOffered[n] = entry.hasButton && Offered(entry.Menu, entry.Filename, entry.condition);
    }
}

// Sizes the offered buttons alike and makes them in one column, clear of the
// Exit button when the button row is shown from the start, with the check box
// (`exitText` is its caption's size in the system font); a failure adds the
// row later and makes room then. Returns the menu top below the last button.
int MakeMenuButtons(HWND window, HDC dc, const TextBlock& block, SIZE exitText, int* buttonWidth) {
    const Selection systemFont(dc, ButtonFont());
    SIZE spaces = {0, 0};
    if (dc) GetTextExtentPoint32W(dc, L"    ", 4, &spaces);
    MenuButtonSizer sizer;
    SIZE text;
    PopupMenu& menu = popup.menu;
    const char* captions[kMaxMenuEntries + 1] = {menu.mainOffered ? settings.FilenameMenu : nullptr};
    for (int n = 1; n <= kMaxMenuEntries && settings.menu[n].present; ++n)
        captions[n] = menu.entryOffered[n] ? settings.menu[n].Menu : nullptr;
    for (const char* caption : captions) {
        if (!caption || !dc) continue;
        MeasureText(dc, caption, &text);
        sizer.Add(text.cx, text.cy);
    }
    const int width = sizer.ButtonWidth(spaces.cx), height = sizer.ButtonHeight();
    *buttonWidth = width;

    int top = settings.doNotRepeatActive ? MenuTopClearOfExit(block, settings.yMenu, exitText.cx + spaces.cx,
                                                              exitText.cy * 7 / 4, sizer.any ? width : 0)
                                         : block.menuTop;
    menu.left = block.menuLeft;
    menu.top = top;
    menu.width = sizer.any ? width : 0;
    for (int n = 0; n <= kMaxMenuEntries; ++n)
        if (captions[n]) AddMenuButton(captions[n], window, width, height, block.menuLeft, &top, n);
    popup.focus.index = 0;
    return top;
}

}  // namespace

// The menu buttons, made when there are any; the top below them.
int LayOutMenu(HWND window, HDC dc, const TextBlock& block, int* menuButtonWidth) {
    *menuButtonWidth = 0;
    if (!settings.anyButton) return block.menuTop;
    // The Exit button's caption, measured as CreatePopupButtons will measure it.
    SIZE exitText = {0, 0};
    {
        const Selection systemFont(dc, ButtonFont());
        MeasureText(dc, settings.ExitMsg, &exitText);
    }
    DecideMenuButtons();
    return MakeMenuButtons(window, dc, block, exitText, menuButtonWidth);
}

void MoveMenuDown(HWND window, int delta) {
    for (int id = IdMainEntry; id < IdFirstEntry + kMaxMenuEntries; ++id) MoveControlDown(GetDlgItem(window, id), delta);
    popup.menu.top += delta;
}
