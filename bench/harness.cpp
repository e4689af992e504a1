// Timing harness for the launcher benchmark, run under Wine (or Windows).
//
//   harness.exe RESULTS REPS WARMUP SPYDIR PROGRAM...
//
// PROGRAM is  name|measure|windowclass|folder|commandline  where measure is
//   target   time from CreateProcess to the start of the target (the bench
//            spy writes its QueryPerformanceCounter value to SPYDIR\stamp.txt)
//   visible  time until a visible top-level window of windowclass belonging
//            to the started process exists (polled every millisecond)
//   marks    as visible, then the start-up marks that a marks build writes to
//            SPYDIR\marks.txt (named to it by the variable CORVANE_MARKS), each
//            as milliseconds after CreateProcess
// Each program starts in its folder. The programs run in turn, one repetition
// of each before the next, so that a change in the machine's load touches all
// of them alike. The first WARMUP rounds are not recorded.
//
// Each result is one line of RESULTS:  name TAB measure TAB round TAB ms
// a mark is                           name TAB mark TAB round TAB ms TAB label
// and a failed round                  name TAB measure TAB round TAB FAIL TAB why
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Program {
    std::string name, measure, windowClass, folder, commandLine;
};

LARGE_INTEGER frequency;
HANDLE spyStarted;  // set by the spy once its stamp is written

long long Now() {
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return t.QuadPart;
}

double Milliseconds(long long ticks) { return 1000.0 * static_cast<double>(ticks) / frequency.QuadPart; }

// Written to both registry views: the 32-bit programs read the 32-bit one,
// which Wine keeps apart (Windows shares these keys between the views).
bool SetDefaultValue(const std::string& key, const std::string& value) {
    for (REGSAM view : {KEY_WOW64_64KEY, KEY_WOW64_32KEY}) {
        HKEY handle;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &handle,
                            nullptr) != ERROR_SUCCESS)
            return false;
        LONG rc = RegSetValueExA(handle, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                 static_cast<DWORD>(value.size() + 1));
        RegCloseKey(handle);
        if (rc != ERROR_SUCCESS) return false;
    }
    return true;
}

// The bench document type opens with the spy.
bool RegisterDocumentType(const std::string& spyDir) {
    std::string command = "\"" + spyDir + "\\bench_spy.exe\" \"%1\"";
    return SetDefaultValue(".cvbench", "CvBenchFile") && SetDefaultValue("CvBenchFile", "Corvane bench document") &&
           SetDefaultValue("CvBenchFile\\shell\\open\\command", command);
}

struct WindowQuery {
    DWORD pid;
    const char* windowClass;
    bool visibleOnly;
    bool post;  // post WM_CLOSE to every match
    HWND found;
};

BOOL CALLBACK VisitWindow(HWND window, LPARAM lParam) {
    WindowQuery* q = reinterpret_cast<WindowQuery*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid != q->pid) return TRUE;
    char name[128];
    if (!GetClassNameA(window, name, sizeof name) || lstrcmpiA(name, q->windowClass) != 0) return TRUE;
    if (q->visibleOnly && !IsWindowVisible(window)) return TRUE;
    q->found = window;
    if (q->post) {
        PostMessageA(window, WM_CLOSE, 0, 0);
        return TRUE;
    }
    return FALSE;
}

// Looked up by class, a few server calls per look: the harness polls every
// millisecond and must take as little as it can from the program it times.
HWND FindWindowOf(DWORD pid, const std::string& windowClass, bool visibleOnly) {
    for (HWND window = FindWindowExA(nullptr, nullptr, windowClass.c_str(), nullptr); window;
         window = FindWindowExA(nullptr, window, windowClass.c_str(), nullptr)) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == pid && (!visibleOnly || IsWindowVisible(window))) return window;
    }
    return nullptr;
}

