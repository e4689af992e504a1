// GUI
// Spy program for the launching tests: records how it was started and exits.
//
// It appends one line to the log named by CORVANE_SPY_LOG (default: spy.log
// beside the executable):
//   <exe file name> TAB <GetCommandLineW() in UTF-8> TAB <current directory> TAB
//   <show command, -1 when not given> TAB <milliseconds since 1601> CR LF
// CORVANE_SPY_HOLD=<path>: after logging, waits (at most 60 s) until that file
// no longer exists; with CORVANE_SPY_COVER=1 it shows meanwhile a window over
// the whole screen in front, as a maximised document does. CORVANE_SPY_EXIT=<n>:
// the exit code.
// Copies under other names (installer.exe, viewer.exe) behave the same and log
// their own file name.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string Environment(const char* name) {
    char small[1024];
    DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n == 0) return std::string();
    if (n < sizeof small) return std::string(small, n);
    std::string big(n, '\0');
    n = GetEnvironmentVariableA(name, &big[0], n);
    big.resize(n);
    return big;
}

// Texts are recorded in UTF-8, so that names in any script arrive exactly.
std::string Utf8(const wchar_t* text, int length = -1) {
    const int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
    if (length < 0) out.pop_back();
    return out;
}

std::string ModulePath() {
    wchar_t path[MAX_PATH * 4];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH * 4);
    if (n == 0 || n >= MAX_PATH * 4) return std::string();
    return Utf8(path, static_cast<int>(n));
}

std::string CurrentDirectory() {
    wchar_t dir[MAX_PATH * 4];
    DWORD n = GetCurrentDirectoryW(MAX_PATH * 4, dir);
    if (n == 0 || n >= MAX_PATH * 4) return std::string();
    return Utf8(dir, static_cast<int>(n));
}

void AppendRecord(const std::string& logPath, const std::string& record) {
    // Several spies may start at once; retry while another one has the file
    // open in a way that excludes us.
    for (int attempt = 0; attempt < 200; ++attempt) {
        HANDLE file = CreateFileA(logPath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            DWORD written = 0;
            WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
            CloseHandle(file);
            return;
        }
        Sleep(10);
    }
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    std::string exePath = ModulePath();
    size_t slash = exePath.find_last_of("\\/");
    std::string exeName = slash == std::string::npos ? exePath : exePath.substr(slash + 1);
    std::string exeFolder = slash == std::string::npos ? std::string() : exePath.substr(0, slash + 1);

    std::string logPath = Environment("CORVANE_SPY_LOG");
    if (logPath.empty()) logPath = exeFolder + "spy.log";

    STARTUPINFOA startup;
    ZeroMemory(&startup, sizeof startup);
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) ? static_cast<int>(startup.wShowWindow) : -1;

    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    unsigned long long ms = ((static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime) / 10000ULL;

    char numbers[64];
    std::snprintf(numbers, sizeof numbers, "%d\t%llu\r\n", show, ms);
    const wchar_t* commandLine = GetCommandLineW();
    std::string record =
        exeName + "\t" + (commandLine ? Utf8(commandLine) : std::string()) + "\t" + CurrentDirectory() + "\t" + numbers;
    AppendRecord(logPath, record);

    std::string hold = Environment("CORVANE_SPY_HOLD");
    if (!hold.empty()) {
        HWND cover = nullptr;
        if (Environment("CORVANE_SPY_COVER") == "1") {
            cover = CreateWindowExW(0, L"STATIC", L"Document", WS_POPUP | WS_VISIBLE, 0, 0,
                                    GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr,
                                    nullptr, nullptr);
            SetForegroundWindow(cover);
        }
        for (int waited = 0; waited < 60000; waited += 50) {
            if (GetFileAttributesA(hold.c_str()) == INVALID_FILE_ATTRIBUTES) break;
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&m);
            Sleep(50);
        }
        if (cover) DestroyWindow(cover);
    }

    std::string exitText = Environment("CORVANE_SPY_EXIT");
    return exitText.empty() ? 0 : std::atoi(exitText.c_str());
}
