// The design's floor for the time from process start to a visible popup: the
// bare window of baseline_window.h plus exactly what any launcher of this
// design must do before its first paint, and nothing of corvane.exe's own:
//   - the product's imports (KERNEL32, USER32, GDI32, ADVAPI32, SHELL32 and
//     msvcrt), all loaded before the program's first line runs;
//   - the shell's type name of the document for the status line, asked for
//     the least costly way (by the file's name and attributes, as the product
//     asks);
//   - the two fonts of the bench's settings (Arial 14 pt and 10 pt, weight 7),
//     created, used to measure the window and to draw its two lines of text.
// It reads no settings file and has no logo, system-menu item, layout rules,
// conditions or start-up checks: those are corvane.exe's own cost.
// Built with FLOOR_DESIGN_LAUNCH it then opens the document through the shell
// as the design does after its first paint, from a message it posts itself
// and takes from its message loop: the floor for start to document.
#include <windows.h>
#include <shellapi.h>

#include <cstdio>
#include <cstring>

#include "base/startup_marks.h"
#include "baseline_window.h"

namespace {

const char kClassName[] = "CvBenchFloor";
const char kInfoLine[] = "Corvane Bench Disc - visit our web site";
char document[MAX_PATH];
char statusLine[MAX_PATH + 128];
HFONT infoFont, statusFont;
int infoHeight;

HFONT MakeFont(HDC dc, int points) {
    return CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, 700, 0, 0, 0, ANSI_CHARSET, 0, 0,
                       0, 0, "Arial");
}

LRESULT CALLBACK FloorProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        HGDIOBJ previous = SelectObject(dc, infoFont);
        TextOutA(dc, 8, 8, kInfoLine, sizeof kInfoLine - 1);
        SelectObject(dc, statusFont);
        TextOutA(dc, 8, 8 + infoHeight, statusLine, static_cast<int>(std::strlen(statusLine)));
        SelectObject(dc, previous);
        EndPaint(window, &ps);
        return 0;
    }
#ifdef FLOOR_DESIGN_LAUNCH
    case WM_USER + 1:
        baseline::OpenDocument(document, window);
        return 0;
#endif
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

// Keeps ADVAPI32 in the import table like the product's (its registry calls
// come after the first paint or not at all).
extern "C" __attribute__((used)) void* const kAdvapiImport = reinterpret_cast<void*>(&RegCloseKey);

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
    STARTUP_MARK("entry");
    baseline::DocumentFromCommandLine(commandLine, document, sizeof document);
    SHFILEINFOA info;
    std::memset(&info, 0, sizeof info);
    const DWORD attributes = GetFileAttributesA(document);
    if (attributes == INVALID_FILE_ATTRIBUTES ||
        !SHGetFileInfoA(document, attributes, &info, sizeof info, SHGFI_TYPENAME | SHGFI_USEFILEATTRIBUTES))
        info.szTypeName[0] = '\0';
    if (info.szTypeName[0])
        std::snprintf(statusLine, sizeof statusLine, "Starting %s (%s)... ", document, info.szTypeName);
    else
        std::snprintf(statusLine, sizeof statusLine, "Starting %s... ", document);
    STARTUP_MARK("type name");

    WNDCLASSA wc = {};
    wc.lpfnWndProc = FloorProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return 1;
    HWND window = CreateWindowExA(0, kClassName, "Floor", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return 1;
    STARTUP_MARK("window created");

    HDC dc = GetDC(window);
    infoFont = MakeFont(dc, 14);
    statusFont = MakeFont(dc, 10);
    SIZE infoSize = {0, 0}, statusSize = {0, 0};
    HGDIOBJ previous = SelectObject(dc, infoFont);
    GetTextExtentPoint32A(dc, kInfoLine, sizeof kInfoLine - 1, &infoSize);
    SelectObject(dc, statusFont);
    GetTextExtentPoint32A(dc, statusLine, static_cast<int>(std::strlen(statusLine)), &statusSize);
    SelectObject(dc, previous);
    ReleaseDC(window, dc);
    infoHeight = infoSize.cy;
    int width = (infoSize.cx > statusSize.cx ? infoSize.cx : statusSize.cx) + 16;
    SetWindowPos(window, nullptr, 0, 0, width + 2 * GetSystemMetrics(SM_CXFRAME),
                 infoSize.cy + statusSize.cy + 16 + GetSystemMetrics(SM_CYCAPTION) + 2 * GetSystemMetrics(SM_CYFRAME),
                 SWP_NOZORDER | SWP_NOMOVE | SWP_NOACTIVATE);
    STARTUP_MARK("fonts");

    ShowWindow(window, showCommand);
    STARTUP_MARK("shown");
    UpdateWindow(window);
    STARTUP_MARK("painted");
    STARTUP_MARKS_WRITE();
#ifdef FLOOR_DESIGN_LAUNCH
    PostMessageA(window, WM_USER + 1, 0, 0);
#endif
    int code = baseline::RunMessageLoop();
    DeleteObject(infoFont);
    DeleteObject(statusFont);
    return code;
}
