// Probe for the acceptance tests: looks at the popup of a running corvane.exe
// from outside, the way a user sees it, and acts on it the way a user does.
//
//   probe [--pid N] info            the popup and its controls (see below)
//   probe [--pid N] windows         every top-level window (for message boxes)
//   probe [--pid N] boxok           presses OK in the process's message box
//   probe [--pid N] pixels L T R B S  colours of the popup's client area on a grid
//                                   of S pixels: "pixel x y RRGGBB" lines, then
//                                   "pixels N distinct=D"
//   probe [--pid N] click ID        moves the mouse to control ID and clicks it
//   probe [--pid N] press ID        BM_CLICK on control ID (no mouse)
//   probe move X Y                  moves the mouse pointer to X, Y on the screen
//   probe [--pid N] keys K...       brings the popup to the front and types keys:
//                                   tab shift+tab return space escape home end left right
//   probe [--pid N] acc             the popup and each child window as a screen
//                                   reader finds them (see below)
//   probe [--pid N] events MS       watches name changes and focus moves in the
//                                   process for MS milliseconds (see below)
//   probe [--pid N] ink ID [L T R B]  the box of what is drawn over control ID (0:
//                                   the popup's client area), or over L T R B in
//                                   its client coordinates, read from the screen
//   probe [--pid N] close           sends the close request (WM_CLOSE)
//   probe keydown ctrl | keyup ctrl holds or releases Ctrl (input of the session)
//   probe keystate ctrl             what a freshly started process reads for Ctrl
//   probe shot FILE.png             saves the whole screen as a PNG picture
//   probe removed LETTER            tells every window that the volume LETTER: went
//                                   away (WM_DEVICECHANGE), as Windows does when a
//                                   disc is taken out; Wine does not do it by itself
//
// "info" prints tab-separated key=value lines, texts in UTF-8:
//   popup  hwnd= pid= visible= unicode= topmost= iconic= zoomed= title= rect=l,t,r,b client=w,h workarea=l,t,r,b
//          foreground= capture=none|popup|<control id>
//   (windows: window pid= class= title= visible= rect= text= topmost=)
//   control id= class= caption= visible= enabled= checked= focus= style= rect=l,t,r,b   (screen coordinates)
// "acc" prints one line for the popup and one for each child window, from the
// client object that AccessibleObjectFromWindow gives for it:
//   acc window=popup|child hwnd= class= id= style= name= role= state= focused=
//       focusable= invisible= unavailable= action= location=l,t,r,b hr=
//   (role and state numbers as the accessibility API gives them, style in hex)
// "events" prints "watching" once its hook is in place, then for each event
//   event kind=namechange|focus class= id= object= child= name= text=
// with the accessible name and the window text read when the event arrived;
// then "events N".
// "ink" prints "ink box=l,t,r,b count=N fullrows=R background=RRGGBB" (r,b
// exclusive, in the window's client coordinates; the background is the
// colour at the area's top left corner; R rows are drawn across nine tenths
// of the width or more, as an underline is) or "ink none background=RRGGBB".
// Exit code 0 on success, 1 when no popup (window class "Corvane") exists,
// 2 on bad arguments, 3 when the control or the picture could not be handled
// or the popup did not take the keyboard for "keys".
#include <windows.h>
#include <dbt.h>
#include <oleacc.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

DWORD wantedPid = 0;

std::string Utf8(const wchar_t* text, int length = -1) {
    int n = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, &out[0], n, nullptr, nullptr);
    if (length < 0 && !out.empty() && out.back() == '\0') out.pop_back();
    // Tabs and line breaks would break the line format.
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string WindowTextUtf8(HWND window) {
    // Room for the longest status text a scenario makes (a refused target of
    // 5,000 characters and its reason).
    std::vector<wchar_t> text(8192, 0);
    // WM_GETTEXT through SendMessageTimeout: a hung popup must not hang the probe.
    DWORD_PTR got = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                        2000, &got);
    text.back() = 0;
    return Utf8(text.data());
}

std::string ClassName(HWND window) {
    wchar_t name[256];
    int n = GetClassNameW(window, name, 256);
    return n > 0 ? Utf8(name, n) : std::string();
}

std::string RectText(const RECT& r) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    return buffer;
}

bool OfWantedProcess(HWND window) {
    if (!wantedPid) return true;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    return pid == wantedPid;
}