// Asks the program to close the way a user would; ends it after 5 s.
void CloseProgram(const PROCESS_INFORMATION& pi, const std::string& windowClass) {
    for (int waited = 0; waited < 5000; waited += 50) {
        if (!windowClass.empty()) {
            WindowQuery q = {pi.dwProcessId, windowClass.c_str(), false, true, nullptr};
            EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&q));
        }
        if (WaitForSingleObject(pi.hProcess, 50) == WAIT_OBJECT_0) return;
    }
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, 5000);
}

// Reads a whole small file that its writer renamed into place complete.
bool ReadSmallFile(const std::string& path, std::string* text) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    char buffer[4096];
    DWORD got = 0;
    BOOL ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr);
    CloseHandle(file);
    if (!ok || got == 0 || buffer[got - 1] != '\n') return false;
    text->assign(buffer, got);
    return true;
}

bool ReadStamp(const std::string& path, long long* value) {
    std::string text;
    if (!ReadSmallFile(path, &text)) return false;
    *value = std::strtoll(text.c_str(), nullptr, 10);
    return true;
}

struct MarkValue {
    std::string label;
    double ms;
};

// "label TAB counter" lines, as milliseconds after start.
std::vector<MarkValue> ParseMarks(const std::string& text, long long start) {
    std::vector<MarkValue> marks;
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) break;
        std::string line = text.substr(at, end - at);
        at = end + 1;
        size_t tab = line.find('\t');
        if (tab == std::string::npos) continue;
        long long ticks = std::strtoll(line.c_str() + tab + 1, nullptr, 10);
        marks.push_back({line.substr(0, tab), Milliseconds(ticks - start)});
    }
    return marks;
}

