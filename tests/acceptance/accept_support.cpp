#include "accept_support.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "support/mount_drive.h"
#include "support/spy_log.h"

namespace accept {

std::string Format(const char* format, ...) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    return buffer;
}

namespace {

bool MakeFolders(const std::string& path) {  // every folder of a path ending in "\"
    for (size_t i = 3; i < path.size(); ++i) {
        if (path[i] == '\\') {
            std::string part = path.substr(0, i);
            if (!CreateDirectoryW(WideOf(part).c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
        }
    }
    return true;
}

std::string FullPath(const std::string& path) {
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path.c_str(), sizeof full, full, nullptr);
    return (n > 0 && n < sizeof full) ? std::string(full, n) : path;
}


}  // namespace

// ------------------------------------------------------------------ medium

namespace {

void SetText(const char* keyPath, const char* name, const char* value) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, keyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), static_cast<DWORD>(strlen(value) + 1));
    RegCloseKey(key);
}

}  // namespace

// The desktop is also named in the start-up information of corvane.exe and
// the probe: Wine's 32-bit side does not apply the per-program setting.
char kGalleryDesktop[] = "CorvaneGallery";

void UseGalleryDesktop() {
    SetText("Software\\Wine\\AppDefaults\\corvane.exe\\Explorer", "Desktop", kGalleryDesktop);
    SetText("Software\\Wine\\AppDefaults\\probe.exe\\Explorer", "Desktop", kGalleryDesktop);
    SetText("Software\\Wine\\Explorer\\Desktops", kGalleryDesktop, "1024x768");
}

bool DefineDrive(char letter, const std::string& unixFolder) {
    return mount::SendDriveRequest(letter, DRIVE_CDROM, unixFolder.c_str());
}

bool RemoveDrive(char letter) { return mount::SendDriveRequest(letter, DRIVE_NO_ROOT_DIR, nullptr); }

bool BroadcastRemoval(char letter) { return Probe(0, std::string("removed ") + letter) == 0; }

Medium::Medium(const char* tag, char letter) : letter_(static_cast<char>(letter & ~0x20)) {
    // /tmp is shared by every Wine prefix of the machine, and process numbers
    // are a wineserver's own: two build folders tested at once would meet in
    // one folder without the prefix's mark in its name.
    char prefix[MAX_PATH] = "";
    GetEnvironmentVariableA("WINEPREFIX", prefix, sizeof prefix);
    unsigned long mark = 5381;
    for (const char* p = prefix; *p; ++p) mark = mark * 33 + static_cast<unsigned char>(*p);
    std::string name = Format("corvane-accept-%lx-%lu-%s", mark & 0xFFFFFFul,
                              static_cast<unsigned long>(GetCurrentProcessId()), tag);
    unixFolder_ = "/tmp/" + name;
    folder_ = "Z:\\tmp\\" + name + "\\";
    RemoveFolderTree(folder_);
    if (!CreateDirectoryA(folder_.c_str(), nullptr)) return;
    RemoveDrive(letter_);  // a letter left over by an interrupted run
    mapped_ = DefineDrive(letter_, unixFolder_) && GetFileAttributesA(Root().c_str()) != INVALID_FILE_ATTRIBUTES;
}

Medium::~Medium() {
    if (mapped_) RemoveDrive(letter_);
    RemoveFolderTree(folder_);
}

std::string Medium::Root() const { return std::string(1, letter_) + ":\\"; }

bool Medium::Put(const std::string& name, const std::string& content) const {
    std::string path = folder_ + name;
    return MakeFolders(path) && WriteTextFile(path, content);
}

bool Medium::PutProgram(const std::string& name, const char* fromBin) const {
    std::string path = folder_ + name;
    return MakeFolders(path) && CopyFileW(WideOf(TestToolPath(fromBin)).c_str(), WideOf(path).c_str(), FALSE);
}

