// The window the baselines show: what a launcher with a popup cannot do
// without. One class, one overlapped window, one line of text painted with the
// stock font, a message loop that ends when the window is closed.
#pragma once
#include <windows.h>
#include <shellapi.h>

#include "base/startup_marks.h"

namespace baseline {

const char kClassName[] = "CvBenchBaseline";

inline LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(window, &ps);
        static const char text[] = "Starting doc.cvbench... ";
        TextOutA(dc, 8, 8, text, sizeof text - 1);
        EndPaint(window, &ps);
        return 0;
    }
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

inline HWND ShowBaselineWindow(HINSTANCE instance, int showCommand) {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_WINDOW + 1);
    wc.lpszClassName = kClassName;
    if (!RegisterClassA(&wc)) return nullptr;
    HWND window = CreateWindowExA(0, kClassName, "Baseline", WS_OVERLAPPEDWINDOW, 0, 0, 320, 100, nullptr, nullptr,
                                  instance, nullptr);
    if (!window) return nullptr;
    STARTUP_MARK("window created");
    ShowWindow(window, showCommand);
    STARTUP_MARK("shown");
    UpdateWindow(window);
    STARTUP_MARK("painted");
    STARTUP_MARKS_WRITE();
    return window;
}

inline int RunMessageLoop() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return 0;
}

// The command line names the document, optionally in quotes.
inline void DocumentFromCommandLine(const char* commandLine, char* out, size_t size) {
    size_t n = 0;
    const char* p = commandLine ? commandLine : "";
    while (*p == ' ') ++p;
    bool quoted = *p == '"';
    if (quoted) ++p;
    while (*p && n + 1 < size && (quoted ? *p != '"' : *p != ' ')) out[n++] = *p++;
    out[n] = '\0';
}

// The start the design makes: the same flags the product passes when it
// starts a target, the document's default verb, and the launcher's window as
// the owner (none for a launcher without one).
inline bool OpenDocument(const char* document, HWND owner = nullptr) {
    SHELLEXECUTEINFOA info = {};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_DDEWAIT | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpFile = document;
    info.nShow = SW_SHOWNORMAL;
    BOOL ok = ShellExecuteExA(&info);
    if (info.hProcess) CloseHandle(info.hProcess);
    return ok != FALSE;
}

}  // namespace baseline
