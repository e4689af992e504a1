// Helpers of the acceptance suite: a medium mapped to a drive letter, the
// real corvane.exe started from it, the probe that looks at its window, and
// the gallery of screenshots.
//
// The suite observes the program only from outside: its exit code, the spy
// programs' log, the registry and what the probe reports about the window.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace accept {

// ------------------------------------------------------------------ medium

// The desktop on which corvane.exe and the probe run: a virtual desktop of
// 1024x768 that draws frames and captions as a PC does, kept apart from the
// desktop of every other program in the prefix (Wine's per-program setting).
void UseGalleryDesktop();

// A folder standing for a CD: created under Z:\tmp (so its Unix path is
// known) and mapped to a drive letter through Wine's mount manager while it
// lives. The letter is removed and the folder deleted at the end.
class Medium {
public:
    Medium(const char* tag, char letter);
    ~Medium();
    Medium(const Medium&) = delete;
    Medium& operator=(const Medium&) = delete;

    bool Mapped() const { return mapped_; }
    char Letter() const { return letter_; }
    std::string Root() const;                     // "M:\"
    const std::string& Folder() const { return folder_; }  // "Z:\tmp\...\" (trailing backslash)
    // Writes a file on the medium (creating folders); name relative to the root.
    bool Put(const std::string& name, const std::string& content) const;
    // Copies a program from the build's bin folder onto the medium under `name`.
    bool PutProgram(const std::string& name, const char* fromBin = "corvane.exe") const;
    // Removes the drive letter now (the medium is taken out).
    bool Eject();

private:
    char letter_;
    std::string folder_;
    std::string unixFolder_;
    bool mapped_ = false;
};

// Adds (type 5, CD) or removes (type 1) a drive letter through the mount manager.
bool DefineDrive(char letter, const std::string& unixFolder);
bool RemoveDrive(char letter);
// Tells every top-level window that the volume on `letter` went away, as
// Windows does when a disc is taken out (Wine does not do it by itself).
// The probe sends it, from the popup's desktop.
bool BroadcastRemoval(char letter);

// ------------------------------------------------------------------ program

// corvane.exe started with an autorun command line.
class Program {
public:
    Program() = default;
    ~Program();  // ends the process if a test left it running
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;

    bool Start(const std::string& commandLine, const std::string& currentDirectory);
    // Waits for the end; true when it ended within `ms`.
    bool WaitExit(DWORD ms);
    bool Running() const;
    DWORD ExitCode() const;  // STILL_ACTIVE while running
    DWORD Pid() const { return pid_; }
    DWORD ElapsedMs() const { return GetTickCount() - started_; }

private:
    HANDLE process_ = nullptr;
    DWORD pid_ = 0;
    DWORD started_ = 0;
};

// ------------------------------------------------------------------ probe

struct Control {
    int id = 0;
    std::string cls, caption;
    bool visible = false, enabled = false, checked = false, focus = false;
    unsigned long style = 0;
    RECT rect{};
};

struct PopupView {
    bool present = false;
    bool visible = false, unicode = false, topmost = false, iconic = false, zoomed = false;
    std::string title;
    RECT rect{}, work{};
    int clientWidth = 0, clientHeight = 0;
    std::vector<Control> controls;
    const Control* Find(int id) const;
    const Control* Focused() const;
};

// Runs probe.exe with the arguments; its output goes to *out. Returns its exit code (-1 when it did not run).
int Probe(DWORD pid, const std::string& args, std::string* out = nullptr);
PopupView Look(DWORD pid);
// Polls until the popup exists and is visible (or only exists when
// `visible` is false); returns the last view.
PopupView WaitForPopup(DWORD pid, DWORD ms, bool visible = true);
// Polls (every 100 ms, up to `ms`) until `done` holds for the popup's view;
// returns the last view. Clicks and keys reach the popup through its input
// queue, so what they change shows only once the popup's thread has run.
PopupView WaitForView(DWORD pid, bool (*done)(const PopupView&, int), int arg, DWORD ms = 10000);
// The control with id `id` has the focus / is checked (for WaitForView).
bool FocusOn(const PopupView& view, int id);
bool Checked(const PopupView& view, int id);
bool Click(DWORD pid, int id);       // a mouse click on the control
bool MovePointer(int x, int y);      // the mouse pointer moved there (screen coordinates)
// Keys typed into the popup (tab shift+tab return space escape home end ...).
bool Keys(DWORD pid, const std::string& keys);
bool CloseRequest(DWORD pid);