bool Medium::Eject() {
    if (!mapped_) return false;
    mapped_ = !RemoveDrive(letter_);
    return !mapped_;
}

// ------------------------------------------------------------------ program

Program::~Program() {
    if (process_) {
        if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT) {
            TerminateProcess(process_, 999);
            WaitForSingleObject(process_, 5000);
        }
        CloseHandle(process_);
    }
}

bool Program::Start(const std::string& commandLine, const std::string& currentDirectory) {
    // As the shell starts it: a Unicode command line, here from UTF-8.
    STARTUPINFOW startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    // The shell starts autorun programs with the normal show command.
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    std::wstring desktop = WideOf(kGalleryDesktop);
    startup.lpDesktop = &desktop[0];
    PROCESS_INFORMATION info;
    std::wstring line = WideOf(commandLine);
    const std::wstring folder = WideOf(currentDirectory);
    started_ = GetTickCount();
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr,
                        currentDirectory.empty() ? nullptr : folder.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    pid_ = info.dwProcessId;
    return true;
}

bool Program::WaitExit(DWORD ms) { return process_ && WaitForSingleObject(process_, ms) == WAIT_OBJECT_0; }

bool Program::Running() const { return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT; }

DWORD Program::ExitCode() const {
    DWORD code = STILL_ACTIVE;
    if (process_) GetExitCodeProcess(process_, &code);
    return code;
}

// ------------------------------------------------------------------ probe

const Control* PopupView::Find(int id) const {
    for (const Control& c : controls)
        if (c.id == id) return &c;
    return nullptr;
}

const Control* PopupView::Focused() const {
    for (const Control& c : controls)
        if (c.focus) return &c;
    return nullptr;
}

namespace {

// Starts probe.exe on the popup's desktop with its output on a pipe; the
// caller reads `*output` and closes it and the process handles.
bool StartProbe(DWORD pid, const std::string& args, PROCESS_INFORMATION* info, HANDLE* output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return false;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.lpDesktop = kGalleryDesktop;
    std::string command = "\"" + TestToolPath("probe.exe") + "\"";
    if (pid) command += Format(" --pid %lu", static_cast<unsigned long>(pid));
    command += " " + args;
    std::vector<char> line(command.begin(), command.end());
    line.push_back('\0');
    BOOL started = CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                  &startup, info);
    CloseHandle(writeEnd);
    if (!started) {
        CloseHandle(readEnd);
        return false;
    }
    *output = readEnd;
    return true;
}

// Reads what the probe writes until it closes its output.
// What the probe wrote, read until the probe has ended (at most `ms`), not
// until the pipe's end: a program the probe happened to start (Wine starts
// a desktop's explorer from the first program that makes a window on it)
// inherits its output and would hold the pipe open for good.
std::string ReadToEnd(HANDLE output, HANDLE process, DWORD ms) {
    std::string text;
    char buffer[4096];
    for (const DWORD start = GetTickCount(); GetTickCount() - start < ms;) {
        DWORD available = 0, got = 0;
        if (!PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr)) break;  // every writer gone
        if (available > 0) {
            if (!ReadFile(output, buffer, available < sizeof buffer ? available : sizeof buffer, &got, nullptr)) break;
            text.append(buffer, got);
        } else if (WaitForSingleObject(process, 5) == WAIT_OBJECT_0) {
            // Ended: what it wrote before is in the pipe already.
            if (!PeekNamedPipe(output, nullptr, 0, nullptr, &available, nullptr) || available == 0) break;
        }
    }
    return text;
}

// Waits for the probe's end (at most `ms`) and closes its handles; its exit code, -1 when it did not end.
int EndProbe(PROCESS_INFORMATION& info, DWORD ms) {
    DWORD code = static_cast<DWORD>(-1);
    if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    CloseHandle(info.hProcess);
    CloseHandle(info.hThread);
    return static_cast<int>(code);
}

}  // namespace