HWND FindPopup() {
    HWND found = nullptr;
    for (HWND w = FindWindowExW(nullptr, nullptr, L"Corvane", nullptr); w;
         w = FindWindowExW(nullptr, w, L"Corvane", nullptr)) {
        if (OfWantedProcess(w)) {
            found = w;
            break;
        }
    }
    return found;
}

GUITHREADINFO ThreadInfo(HWND popup) {
    GUITHREADINFO info;
    std::memset(&info, 0, sizeof info);
    info.cbSize = sizeof info;
    DWORD thread = GetWindowThreadProcessId(popup, nullptr);
    if (!GetGUIThreadInfo(thread, &info)) std::memset(&info, 0, sizeof info);
    return info;
}

// Who holds the mouse capture in the popup's thread: "none", "popup" or a control id.
std::string CaptureText(HWND popup, HWND capture) {
    if (!capture) return "none";
    if (capture == popup) return "popup";
    char id[32];
    std::snprintf(id, sizeof id, "%ld", static_cast<long>(GetDlgCtrlID(capture)));
    return id;
}

struct ChildList {
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectChild(HWND child, LPARAM context) {
    reinterpret_cast<ChildList*>(context)->windows.push_back(child);
    return TRUE;
}

int Info() {
    HWND popup = FindPopup();
    if (!popup) {
        std::printf("nopopup\n");
        return 1;
    }
    DWORD pid = 0;
    GetWindowThreadProcessId(popup, &pid);
    // Visibility first: a popup seen visible is laid out, so the places read
    // after it are its final ones, never those of its hidden creation.
    const bool visible = IsWindowVisible(popup) != FALSE;
    RECT rect, client, work;
    GetWindowRect(popup, &rect);
    GetClientRect(popup, &client);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    LONG exStyle = GetWindowLongW(popup, GWL_EXSTYLE);
    const GUITHREADINFO thread = ThreadInfo(popup);
    std::printf("popup\thwnd=%p\tpid=%lu\tvisible=%d\tunicode=%d\ttopmost=%d\ticonic=%d\tzoomed=%d\ttitle=%s\trect=%s"
                "\tclient=%ld,%ld\tworkarea=%s\tforeground=%d\tcapture=%s\n",
                static_cast<void*>(popup), pid, visible ? 1 : 0, IsWindowUnicode(popup) ? 1 : 0,
                (exStyle & WS_EX_TOPMOST) ? 1 : 0, IsIconic(popup) ? 1 : 0, IsZoomed(popup) ? 1 : 0,
                WindowTextUtf8(popup).c_str(), RectText(rect).c_str(), client.right, client.bottom,
                RectText(work).c_str(), GetForegroundWindow() == popup ? 1 : 0,
                CaptureText(popup, thread.hwndCapture).c_str());
    HWND focus = thread.hwndFocus;
    ChildList children;
    EnumChildWindows(popup, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children.windows) {
        RECT r;
        GetWindowRect(child, &r);
        LONG style = GetWindowLongW(child, GWL_STYLE);
        DWORD_PTR check = 0;
        SendMessageTimeoutW(child, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 2000, &check);
        std::printf("control\tid=%ld\tclass=%s\tcaption=%s\tvisible=%d\tenabled=%d\tchecked=%d\tfocus=%d\tstyle=0x%08lx"
                    "\trect=%s\n",
                    static_cast<long>(GetDlgCtrlID(child)), ClassName(child).c_str(), WindowTextUtf8(child).c_str(),
                    IsWindowVisible(child) ? 1 : 0, IsWindowEnabled(child) ? 1 : 0, check == BST_CHECKED ? 1 : 0,
                    child == focus ? 1 : 0, static_cast<unsigned long>(style), RectText(r).c_str());
    }
    return 0;
}

BOOL CALLBACK PrintTopLevel(HWND window, LPARAM) {
    if (!OfWantedProcess(window)) return TRUE;
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    RECT r;
    GetWindowRect(window, &r);
    std::string text;
    // A message box's text is its static control 0xFFFF.
    HWND message = GetDlgItem(window, 0xFFFF);
    if (message) text = WindowTextUtf8(message);
    const bool topmost = (GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    std::printf("window\tpid=%lu\tclass=%s\ttitle=%s\tvisible=%d\trect=%s\ttext=%s\ttopmost=%d\n", pid,
                ClassName(window).c_str(), WindowTextUtf8(window).c_str(), IsWindowVisible(window) ? 1 : 0,
                RectText(r).c_str(), text.c_str(), topmost ? 1 : 0);
    return TRUE;
}

// Presses OK (BM_CLICK) in the message box of the wanted process.
int PressBoxOk() {
    for (HWND w = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); w; w = FindWindowExW(nullptr, w, L"#32770", nullptr)) {
        if (!OfWantedProcess(w)) continue;
        HWND ok = GetDlgItem(w, IDOK);
        if (!ok) continue;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutW(ok, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored);
        std::printf("boxok\n");
        return 0;
    }
    return 3;
}

// The colours of the popup's client area in a rectangle, read from the screen
// as drawn, on a grid of `step` pixels: "pixels N distinct=D" and one line
// "pixel x y RRGGBB" for each sample.
int Pixels(HWND popup, int left, int top, int right, int bottom, int step) {
    if (step <= 0 || right <= left || bottom <= top) return 2;
    HDC dc = GetDC(popup);
    if (!dc) return 3;
    std::vector<COLORREF> seen;
    int count = 0;
    for (int y = top; y < bottom; y += step) {
        for (int x = left; x < right; x += step) {
            const COLORREF c = GetPixel(dc, x, y);
            std::printf("pixel %d %d %02X%02X%02X\n", x, y, GetRValue(c), GetGValue(c), GetBValue(c));
            bool known = false;
            for (COLORREF k : seen) known = known || k == c;
            if (!known) seen.push_back(c);
            ++count;
        }
    }
    ReleaseDC(popup, dc);
    std::printf("pixels %d distinct=%d\n", count, static_cast<int>(seen.size()));
    return 0;
}

// True when the popup's own thread has taken the activation and the focus
// sits in the popup: only then do typed keys reach the popup's controls.
// SetForegroundWindow changes the foreground at once, but the popup's thread
// activates itself only when it next runs, which on a loaded machine is later.
bool HasKeyboard(HWND popup) {
    if (GetForegroundWindow() != popup) return false;
    const GUITHREADINFO info = ThreadInfo(popup);
    return info.hwndActive == popup && info.hwndFocus && (info.hwndFocus == popup || IsChild(popup, info.hwndFocus));
}

// Brings the popup to the front and waits (at most 5 s) until it has the
// keyboard; false when it never got it.
bool BringToFront(HWND popup) {
    // A background process may not take the foreground; a synthetic Alt
    // press lets SetForegroundWindow through, as on Windows.
    if (GetForegroundWindow() != popup) {
        INPUT alt[2];
        std::memset(alt, 0, sizeof alt);
        alt[0].type = alt[1].type = INPUT_KEYBOARD;
        alt[0].ki.wVk = alt[1].ki.wVk = VK_MENU;
        alt[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, alt, sizeof(INPUT));
        SetForegroundWindow(popup);
    }
    const DWORD start = GetTickCount();
    while (!HasKeyboard(popup)) {
        if (GetTickCount() - start >= 5000) return false;
        if (GetForegroundWindow() != popup) SetForegroundWindow(popup);
        Sleep(10);
    }
    return true;
}

int Click(HWND popup, int id, bool mouse) {
    HWND control = GetDlgItem(popup, id);
    if (!control) {
        std::printf("nocontrol %d\n", id);
        return 3;
    }
    if (!mouse) {
        // BM_CLICK is handled inside the popup's thread; a button that closes
        // the popup returns only after the close, so allow for it.
        DWORD_PTR result = 0;
        SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_NORMAL, 10000, &result);
        std::printf("pressed %d\n", id);
        return 0;
    }
    BringToFront(popup);  // a click activates the popup anyway: go on without the keyboard
    RECT r;
    GetWindowRect(control, &r);
    const int x = (r.left + r.right) / 2, y = (r.top + r.bottom) / 2;
    // Every event carries the absolute position: a down event after a bare
    // SetCursorPos may still be delivered at the old pointer position.
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    const LONG ax = static_cast<LONG>((x * 65536LL + sw / 2) / sw), ay = static_cast<LONG>((y * 65536LL + sh / 2) / sh);
    const DWORD flags[3] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    for (int i = 0; i < 3; ++i) {
        INPUT input;
        std::memset(&input, 0, sizeof input);
        input.type = INPUT_MOUSE;
        input.mi.dx = ax;
        input.mi.dy = ay;
        input.mi.dwFlags = flags[i] | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        SendInput(1, &input, sizeof(INPUT));
        Sleep(i == 0 ? 80 : 50);
    }
    Sleep(50);
    std::printf("clicked %d at %d,%d\n", id, x, y);
    return 0;
}

