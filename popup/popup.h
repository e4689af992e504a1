// The popup window: construction, painting, the button row, keyboard
// navigation, the window procedure, and telling the user how starts went.
#pragma once
#include <windows.h>

// Builds and runs the popup for the settled target; returns when its message
// loop ends.
void RunPopup(HINSTANCE previousInstance, int showCommand);

LRESULT CALLBACK PopupWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

void PaintPopup(HDC dc);
void RemeasurePopup(HWND window);
// The width a status text may take before it wraps.
int StatusWidth();

void CreatePopupButtons(HWND window, bool offerInstall, const char* installCaption);
// Decides which menu entries are offered and makes their buttons below the
// text block (menu_win.cpp); returns the top below them and their width.
struct TextBlock;
int LayOutMenu(HWND window, HDC dc, const TextBlock& block, int* menuButtonWidth);
void ShowPopupText(HWND window, bool stopTimer);
void StopAutoCloseTimer(HWND window);

LRESULT CALLBACK ButtonSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK CheckBoxSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void MoveFocusByKey(WPARAM virtualKey);
void TrackFocus(HWND control);
void RemoveFromFocusList(HWND control);
int FocusSlotOf(HWND control);

// Screen position of a window of the given size for a position code or pair,
// on the work area kept in the popup state.
POINT ComputePosition(int x, int y, int width, int height);
void MovePopup(HWND window, int width, int height);

// The built-in logo is drawn on white: its pixels of the colour of its
// top-left corner take the popup's background, so no white box shows on
// another BkColor. Works on the memory context that holds the picture.
void BlendLogoBackground(HDC memoryDC, int width, int height, COLORREF background);

// Releases the graphics objects the popup left for shutdown (start-up calls it).
void ReleasePopupObjects();

// Position packed as in mouse messages (x low 16 bits, y high), both unsigned.
bool IsOnInfoLine(LPARAM position);

// The windows over the link and the status text (text_windows_win.cpp).
void MakeTextWindows(HWND window, int statusWidth);
// Adds a control to the keyboard's order; the link stays last, so that it
// is one Shift+Tab from the first control. Its slot, or -1 when full.
int AppendToFocusList(HWND control);
// The status window takes the status text and its new size; `announce`
// raises the name-change event a screen reader reads out.
void UpdateStatusWindow(int width, int height, bool announce);
void PaintTextWindow(HWND window, const DRAWITEMSTRUCT& item);
void DrawLinkFocus(HDC dc);
// Moves what stands below the status text (the button row and the menu,
// unless the author placed them) down by `delta` as the text grows taller.
void MoveBelowStatus(HWND window, int delta);
// A wrapped status text too tall for the work area keeps the whole lines that
// fit (its window's name still holds all of it); true when it was cut.
bool FitStatusOnWorkArea(HWND window);
// Moves the menu buttons down by `delta`.
void MoveMenuDown(HWND window, int delta);
// The font button captions are drawn and measured in.
HGDIOBJ ButtonFont();

// Starts the main target and tells a failure. False when it failed or there
// was nothing to start; true when it started, its condition does not hold,
// or a no-viewer command's second start closed the popup.
bool StartTarget(HWND window);

// Runs a program with `message` as the status text. With `waitAndRetry` the
// popup stays served until the program ends, then the target is started again
// and the popup closes when that works (returns true). Otherwise the
// auto-close timer is armed unless it runs already.
bool RunCommand(HWND window, const char* message, const char* program, const char* parameters, bool waitAndRetry);

// The viewer check with its failure told in the popup.
struct ViewerWalkResult {
    bool failed = false;
    bool stopTimer = false;
};
ViewerWalkResult RunViewerWalk(HWND window);