int Probe(DWORD pid, const std::string& args, std::string* out) {
    PROCESS_INFORMATION info;
    HANDLE output = nullptr;
    if (!StartProbe(pid, args, &info, &output)) return -1;
    std::string text = ReadToEnd(output, info.hProcess, 20000);
    CloseHandle(output);
    const int code = EndProbe(info, 20000);
    if (out) *out = text;
    return code;
}

namespace {

std::vector<std::string> Split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;) {
        size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::string::npos ? std::string::npos : at - start));
        if (at == std::string::npos) break;
        start = at + 1;
    }
    return parts;
}

std::string Field(const std::vector<std::string>& fields, const char* key) {
    const std::string prefix = std::string(key) + "=";
    for (const std::string& f : fields)
        if (f.compare(0, prefix.size(), prefix) == 0) return f.substr(prefix.size());
    return std::string();
}


}  // namespace

PopupView Look(DWORD pid) {
    PopupView view;
    std::string out;
    if (Probe(pid, "info", &out) != 0) return view;
    for (std::string line : Split(out, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f = Split(line, '\t');
        if (f[0] == "popup") {
            view.present = true;
            view.visible = Field(f, "visible") == "1";
            view.unicode = Field(f, "unicode") == "1";
            view.topmost = Field(f, "topmost") == "1";
            view.iconic = Field(f, "iconic") == "1";
            view.zoomed = Field(f, "zoomed") == "1";
            view.title = Field(f, "title");
            view.rect = ParseRect(Field(f, "rect"));
            view.work = ParseRect(Field(f, "workarea"));
            std::sscanf(Field(f, "client").c_str(), "%d,%d", &view.clientWidth, &view.clientHeight);
        } else if (f[0] == "control") {
            Control c;
            c.id = std::atoi(Field(f, "id").c_str());
            c.cls = Field(f, "class");
            c.caption = Field(f, "caption");
            c.visible = Field(f, "visible") == "1";
            c.enabled = Field(f, "enabled") == "1";
            c.checked = Field(f, "checked") == "1";
            c.focus = Field(f, "focus") == "1";
            c.style = std::strtoul(Field(f, "style").c_str(), nullptr, 16);
            c.rect = ParseRect(Field(f, "rect"));
            view.controls.push_back(c);
        }
    }
    return view;
}

namespace {

std::vector<std::vector<std::string>> Lines(const std::string& out, const char* kind) {
    std::vector<std::vector<std::string>> lines;
    for (std::string line : Split(out, '\n')) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        std::vector<std::string> f = Split(line, '\t');
        if (f[0] == kind) lines.push_back(f);
    }
    return lines;
}

}  // namespace

std::vector<Accessible> AccessibleTree(DWORD pid) {
    std::vector<Accessible> tree;
    std::string out;
    if (Probe(pid, "acc", &out) != 0) return tree;
    for (const std::vector<std::string>& f : Lines(out, "acc")) {
        Accessible a;
        a.popup = Field(f, "window") == "popup";
        a.id = std::atoi(Field(f, "id").c_str());
        a.cls = Field(f, "class");
        a.style = std::strtoul(Field(f, "style").c_str(), nullptr, 16);
        a.name = Field(f, "name");
        a.role = std::atol(Field(f, "role").c_str());
        a.state = std::strtoul(Field(f, "state").c_str(), nullptr, 16);
        a.focused = Field(f, "focused") == "1";
        a.focusable = Field(f, "focusable") == "1";
        a.invisible = Field(f, "invisible") == "1";
        a.unavailable = Field(f, "unavailable") == "1";
        a.action = Field(f, "action");
        a.location = ParseRect(Field(f, "location"));
        a.answered = std::strtoul(Field(f, "hr").c_str(), nullptr, 16) == 0;
        tree.push_back(a);
    }
    return tree;
}

const Accessible* FindAccessible(const std::vector<Accessible>& tree, int id) {
    for (const Accessible& a : tree)
        if (!a.popup && a.id == id) return &a;
    return nullptr;
}