// The pointer moved as a hand moves it: real input, in the absolute units
// every event carries.
int Move(int x, int y) {
    const int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    INPUT input;
    std::memset(&input, 0, sizeof input);
    input.type = INPUT_MOUSE;
    input.mi.dx = static_cast<LONG>((x * 65536LL + sw / 2) / sw);
    input.mi.dy = static_cast<LONG>((y * 65536LL + sh / 2) / sh);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof(INPUT));
    Sleep(80);
    POINT at;
    GetCursorPos(&at);
    std::printf("moved to %ld,%ld\n", at.x, at.y);
    return 0;
}

void Key(WORD vk, bool up) {
    INPUT in;
    std::memset(&in, 0, sizeof in);
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &in, sizeof(INPUT));
}

WORD KeyCode(const std::string& name) {
    if (name == "tab") return VK_TAB;
    if (name == "return" || name == "enter") return VK_RETURN;
    if (name == "space") return VK_SPACE;
    if (name == "escape" || name == "esc") return VK_ESCAPE;
    if (name == "home") return VK_HOME;
    if (name == "end") return VK_END;
    if (name == "left") return VK_LEFT;
    if (name == "right") return VK_RIGHT;
    if (name == "up") return VK_UP;
    if (name == "down") return VK_DOWN;
    if (name == "pageup") return VK_PRIOR;
    if (name == "pagedown") return VK_NEXT;
    if (name == "ctrl") return VK_CONTROL;
    if (name == "shift") return VK_SHIFT;
    return 0;
}