// Runs one program once; returns the milliseconds measured, or a negative
// value with *why set.
double RunOnce(const Program& program, const std::string& stampPath, const std::string& marksPath,
               std::vector<MarkValue>* marks, const char** why) {
    DeleteFileA(stampPath.c_str());
    DeleteFileA(marksPath.c_str());
    ResetEvent(spyStarted);
    bool withMarks = program.measure == "marks";
    SetEnvironmentVariableA("CORVANE_MARKS", withMarks ? marksPath.c_str() : nullptr);
    std::vector<char> commandLine(program.commandLine.begin(), program.commandLine.end());
    commandLine.push_back('\0');
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};

    long long start = Now();
    if (!CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, program.folder.c_str(),
                        &si, &pi)) {
        *why = "CreateProcess failed";
        return -1;
    }
    double result = -1;
    *why = "timed out after 20 s";
    bool visible = program.measure == "visible" || withMarks;
    for (;;) {
        long long now = Now();
        if (Milliseconds(now - start) > 20000) break;
        if (visible) {
            if (FindWindowOf(pi.dwProcessId, program.windowClass, true)) {
                result = Milliseconds(Now() - start);
                break;
            }
            if (WaitForSingleObject(pi.hProcess, 0) == WAIT_OBJECT_0) {
                static char ended[96];
                DWORD code = 0;
                GetExitCodeProcess(pi.hProcess, &code);
                std::snprintf(ended, sizeof ended, "program ended without a visible window (exit code 0x%lx)",
                              static_cast<unsigned long>(code));
                *why = ended;
                break;
            }
        } else {
            // The spy records its start itself and then signals; nothing is
            // polled meanwhile.
            HANDLE waits[2] = {spyStarted, pi.hProcess};
            DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 20000);
            long long stamp;
            if (woke == WAIT_OBJECT_0 && ReadStamp(stampPath, &stamp)) {
                result = Milliseconds(stamp - start);
            } else if (woke == WAIT_OBJECT_0 + 1) {
                // The launcher ended; its target may still be on its way.
                if (WaitForSingleObject(spyStarted, 20000) == WAIT_OBJECT_0 && ReadStamp(stampPath, &stamp))
                    result = Milliseconds(stamp - start);
            }
            break;
        }
        Sleep(1);
    }

    if (withMarks && result >= 0) {
        // The marks are written right after the first paint.
        std::string text;
        bool got = false;
        for (int waited = 0; waited < 10000 && !(got = ReadSmallFile(marksPath, &text)); waited += 5) Sleep(5);
        if (got) {
            *marks = ParseMarks(text, start);
        } else {
            *why = "no marks written";
            result = -1;
        }
    }
    if (visible || result >= 0) {
        // What comes after the measured moment is not measured. A launcher
        // with a window, asked to close once its target has started, takes
        // about two seconds to end under Wine (2.3 s a round instead of
        // 0.3 s), and the next program would start beside it.
        TerminateProcess(pi.hProcess, 1);
        WaitForSingleObject(pi.hProcess, 5000);
    } else {
        CloseProgram(pi, program.windowClass);
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    // Let a spy that a terminated program may still have started finish.
    Sleep(150);
    return result;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 6) {
        std::fprintf(stderr, "usage: harness RESULTS REPS WARMUP SPYDIR name|measure|class|folder|cmdline...\n");
        return 2;
    }
    QueryPerformanceFrequency(&frequency);
    // A PC's desktop is always there. Under Wine the desktop closes shortly
    // after its last program has gone and the next program opens it again at
    // its own cost; a hidden window of the harness keeps it open.
    CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    const char* resultsPath = argv[1];
    int reps = std::atoi(argv[2]);
    int warmup = std::atoi(argv[3]);
    std::string spyDir = argv[4];
    std::vector<Program> programs;
    for (int i = 5; i < argc; ++i) {
        std::string s = argv[i];
        size_t cut[4];
        size_t from = 0;
        bool ok = true;
        for (size_t& c : cut) {
            c = s.find('|', from);
            if (c == std::string::npos) ok = false;
            from = c + 1;
            if (!ok) break;
        }
        if (!ok) {
            std::fprintf(stderr, "bad program description: %s\n", argv[i]);
            return 2;
        }
        programs.push_back({s.substr(0, cut[0]), s.substr(cut[0] + 1, cut[1] - cut[0] - 1),
                            s.substr(cut[1] + 1, cut[2] - cut[1] - 1), s.substr(cut[2] + 1, cut[3] - cut[2] - 1),
                            s.substr(cut[3] + 1)});
    }
    if (!RegisterDocumentType(spyDir)) {
        std::fprintf(stderr, "could not register the .cvbench document type\n");
        return 3;
    }
    FILE* out = std::fopen(resultsPath, "w");
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", resultsPath);
        return 3;
    }
    std::string stampPath = spyDir + "\\stamp.txt";
    std::string marksPath = spyDir + "\\marks.txt";
    spyStarted = CreateEventA(nullptr, TRUE, FALSE, "CvBenchSpyStarted");
    if (!spyStarted) {
        std::fprintf(stderr, "cannot make the spy's event\n");
        return 3;
    }
    int failures = 0;
    // A fresh order each round (the same in every run), so that no program
    // always follows the same one and inherits what it leaves behind.
    std::vector<size_t> order(programs.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    unsigned seed = 12345;
    for (int round = 0; round < warmup + reps; ++round) {
        for (size_t i = order.size(); i > 1; --i) {
            seed = seed * 1103515245u + 12345u;
            size_t j = (seed >> 16) % i;
            size_t t = order[i - 1];
            order[i - 1] = order[j];
            order[j] = t;
        }
        for (size_t index : order) {
            const Program& program = programs[index];
            const char* why = "";
            std::vector<MarkValue> marks;
            double ms = RunOnce(program, stampPath, marksPath, &marks, &why);
            if (round < warmup) continue;
            if (ms < 0) {
                ++failures;
                std::fprintf(out, "%s\t%s\t%d\tFAIL\t%s\n", program.name.c_str(), program.measure.c_str(), round - warmup,
                             why);
            } else {
                std::fprintf(out, "%s\t%s\t%d\t%.3f\n", program.name.c_str(), program.measure.c_str(), round - warmup, ms);
                for (const MarkValue& mark : marks)
                    std::fprintf(out, "%s\tmark\t%d\t%.3f\t%s\n", program.name.c_str(), round - warmup, mark.ms,
                                 mark.label.c_str());
            }
            std::fflush(out);
        }
    }
    std::fclose(out);
    return failures ? 1 : 0;
}