EventWatch::EventWatch(DWORD pid, DWORD ms) : ms_(ms) {
    if (!StartProbe(pid, Format("events %lu", static_cast<unsigned long>(ms)), &info_, &output_)) return;
    started_ = true;
    // Whatever happens before the hook is in place is not seen: wait for it.
    const DWORD start = GetTickCount();
    while (text_.find("watching") == std::string::npos && GetTickCount() - start < 10000) {
        DWORD ready = 0;
        if (!PeekNamedPipe(output_, nullptr, 0, nullptr, &ready, nullptr)) break;
        if (ready == 0) {
            Sleep(20);
            continue;
        }
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(output_, buffer, sizeof buffer, &got, nullptr) || got == 0) break;
        text_.append(buffer, got);
    }
    watching_ = text_.find("watching") != std::string::npos;
}

EventWatch::~EventWatch() {
    if (started_) Finish();
}

std::vector<WinEvent> EventWatch::Finish() {
    std::vector<WinEvent> events;
    if (!started_) return events;
    started_ = false;
    text_ += ReadToEnd(output_, info_.hProcess, ms_ + 10000);
    CloseHandle(output_);
    EndProbe(info_, ms_ + 10000);
    for (const std::vector<std::string>& f : Lines(text_, "event")) {
        WinEvent e;
        e.kind = Field(f, "kind");
        e.cls = Field(f, "class");
        e.id = std::atoi(Field(f, "id").c_str());
        e.object = std::atol(Field(f, "object").c_str());
        e.child = std::atol(Field(f, "child").c_str());
        e.name = Field(f, "name");
        e.text = Field(f, "text");
        events.push_back(e);
    }
    return events;
}

Ink InkOf(DWORD pid, int id, const RECT* part) {
    Ink ink;
    std::string out;
    std::string args = Format("ink %d", id);
    if (part) args += Format(" %ld %ld %ld %ld", part->left, part->top, part->right, part->bottom);
    if (Probe(pid, args, &out) != 0) return ink;
    for (const std::vector<std::string>& f : Lines(out, "ink")) {
        ink.read = true;
        ink.count = std::atol(Field(f, "count").c_str());
        ink.fullRows = std::atoi(Field(f, "fullrows").c_str());
        ink.box = ParseRect(Field(f, "box"));
        ink.background = std::strtoul(Field(f, "background").c_str(), nullptr, 16);
    }
    if (!ink.read && out.compare(0, 8, "ink none") == 0) ink.read = true;
    return ink;
}

PopupView WaitForPopup(DWORD pid, DWORD ms, bool visible) {
    const DWORD start = GetTickCount();
    PopupView view;
    for (;;) {
        view = Look(pid);
        if (view.present && (!visible || view.visible)) return view;
        if (GetTickCount() - start >= ms) return view;
        Sleep(100);
    }
}

PopupView WaitForView(DWORD pid, bool (*done)(const PopupView&, int), int arg, DWORD ms) {
    const DWORD start = GetTickCount();
    PopupView view;
    for (;;) {
        view = Look(pid);
        if (done(view, arg) || GetTickCount() - start >= ms) return view;
        Sleep(100);
    }
}

bool FocusOn(const PopupView& view, int id) {
    const Control* focus = view.Focused();
    return focus && focus->id == id;
}

bool Checked(const PopupView& view, int id) {
    const Control* control = view.Find(id);
    return control && control->checked;
}

bool Click(DWORD pid, int id) { return Probe(pid, Format("click %d", id)) == 0; }

bool MovePointer(int x, int y) { return Probe(0, Format("move %d %d", x, y)) == 0; }

bool Keys(DWORD pid, const std::string& keys) { return Probe(pid, "keys " + keys) == 0; }

bool CloseRequest(DWORD pid) { return Probe(pid, "close") == 0; }

// ------------------------------------------------------------------ PC