int Keys(HWND popup, int count, char** names) {
    // Keys typed while another window has the keyboard would be lost.
    if (!BringToFront(popup)) {
        std::printf("nokeyboard\n");
        return 3;
    }
    for (int i = 0; i < count; ++i) {
        std::string name = names[i];
        bool shift = name.compare(0, 6, "shift+") == 0;
        WORD vk = KeyCode(shift ? name.substr(6) : name);
        if (!vk) {
            std::printf("badkey %s\n", name.c_str());
            return 2;
        }
        if (shift) Key(VK_SHIFT, false);
        Key(vk, false);
        Sleep(30);
        Key(vk, true);
        if (shift) Key(VK_SHIFT, true);
        Sleep(120);
    }
    std::printf("typed %d\n", count);
    return 0;
}

// ---------------------------------------------------------------- accessibility
// What a screen reader finds: it asks each window for its client object.
// The client objects the popup's own accChild gives are stubs under Wine, so
// each child window is asked for its own.

// IID_IAccessible spelt out: MinGW's liboleacc.a gives an import stub in its
// place, and the accessibility runtime then answers E_NOINTERFACE.
const GUID kAccessibleIid = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

std::string BstrUtf8(BSTR text) {
    if (!text) return std::string();
    std::string out = Utf8(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return out;
}

VARIANT Self() {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

struct AccFacts {
    HRESULT hr = E_FAIL;
    std::string name, action, location;
    long role = -1;
    unsigned long state = 0;
};

AccFacts ReadAccessible(IAccessible* acc, VARIANT child) {
    AccFacts f;
    f.hr = S_OK;
    BSTR text = nullptr;
    if (acc->get_accName(child, &text) == S_OK) f.name = BstrUtf8(text);
    VARIANT v;
    VariantInit(&v);
    if (acc->get_accRole(child, &v) == S_OK && v.vt == VT_I4) f.role = v.lVal;
    VariantClear(&v);
    if (acc->get_accState(child, &v) == S_OK && v.vt == VT_I4) f.state = static_cast<unsigned long>(v.lVal);
    VariantClear(&v);
    text = nullptr;
    if (acc->get_accDefaultAction(child, &text) == S_OK) f.action = BstrUtf8(text);
    long x = 0, y = 0, w = 0, h = 0;
    if (acc->accLocation(&x, &y, &w, &h, child) == S_OK) {
        RECT r = {x, y, x + w, y + h};
        f.location = RectText(r);
    }
    return f;
}

void PrintAccessible(HWND window, const char* kind) {
    IAccessible* acc = nullptr;
    AccFacts f;
    f.hr = AccessibleObjectFromWindow(window, static_cast<DWORD>(OBJID_CLIENT), kAccessibleIid,
                                      reinterpret_cast<void**>(&acc));
    if (SUCCEEDED(f.hr) && acc) {
        f = ReadAccessible(acc, Self());
        acc->Release();
    }
    std::printf("acc\twindow=%s\thwnd=%p\tclass=%s\tid=%ld\tstyle=0x%08lx\tname=%s\trole=%ld\tstate=0x%lx\tfocused=%d"
                "\tfocusable=%d\tinvisible=%d\tunavailable=%d\taction=%s\tlocation=%s\thr=0x%08lx\n",
                kind, static_cast<void*>(window), ClassName(window).c_str(), static_cast<long>(GetDlgCtrlID(window)),
                static_cast<unsigned long>(GetWindowLongW(window, GWL_STYLE)), f.name.c_str(), f.role, f.state,
                (f.state & STATE_SYSTEM_FOCUSED) ? 1 : 0, (f.state & STATE_SYSTEM_FOCUSABLE) ? 1 : 0,
                (f.state & STATE_SYSTEM_INVISIBLE) ? 1 : 0, (f.state & STATE_SYSTEM_UNAVAILABLE) ? 1 : 0,
                f.action.c_str(), f.location.c_str(), static_cast<unsigned long>(f.hr));
}

int Accessibility(HWND popup) {
    PrintAccessible(popup, "popup");
    ChildList children;
    EnumChildWindows(popup, CollectChild, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children.windows) PrintAccessible(child, "child");
    return 0;
}

int eventCount = 0;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    if (!window || !OfWantedProcess(window)) return;
    std::string name = "?";
    IAccessible* acc = nullptr;
    VARIANT which;
    VariantInit(&which);
    if (AccessibleObjectFromEvent(window, static_cast<DWORD>(object), static_cast<DWORD>(child), &acc,
                                  &which) == S_OK && acc) {
        BSTR text = nullptr;
        name = acc->get_accName(which, &text) == S_OK ? BstrUtf8(text) : std::string();
        acc->Release();
        VariantClear(&which);
    }
    std::printf("event\tkind=%s\tclass=%s\tid=%ld\tobject=%ld\tchild=%ld\tname=%s\ttext=%s\n",
                event == EVENT_OBJECT_NAMECHANGE ? "namechange" : "focus", ClassName(window).c_str(),
                static_cast<long>(GetDlgCtrlID(window)), static_cast<long>(object), static_cast<long>(child),
                name.c_str(), WindowTextUtf8(window).c_str());
    std::fflush(stdout);
    ++eventCount;
}

// Out-of-context hooks are called from this thread's message loop, so it
// keeps pumping for the whole time. The hooks take every process: Wine
// delivers nothing to a hook given a process id, so the callback picks the
// wanted process by the event's window.
int WatchEvents(DWORD ms) {
    const DWORD flags = WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS;
    HWINEVENTHOOK names = SetWinEventHook(EVENT_OBJECT_NAMECHANGE, EVENT_OBJECT_NAMECHANGE, nullptr, OnWinEvent, 0, 0,
                                          flags);
    HWINEVENTHOOK focus = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_FOCUS, nullptr, OnWinEvent, 0, 0, flags);
    if (!names || !focus) {
        std::printf("nohook\n");
        return 3;
    }
    std::printf("watching\n");
    std::fflush(stdout);
    const DWORD start = GetTickCount();
    for (DWORD passed = 0; passed < ms; passed = GetTickCount() - start) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    }
    UnhookWinEvent(names);
    UnhookWinEvent(focus);
    std::printf("events %d\n", eventCount);
    return 0;
}

