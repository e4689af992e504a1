// The popup as start-up makes it, for the launching and window-procedure
// tests: settings from settings text through the program's file and settings
// readers, the target and options from a command line through SettleTarget,
// the window from BuildPopup with the request start-up fills. Also message
// pumping with deadlines, a scratch folder as current directory, spies and
// file classes.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <deque>
#include <functional>
#include <string>

#include "app/target_select.h"
#include "base/wide_text.h"
#include "launch/launch.h"
#include "popup/auto_close.h"
#include "popup/buttons.h"
#include "popup/construct.h"
#include "popup/focus.h"
#include "popup/popup.h"
#include "popup/popup_state.h"
#include "popup/status.h"
#include "popup/tell.h"
#include "run/run_state.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
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

inline std::string Status() { return popup.status.text ? popup.status.text : ""; }

// The settings as an author writes them: `lines` under [Info], saved in the
// ANSI code page (the bytes as given), as UTF-8 with its mark or as UTF-16,
// read by the program's file reader (which tells run.settingsEncoding) and
// settings reader. Empty lines give the defaults.
inline void UseSettings(const std::string& lines, TextEncoding saved = TextEncoding::Ansi) {
    const std::string text = "[Info]\r\n" + lines;
    std::string bytes = saved == TextEncoding::Utf8 ? "\xEF\xBB\xBF" + text : text;
    if (saved == TextEncoding::Utf16) {
        bytes = "\xFF\xFE";
        for (wchar_t c : WideOf(text)) bytes += std::string{(char)(c & 0xFF), (char)(c >> 8)};
    }
    const std::string path = MakeTempFolder("ini") + "Corva.INF";
    ASSERT_TRUE(WriteTextFile(path, bytes));
    IniFile ini;
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini, &run.settingsEncoding));
    ReadSettings(ini, settings, GetSysColor(COLOR_WINDOW));
    RemoveFolderTree(path.substr(0, path.size() - 9));
}

// The command line after the program's name, settled as start-up settles it
// (target, options, status text); returns the text the popup shows first.
// Every line is kept for the process: the target and texts point into it.
inline const char* Settle(const std::string& commandLine) {
    static std::deque<std::string> lines;
    lines.push_back(commandLine);
    return SettleTarget(&lines.back()[0]);
}

// What start-up asks of the popup for the settled run.
inline PopupRequest Request(const char* statusText, bool doNotShowAgain = false) {
    const PopupRequest request = {GetModuleHandleA(nullptr), true, SW_SHOWNORMAL, statusText, run.statusText,
                                  run.nomsgOption, doNotShowAgain};
    return request;
}

// The popup built for a command line as start-up builds it, without the start
// message: the test sends it, or calls what it is about directly.
inline HWND BuildFor(const std::string& commandLine, bool doNotShowAgain = false) {
    return BuildPopup(Request(Settle(commandLine), doNotShowAgain));
}

inline void SendStart(HWND window) {
    PostMessageA(window, kStartMessage, 0, 0);
    Pump(50);
}

// A bottom-up 24-bit bitmap file whose pixel (x, y) is colour(x, y); its path.
inline std::string WriteBmp(const std::string& path, int w, int h, const std::function<COLORREF(int, int)>& colour) {
    const int stride = (w * 3 + 3) / 4 * 4;
    std::string b(54 + (size_t)stride * h, '\0');
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = (char)(v >> (8 * i));
    };
    b[0] = 'B', b[1] = 'M', b[26] = 1, b[28] = 24;
    put32(2, (uint32_t)b.size());
    put32(10, 54);
    put32(14, 40);
    put32(18, (uint32_t)w);
    put32(22, (uint32_t)h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const COLORREF c = colour(x, y);
            char* p = &b[54 + (size_t)(h - 1 - y) * stride + x * 3];
            p[0] = (char)GetBValue(c), p[1] = (char)GetGValue(c), p[2] = (char)GetRValue(c);
        }
    WriteTextFile(path, b);
    return path;
}