std::string PcProgram(const char* name) {
    std::string folder = TestBinFolder() + "pc\\";
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string path = folder + name;
    // Another test may be running this copy; an existing copy is as good.
    if (!CopyFileA(TestToolPath("spy.exe").c_str(), path.c_str(), FALSE) &&
        GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
        return std::string();
    return path;
}

void RegisterPcClasses() {
    // The same values every time, so that scenarios running side by side in
    // the prefix agree; the prefix belongs to the build and the tests.
    RegisterFileClass(".htm", "CvAcceptHtml", "HTML Document", "open", "\"" + PcProgram("viewer.exe") + "\" \"%1\"");
}

bool ReadMemory(const std::string& name, DWORD* type, DWORD* value) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QRN\\CorvaneCDs", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    BYTE data[64] = {0};
    DWORD size = sizeof data;
    LONG result = RegQueryValueExW(key, WideOf(name).c_str(), nullptr, type, data, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS) return false;
    std::memcpy(value, data, sizeof *value);
    return true;
}

void DeleteMemory(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\QRN\\CorvaneCDs", 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    RegDeleteValueW(key, WideOf(name).c_str());
    RegCloseKey(key);
}

std::string WorkFolder(const char* tag) { return MakeTempFolder(tag); }

// ------------------------------------------------------------------ gallery

namespace {

std::string Html(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        default: out += c;
        }
    }
    return out;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r' || c == '\t') c = ' ';
    return text;
}

void WriteIndex(const std::string& folder) {
    std::vector<std::string> entries;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.entry").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do entries.push_back(data.cFileName);
        while (FindNextFileA(find, &data));
        FindClose(find);
    }
    std::sort(entries.begin(), entries.end());
    std::string html =
        "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>Corvane acceptance gallery</title>\n"
        "<style>body{font-family:sans-serif;margin:2em;max-width:1100px}section{margin-bottom:2.5em}"
        "img{max-width:100%;border:1px solid #888}.PASS{color:#060}.FAIL{color:#b00}figure{margin:1em 0}"
        "figcaption{font-size:90%;color:#444}li{margin:.2em 0}</style></head><body>\n"
        "<h1>Corvane acceptance gallery: the " +
        Format("%u-bit", unsigned(sizeof(void*) * 8)) +
        " build</h1>\n<p>Each scenario ran the real corvane.exe of this build from a medium mapped "
        "to a drive letter, under Wine with a 1024&times;768 virtual desktop. The pictures are what a user "
        "would have seen.</p>\n";
    for (const std::string& entry : entries) {
        std::string text;
        if (!ReadWholeFile(folder + entry, &text)) continue;
        std::string title, result, failure, when;
        std::vector<std::pair<std::string, std::string>> shots;
        std::vector<std::string> notes;
        for (std::string line : Split(text, '\n')) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            std::vector<std::string> f = Split(line, '\t');
            if (f.size() < 2) continue;
            if (f[0] == "title") title = f[1];
            else if (f[0] == "result") result = f[1];
            else if (f[0] == "failure") failure = f[1];
            else if (f[0] == "when") when = f[1];
            else if (f[0] == "shot") shots.emplace_back(f[1], f.size() > 2 ? f[2] : std::string());
            else if (f[0] == "note") notes.push_back(f[1]);
        }
        html += "<section><h2>" + Html(title) + " <span class=\"" + Html(result) + "\">" + Html(result) +
                "</span></h2>\n";
        if (!when.empty()) html += "<p><small>" + Html(when) + "</small></p>\n";
        if (!notes.empty()) {
            html += "<ul>\n";
            for (const std::string& n : notes) html += "<li>" + Html(n) + "</li>\n";
            html += "</ul>\n";
        }
        if (!failure.empty()) html += "<p class=\"FAIL\">" + Html(failure) + "</p>\n";
        for (const auto& shot : shots)
            html += "<figure><img src=\"" + Html(shot.first) + "\" alt=\"" + Html(shot.second) +
                    "\"><figcaption>" + Html(shot.second) + "</figcaption></figure>\n";
        html += "</section>\n";
    }
    html += "</body></html>\n";
    // Written beside and moved over, so that a reader never sees half a page.
    std::string temp = folder + Format("index-%lu.tmp", static_cast<unsigned long>(GetCurrentProcessId()));
    if (WriteTextFile(temp, html)) MoveFileExA(temp.c_str(), (folder + "index.html").c_str(), MOVEFILE_REPLACE_EXISTING);
}

}  // namespace