// A copy of a screen rectangle, top-down rows of 0x00RRGGBB; empty when the
// screen could not be read.
std::vector<DWORD> CaptureScreen(int left, int top, int width, int height) {
    std::vector<DWORD> pixels;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO bi;
    std::memset(&bi, 0, sizeof bi);
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = width;
    bi.bmiHeader.biHeight = -height;  // top-down rows
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    bi.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP dib = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dib && bits) {
        HGDIOBJ old = SelectObject(memory, dib);
        BitBlt(memory, 0, 0, width, height, screen, left, top, SRCCOPY | CAPTUREBLT);
        GdiFlush();
        const DWORD* p = static_cast<const DWORD*>(bits);
        pixels.assign(p, p + static_cast<size_t>(width) * height);
        SelectObject(memory, old);
    }
    if (dib) DeleteObject(dib);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// The box of the pixels that differ from the area's top left corner, read
// from the screen as drawn (controls included, which a DC of the popup would
// clip away).
int Ink(HWND popup, int id, const RECT* part) {
    HWND window = popup;
    if (id != 0 && !(window = GetDlgItem(popup, id))) {
        std::printf("nocontrol %d\n", id);
        return 3;
    }
    RECT area;
    GetClientRect(window, &area);
    if (part) IntersectRect(&area, &area, part);
    // Only what is on the screen can be read: a window that runs off it is
    // measured over its visible part.
    POINT corner = {0, 0};
    ClientToScreen(window, &corner);
    RECT screenArea = {-corner.x, -corner.y, GetSystemMetrics(SM_CXSCREEN) - corner.x,
                       GetSystemMetrics(SM_CYSCREEN) - corner.y};
    IntersectRect(&area, &area, &screenArea);
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return 2;
    POINT origin = {area.left, area.top};
    ClientToScreen(window, &origin);
    const std::vector<DWORD> pixels = CaptureScreen(origin.x, origin.y, width, height);
    if (pixels.empty()) return 3;
    const DWORD background = pixels[0] & 0xFFFFFF;
    RECT box = {width, height, 0, 0};
    long count = 0;
    int fullRows = 0;  // rows drawn across nine tenths of the width or more: lines, not letters
    for (int y = 0; y < height; ++y) {
        int inRow = 0;
        for (int x = 0; x < width; ++x) {
            if ((pixels[y * width + x] & 0xFFFFFF) == background) continue;
            ++inRow;
            if (x < box.left) box.left = x;
            if (y < box.top) box.top = y;
            if (x + 1 > box.right) box.right = x + 1;
            if (y + 1 > box.bottom) box.bottom = y + 1;
        }
        count += inRow;
        if (inRow * 10 >= width * 9) ++fullRows;
    }
    if (count == 0) {
        std::printf("ink none\tbackground=%06lX\n", static_cast<unsigned long>(background));
        return 0;
    }
    OffsetRect(&box, area.left, area.top);
    std::printf("ink\tbox=%s\tcount=%ld\tfullrows=%d\tbackground=%06lX\n", RectText(box).c_str(), count, fullRows,
                static_cast<unsigned long>(background));
    return 0;
}