// Windows of this thread of a class, the last made first: other test
// processes on the same display have popups and splashes of their own.
inline HWND FindOwnWindow(const char* cls) {
    struct Search {
        const char* cls;
        HWND found;
        // Enumeration procedures are stdcall on 32-bit Windows, which a
        // lambda's function pointer is not.
        static BOOL CALLBACK Match(HWND w, LPARAM p) {
            Search* s = (Search*)p;
            char name[64] = "";
            GetClassNameA(w, name, sizeof name);
            if (std::strcmp(name, s->cls) != 0) return TRUE;
            s->found = w;
            return FALSE;
        }
    } search = {cls, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), Search::Match, (LPARAM)&search);
    return search.found;
}

// HKEY_CLASSES_ROOT belongs to the whole prefix, and every test case is a
// process of its own, side by side with others under ctest -j: a file class
// that one case registers and another case's clean-up removes fails either at
// random. Extensions and class names of the tests therefore carry the process
// id: PerProcess(".cvwp") is ".cvwp1234" in process 1234.
inline std::string PerProcess(const std::string& name) { return name + std::to_string(GetCurrentProcessId()); }

// Wine cannot switch high contrast on: while this lives, the system's answer
// to SPI_GETHIGHCONTRAST in this program's import table says it is on, so
// the popup reads the mode as it does on Windows.
struct HighContrastOn {
    typedef BOOL(WINAPI* Query)(UINT, UINT, PVOID, UINT);
    static Query& Real() {
        static Query real = nullptr;
        return real;
    }
    static BOOL WINAPI Answer(UINT action, UINT parameter, PVOID value, UINT update) {
        if (action != SPI_GETHIGHCONTRAST || !value) return Real()(action, parameter, value, update);
        static_cast<HIGHCONTRASTW*>(value)->dwFlags = HCF_HIGHCONTRASTON;
        return TRUE;
    }
    void** slot = nullptr;
    HighContrastOn() {
        Real() = reinterpret_cast<Query>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("user32.dll"), "SystemParametersInfoW")));
        BYTE* base = reinterpret_cast<BYTE*>(GetModuleHandleA(nullptr));
        const IMAGE_NT_HEADERS* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + ((IMAGE_DOS_HEADER*)base)->e_lfanew);
        const DWORD imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
        for (auto* d = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + imports); d->Name && !slot; ++d)
            for (auto* t = reinterpret_cast<IMAGE_THUNK_DATA*>(base + d->FirstThunk); t->u1.Function && !slot; ++t)
                if (reinterpret_cast<void*>(t->u1.Function) == reinterpret_cast<void*>(Real()))
                    slot = reinterpret_cast<void**>(&t->u1.Function);
        EXPECT_NE(slot, nullptr) << "SystemParametersInfoW is not imported";
        Put(reinterpret_cast<void*>(Answer));
    }
    ~HighContrastOn() { Put(reinterpret_cast<void*>(Real())); }
    void Put(void* function) {
        DWORD old = 0;
        if (!slot || !VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old)) return;
        *slot = function;
        VirtualProtect(slot, sizeof *slot, old, &old);
    }
};

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

inline bool Contains(const std::string& text, const std::string& piece) {
    return text.find(piece) != std::string::npos;
}

inline std::string WindowText(HWND w) {
    char buffer[512] = "";
    GetWindowTextA(w, buffer, sizeof buffer);
    return buffer;
}

inline bool InFocusList(HWND control) { return FocusSlotOf(control) >= 0; }

// Base of the fixtures that start spies from a popup: a scratch folder as the
// current directory, settings at their defaults and a spy log of its own.
struct SpyFolderTest : ::testing::Test {
    ScratchFolder folder;
    std::string log;
    HWND window = nullptr;
    explicit SpyFolderTest(const char* tag) : folder(tag) {}
    void SetUp() override {
        ASSERT_FALSE(folder.path.empty());
        log = UseSpyLog(folder.path + "spy.log");
    }
    // The settings, then the popup for the command line.
    void Open(const std::string& settingsLines, const std::string& commandLine) {
        UseSettings(settingsLines);
        window = BuildFor(commandLine);
        ASSERT_TRUE(window);
    }
};

}  // namespace harness