// ------------------------------------------------------------------ screen reader

// The popup or one of its child windows as a screen reader finds it: the
// client object the accessibility runtime gives for the window. Under Wine
// every standard control reports the client role, so the class and the style
// tell what kind of control it is.
struct Accessible {
    bool popup = false;   // the popup itself, else a child window
    bool answered = false;  // the runtime gave an object
    int id = 0;
    std::string cls, name, action;
    unsigned long style = 0, state = 0;
    long role = -1;
    bool focused = false, focusable = false, invisible = false, unavailable = false;
    RECT location{};  // screen coordinates
};
// The popup first, then its children; empty when the process has no popup.
std::vector<Accessible> AccessibleTree(DWORD pid);
const Accessible* FindAccessible(const std::vector<Accessible>& tree, int id);  // a child by control id

// A name change or a focus move in the popup's process, with the accessible
// name and the window text read when the event arrived.
struct WinEvent {
    std::string kind;  // "namechange" or "focus"
    std::string cls, name, text;
    int id = 0;
    long object = 0, child = 0;
};

// Watches the process's events for `ms` from its construction on: the
// constructor returns once the hook is in place (Watching()), so that what
// the test does next is seen. Finish() waits for the end and gives the events.
class EventWatch {
public:
    EventWatch(DWORD pid, DWORD ms);
    ~EventWatch();
    EventWatch(const EventWatch&) = delete;
    EventWatch& operator=(const EventWatch&) = delete;
    bool Watching() const { return watching_; }
    std::vector<WinEvent> Finish();

private:
    DWORD ms_;
    PROCESS_INFORMATION info_{};
    HANDLE output_ = nullptr;
    std::string text_;
    bool started_ = false, watching_ = false;
};

// ------------------------------------------------------------------ pixels

// What is drawn over control `id` (0: the popup's client area), or over
// `part` of it in its client coordinates, read from the screen: the box of
// the pixels that differ from the area's top left corner (client
// coordinates, right and bottom exclusive) and their count.
struct Ink {
    bool read = false;  // the probe could read the area
    RECT box{};
    long count = 0;
    int fullRows = 0;  // rows drawn across nine tenths of the width or more, as an underline is
    unsigned long background = 0;  // 0xRRGGBB
};
Ink InkOf(DWORD pid, int id, const RECT* part = nullptr);

// ------------------------------------------------------------------ PC

// Copies the spy under another name into the folder of programs the PC has
// installed (the build's bin\pc\); returns its full path.
std::string PcProgram(const char* name);
// The file classes a PC has: .htm opens with pc\viewer.exe, type "HTML Document".
void RegisterPcClasses();
// HKCU\Software\QRN\CorvaneCDs value (a UTF-8 name); false when missing. Type and value out.
bool ReadMemory(const std::string& name, DWORD* type, DWORD* value);
void DeleteMemory(const std::string& name);
// Work folder of one test (spy log, hold files), removed by the caller.
std::string WorkFolder(const char* tag);

// ------------------------------------------------------------------ gallery

// One scenario's entry in <build>\acceptance\gallery: screenshots and a line
// of what happened; index.html is written again after every scenario.
class GalleryEntry {
public:
    GalleryEntry(const std::string& id, const std::string& title);
    // Saves the screen as <id>[-n].png; returns the file name ("" on failure).
    std::string Shot(const std::string& caption);
    void Note(const std::string& line) { notes_.push_back(line); }
    // Writes the entry and the index; `passed` is the test's outcome.
    void Finish(bool passed, const std::string& failure);
    static std::string Folder();

private:
    std::string id_, title_;
    std::vector<std::pair<std::string, std::string>> shots_;
    std::vector<std::string> notes_;
};

std::string Format(const char* format, ...);

// A field of one of the probe's tab-separated lines, and a rectangle as it
// writes one ("left,top,right,bottom").
std::string Field(const std::string& line, const std::string& key);
RECT ParseRect(const std::string& text);
// The probe's line of the process's top-level window of class `cls`, polled
// until it exists (empty when it did not appear within `ms`).
std::string WaitForWindow(DWORD pid, const std::string& cls, DWORD ms = 5000);
// A 24-bit bitmap file of one colour.
std::string SolidBmp(int width, int height, unsigned char r, unsigned char g, unsigned char b);

}  // namespace accept