// ---------------------------------------------------------------- PNG
// A small encoder: each row filtered with "Up", compressed with fixed-code
// deflate using back-references of distance 1 and 3 (flat screen areas
// become long runs), so a mostly plain 1024x768 screen stays small.

struct BitWriter {
    std::string out;
    unsigned long buffer = 0;
    int count = 0;
    void Bits(unsigned value, int n) {  // least significant bit first
        buffer |= static_cast<unsigned long>(value) << count;
        count += n;
        while (count >= 8) {
            out.push_back(static_cast<char>(buffer & 0xFF));
            buffer >>= 8;
            count -= 8;
        }
    }
    void Code(unsigned code, int n) {  // Huffman codes go most significant bit first
        unsigned reversed = 0;
        for (int i = 0; i < n; ++i) reversed |= ((code >> i) & 1u) << (n - 1 - i);
        Bits(reversed, n);
    }
    void Flush() {
        if (count > 0) out.push_back(static_cast<char>(buffer & 0xFF));
        buffer = 0;
        count = 0;
    }
};

void LiteralOrLength(BitWriter& w, unsigned symbol) {
    if (symbol < 144) w.Code(0x30 + symbol, 8);
    else if (symbol < 256) w.Code(0x190 + symbol - 144, 9);
    else if (symbol < 280) w.Code(symbol - 256, 7);
    else w.Code(0xC0 + symbol - 280, 8);
}

