// A stand-in popup for the launching and window-procedure tests: a real window
// run by PopupWndProc with the layout fields that construction would leave,
// message pumping with deadlines, and a scratch folder as current directory.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "launch/launch.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "run/run_state.h"
#include "settings/settings.h"
#include "support/spy_log.h"

namespace harness {

inline void Pump(DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) continue;  // a closed popup posts it; tests look at IsWindow
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (GetTickCount() - start < ms);
}

// Pumps until `done` holds or `ms` passed; returns `done()`.
inline bool PumpUntil(const std::function<bool()>& done, DWORD ms) {
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start >= ms) return done();
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
            if (m.message == WM_QUIT) continue;
            TranslateMessage(&m);
            DispatchMessageA(&m);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
    return true;
}

// True when a WM_QUIT waits in the queue; its exit code goes to *code.
inline bool TakeQuit(int* code) {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
        if (m.message == WM_QUIT) {
            if (code) *code = (int)m.wParam;
            return true;
        }
        TranslateMessage(&m);
        DispatchMessageA(&m);
    }
    return false;
}

inline std::string Status() { return popup.popupText ? std::string(popup.popupText, popup.popupTextLength) : std::string(); }

inline void Copy(char* dest, size_t cap, const std::string& text) {
    ASSERT_LT(text.size(), cap);
    std::memcpy(dest, text.c_str(), text.size() + 1);
}

// Settings at their defaults, state as right after start-up.
inline void ResetState() {
    popup.instanceHandle = GetModuleHandleA(nullptr);
    ResetSettings(settings);
    settings.ShowTime = 15000;
    run.target = nullptr;
    run.targetGiven = true;
    run.nomsgOption = run.maxOption = run.minOption = false;
    run.exitCode = 0;
    SetPopupText("Starting test... ");
}

// The main target as Part of the settings: target text, a status text.
inline void UseTarget(const char* text) {
    run.target = text;
    run.targetGiven = true;
}
// The same for a composed name; the harness keeps the text alive.
inline void UseTarget(const std::string& text) {
    static std::string held;
    held = text;
    UseTarget(held.c_str());
}

// HKEY_CLASSES_ROOT belongs to the whole prefix, and every test case is a
// process of its own, side by side with others under ctest -j: a file class
// that one case registers and another case's clean-up removes fails either at
// random. Extensions and class names of the tests therefore carry the process
// id: PerProcess(".cvwp") is ".cvwp1234" in process 1234.
inline std::string PerProcess(const std::string& name) { return name + std::to_string(GetCurrentProcessId()); }

// A popup window run by PopupWndProc with a plausible layout: the info line
// at (10, 5) 120 x 16, the button row at y 60.
inline HWND CreatePopup(bool visible = true) {
    WNDCLASSA wc;
    std::memset(&wc, 0, sizeof wc);
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = PopupWndProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    popup.colours = ChoosePopupColours(settings.BkColor, settings.InfoColor, settings.MsgColor,
                                       settings.DoNotRepeatColor, popup.highContrast, SystemColours());
    popup.graphics.backgroundBrush.Reset(CreateSolidBrush(RGB(255, 255, 255)));
    wc.hbrBackground = popup.graphics.backgroundBrush;
    wc.lpszClassName = "CvHarnessPopup";
    RegisterClassA(&wc);
    popup.arrowCursor = LoadCursorA(nullptr, IDC_ARROW);
    popup.handCursor = LoadCursorA(nullptr, IDC_HAND);
    popup.textLeft = 10;
    popup.infoTop = 5;
    popup.displaySize.cx = 120;
    popup.displaySize.cy = 16;
    popup.statusTop = 30;
    popup.buttonRowTop = 60;
    popup.frameWidth = GetSystemMetrics(SM_CXFRAME);
    popup.frameHeight = GetSystemMetrics(SM_CYFRAME);
    popup.captionHeight = GetSystemMetrics(SM_CYCAPTION);
    popup.checkMarkWidth = GetSystemMetrics(SM_CXMENUCHECK);
    popup.contentWidth = 300;
    popup.windowHeight = 150;
    popup.focusCount = 0;
    popup.focusIndex = -1;
    popup.workArea = {0, 0, 1024, 768};
    HWND w = CreateWindowExA(0, "CvHarnessPopup", "Harness", WS_OVERLAPPEDWINDOW, 0, 0, 320, 150, nullptr, nullptr,
                             GetModuleHandleA(nullptr), nullptr);
    if (w && visible) {
        ShowWindow(w, SW_SHOW);
        UpdateWindow(w);
    }
    return w;
}

// A scratch folder made the current directory, removed at the end.
struct ScratchFolder {
    std::string path;
    explicit ScratchFolder(const char* tag) : path(MakeTempFolder(tag)) {
        if (!path.empty()) SetCurrentDirectoryA(path.c_str());
    }
    ~ScratchFolder() {
        SetCurrentDirectoryA(TestBinFolder().c_str());
        RemoveFolderTree(path);
    }
    std::string File(const std::string& name, const std::string& content = "x") const {
        WriteTextFile(path + name, content);
        return path + name;
    }
};

// A file class whose open command starts a copy of the spy; removed at the end.
// The extension and the class name are made per process (see PerProcess), so
// documents are named through Doc: cls.Doc("main") is "main.cvwp1234".
struct SpyClass {
    std::string extension, className;
    SpyClass(const std::string& ext, const std::string& cls, const std::string& exe = "spy.exe",
             const std::string& arguments = " \"%1\"")
        : extension(ext.empty() ? ext : PerProcess(ext)), className(PerProcess(cls)) {
        registered = RegisterFileClass(extension, className, className + " type", "open",
                                       "\"" + TestToolPath(exe.c_str()) + "\"" + arguments);
        EXPECT_TRUE(registered) << "could not register " << extension << " -> " << className;
    }
    ~SpyClass() { UnregisterFileClass(extension, className); }
    std::string Doc(const std::string& stem) const { return stem + extension; }
    bool registered = false;
};

// A copy of the spy under another name (an "installer"), deleted at the end.
struct SpyCopy {
    std::string path;
    SpyCopy(const ScratchFolder& folder, const char* name) : path(folder.path + name) {
        CopyFileA(TestToolPath("spy.exe").c_str(), path.c_str(), FALSE);
    }
};

// Environment variable set for the test's duration (children inherit it).
struct EnvVar {
    std::string name;
    EnvVar(const char* n, const std::string& value) : name(n) { SetEnvironmentVariableA(n, value.c_str()); }
    ~EnvVar() { SetEnvironmentVariableA(name.c_str(), nullptr); }
};

inline bool Contains(const std::string& text, const std::string& piece) { return text.find(piece) != std::string::npos; }

inline std::string WindowText(HWND w) {
    char buffer[512] = "";
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

inline bool InFocusList(HWND control) {
    for (int i = 0; i < popup.focusCount; ++i)
        if (popup.focusList[i] == control) return true;
    return false;
}

// Base of the fixtures that start spies from a popup: a scratch folder as the
// current directory, fresh process-wide state and a spy log of its own.
struct SpyFolderTest : ::testing::Test {
    ScratchFolder folder;
    std::string log;
    HWND window = nullptr;
    explicit SpyFolderTest(const char* tag) : folder(tag) {}
    void SetUp() override {
        ASSERT_FALSE(folder.path.empty());
        ResetState();
        log = UseSpyLog(folder.path + "spy.log");
    }
};

}  // namespace harness