std::string GalleryEntry::Folder() {
    std::string folder = FullPath(TestBinFolder() + "..\\acceptance\\gallery\\");
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    MakeFolders(folder);
    return folder;
}

GalleryEntry::GalleryEntry(const std::string& id, const std::string& title) : id_(id), title_(title) {}

std::string GalleryEntry::Shot(const std::string& caption) {
    std::string name = shots_.empty() ? id_ + ".png" : Format("%s-%u.png", id_.c_str(), unsigned(shots_.size() + 1));
    std::string path = Folder() + name;
    DeleteFileA(path.c_str());
    if (Probe(0, "shot \"" + path + "\"") != 0) return std::string();
    shots_.emplace_back(name, caption);
    return name;
}

void GalleryEntry::Finish(bool passed, const std::string& failure) {
    const std::string folder = Folder();
    time_t now = time(nullptr);
    char when[64];
    strftime(when, sizeof when, "%Y-%m-%d %H:%M:%S", localtime(&now));
    std::string text = "title\t" + OneLine(title_) + "\nresult\t" + (passed ? "PASS" : "FAIL") + "\nwhen\t" +
                       when + "\n";
    if (!failure.empty()) text += "failure\t" + OneLine(failure) + "\n";
    for (const auto& shot : shots_) text += "shot\t" + shot.first + "\t" + OneLine(shot.second) + "\n";
    for (const std::string& n : notes_) text += "note\t" + OneLine(n) + "\n";
    WriteTextFile(folder + id_ + ".entry", text);
    WriteIndex(folder);
}

RECT ParseRect(const std::string& text) {
    RECT r = {0, 0, 0, 0};
    std::sscanf(text.c_str(), "%ld,%ld,%ld,%ld", &r.left, &r.top, &r.right, &r.bottom);
    return r;
}

std::string Field(const std::string& line, const std::string& key) {
    size_t at = line.find("\t" + key + "=");
    if (at == std::string::npos) return std::string();
    at += key.size() + 2;
    return line.substr(at, line.find_first_of("\t\r\n", at) - at);
}

std::string WaitForWindow(DWORD pid, const std::string& cls, DWORD ms) {
    const DWORD start = GetTickCount();
    do {
        std::string out;
        if (Probe(pid, "windows", &out) == 0)
            for (const std::string& line : Split(out, '\n'))
                if (Field(line, "class") == cls) return line;
        Sleep(100);
    } while (GetTickCount() - start < ms);
    return std::string();
}

// A 24-bit bitmap file of one colour.
std::string SolidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b) {
    const int row = (width * 3 + 3) / 4 * 4;
    const unsigned size = 54 + static_cast<unsigned>(row * height);
    std::string bytes(size, '\0');
    auto put32 = [&bytes](size_t at, unsigned v) {
        for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    };
    bytes[0] = 'B';
    bytes[1] = 'M';
    put32(2, size);
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<unsigned>(width));
    put32(22, static_cast<unsigned>(height));
    bytes[26] = 1;
    bytes[28] = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const size_t at = 54 + static_cast<size_t>(y * row + x * 3);
            bytes[at] = static_cast<char>(b);
            bytes[at + 1] = static_cast<char>(g);
            bytes[at + 2] = static_cast<char>(r);
        }
    return bytes;
}

}  // namespace accept