void Match(BitWriter& w, unsigned length, unsigned distanceCode) {
    static const unsigned base[] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
    static const int extra[] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
    int i = 28;
    while (base[i] > length) --i;
    LiteralOrLength(w, 257 + i);
    if (extra[i]) w.Bits(length - base[i], extra[i]);
    w.Code(distanceCode, 5);  // distance 1 is code 0, distance 3 is code 2, no extra bits
}

std::string Deflate(const std::string& data) {
    BitWriter w;
    w.Bits(1, 1);  // final block
    w.Bits(1, 2);  // fixed codes
    const size_t n = data.size();
    size_t i = 0;
    while (i < n) {
        size_t best = 0;
        unsigned bestCode = 0;
        const size_t distances[2] = {1, 3};
        for (int d = 0; d < 2; ++d) {
            size_t dist = distances[d];
            if (i < dist) continue;
            size_t len = 0;
            while (len < 258 && i + len < n && data[i + len] == data[i + len - dist]) ++len;
            if (len > best) {
                best = len;
                bestCode = d == 0 ? 0 : 2;
            }
        }
        if (best >= 3) {
            Match(w, static_cast<unsigned>(best), bestCode);
            i += best;
        } else {
            LiteralOrLength(w, static_cast<unsigned char>(data[i]));
            ++i;
        }
    }
    LiteralOrLength(w, 256);
    w.Flush();
    unsigned long a = 1, b = 0;
    for (unsigned char c : data) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    unsigned long adler = (b << 16) | a;
    std::string z;
    z.push_back(0x78);
    z.push_back(0x01);
    z += w.out;
    for (int s = 24; s >= 0; s -= 8) z.push_back(static_cast<char>((adler >> s) & 0xFF));
    return z;
}

unsigned long Crc(const std::string& bytes) {
    static unsigned long table[256];
    static bool ready = false;
    if (!ready) {
        for (unsigned long n = 0; n < 256; ++n) {
            unsigned long c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320UL ^ (c >> 1) : c >> 1;
            table[n] = c;
        }
        ready = true;
    }
    unsigned long c = 0xFFFFFFFFUL;
    for (unsigned char ch : bytes) c = table[(c ^ ch) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFUL;
}

void BigEndian(std::string& out, unsigned long v) {
    for (int s = 24; s >= 0; s -= 8) out.push_back(static_cast<char>((v >> s) & 0xFF));
}

void Chunk(std::string& png, const char* type, const std::string& body) {
    BigEndian(png, static_cast<unsigned long>(body.size()));
    std::string typed = std::string(type, 4) + body;
    png += typed;
    BigEndian(png, Crc(typed));
}

int Shot(const char* path) {
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    if (width <= 0 || height <= 0) return 3;
    const std::vector<DWORD> pixels = CaptureScreen(0, 0, width, height);
    if (pixels.empty()) return 3;
    std::string raw;
    raw.reserve((static_cast<size_t>(width) * 3 + 1) * height);
    std::vector<unsigned char> previous(static_cast<size_t>(width) * 3, 0), row(static_cast<size_t>(width) * 3);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const DWORD v = pixels[static_cast<size_t>(y) * width + x];
            row[x * 3] = static_cast<unsigned char>(v >> 16);
            row[x * 3 + 1] = static_cast<unsigned char>(v >> 8);
            row[x * 3 + 2] = static_cast<unsigned char>(v);
        }
        raw.push_back(2);  // filter "Up"
        for (size_t k = 0; k < row.size(); ++k) raw.push_back(static_cast<char>(row[k] - previous[k]));
        previous = row;
    }

    std::string png("\x89PNG\r\n\x1a\n", 8);
    std::string header;
    BigEndian(header, static_cast<unsigned long>(width));
    BigEndian(header, static_cast<unsigned long>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, standard filters, no interlace
    Chunk(png, "IHDR", header);
    Chunk(png, "IDAT", Deflate(raw));
    Chunk(png, "IEND", std::string());
    FILE* f = std::fopen(path, "wb");
    if (!f) return 3;
    bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
    ok = std::fclose(f) == 0 && ok;
    std::printf("shot %s %dx%d %lu bytes\n", path, width, height, static_cast<unsigned long>(png.size()));
    return ok ? 0 : 3;
}

// Runs on the popup's desktop, so the broadcast reaches the popup.
int BroadcastRemoval(char letter) {
    letter = static_cast<char>(letter | 0x20);
    if (letter < 'a' || letter > 'z') return 2;
    DEV_BROADCAST_VOLUME volume;
    std::memset(&volume, 0, sizeof volume);
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (letter - 'a');
    volume.dbcv_flags = DBTF_MEDIA;
    DWORD recipients = BSM_APPLICATIONS;
    long result = BroadcastSystemMessageW(BSF_FORCEIFHUNG | BSF_QUERY, &recipients, WM_DEVICECHANGE,
                                          DBT_DEVICEREMOVECOMPLETE, reinterpret_cast<LPARAM>(&volume));
    std::printf("removed %c: broadcast %ld\n", letter, result);
    return result > 0 ? 0 : 3;
}

int Usage() {
    std::printf("usage: probe [--pid N] info|windows|boxok|pixels L T R B S|click ID|press ID|keys K...|close|acc|events MS|"
                "ink ID [L T R B]|move X Y|keydown K|keyup K|keystate K|shot FILE|removed LETTER\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    CoInitialize(nullptr);
    int a = 1;
    if (a + 1 < argc && std::strcmp(argv[a], "--pid") == 0) {
        wantedPid = static_cast<DWORD>(std::strtoul(argv[a + 1], nullptr, 10));
        a += 2;
    }
    if (a >= argc) return Usage();
    const std::string command = argv[a];
    int result = 2;
    if (command == "info") {
        result = Info();
    } else if (command == "windows") {
        EnumWindows(PrintTopLevel, 0);
        result = 0;
    } else if (command == "boxok") {
        result = PressBoxOk();
    } else if (command == "shot" && a + 1 < argc) {
        result = Shot(argv[a + 1]);
    } else if (command == "events" && a + 1 < argc) {
        // Watching starts before the popup exists: the process is enough.
        result = WatchEvents(static_cast<DWORD>(std::strtoul(argv[a + 1], nullptr, 10)));
    } else if (command == "move" && a + 2 < argc) {
        result = Move(std::atoi(argv[a + 1]), std::atoi(argv[a + 2]));
    } else if (command == "removed" && a + 1 < argc) {
        result = BroadcastRemoval(argv[a + 1][0]);
    } else if (command == "keystate" && a + 1 < argc) {
        // Read first thing, as a program does at its start.
        WORD vk = KeyCode(argv[a + 1]);
        if (vk) {
            SHORT state = GetKeyState(vk), async = GetAsyncKeyState(vk);
            std::printf("keystate %s held=%d async=%d\n", argv[a + 1], state < 0 ? 1 : 0, async < 0 ? 1 : 0);
            result = 0;
        }
    } else if ((command == "keydown" || command == "keyup") && a + 1 < argc) {
        WORD vk = KeyCode(argv[a + 1]);
        if (vk) {
            Key(vk, command == "keyup");
            std::printf("%s %s\n", command.c_str(), argv[a + 1]);
            result = 0;
        }
    } else {
        HWND popup = FindPopup();
        if (!popup) {
            std::printf("nopopup\n");
            result = 1;
        } else if ((command == "click" || command == "press") && a + 1 < argc) {
            result = Click(popup, std::atoi(argv[a + 1]), command == "click");
        } else if (command == "pixels" && a + 5 < argc) {
            result = Pixels(popup, std::atoi(argv[a + 1]), std::atoi(argv[a + 2]), std::atoi(argv[a + 3]),
                            std::atoi(argv[a + 4]), std::atoi(argv[a + 5]));
        } else if (command == "keys" && a + 1 < argc) {
            result = Keys(popup, argc - a - 1, argv + a + 1);
        } else if (command == "acc") {
            result = Accessibility(popup);
        } else if (command == "ink" && (a + 2 == argc || a + 6 == argc)) {
            RECT part = {0, 0, 0, 0};
            if (a + 6 == argc)
                part = {std::atoi(argv[a + 2]), std::atoi(argv[a + 3]), std::atoi(argv[a + 4]), std::atoi(argv[a + 5])};
            result = Ink(popup, std::atoi(argv[a + 1]), a + 6 == argc ? &part : nullptr);
        } else if (command == "close") {
            PostMessageW(popup, WM_CLOSE, 0, 0);
            std::printf("closed\n");
            result = 0;
        } else {
            result = Usage();
        }
    }
    std::fflush(stdout);
    return result;
}
