// Owners of the system's handles: each releases its handle the one right way
// when it goes out of scope, so a function can return from anywhere. These
// are the only places that call the release functions.
#pragma once
#include <windows.h>

template <typename Handle, typename Traits>
class Owned {
public:
    constexpr Owned() = default;
    explicit Owned(Handle handle) : h_(handle) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) : h_(other.Release()) {}
    Owned& operator=(Owned&& other) {
        Reset(other.Release());
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    void Reset(Handle handle = Traits::None()) {
        if (handle == h_) return;
        if (Valid()) Traits::Free(h_);
        h_ = handle;
    }
    Handle Release() {
        Handle h = h_;
        h_ = Traits::None();
        return h;
    }
    bool Valid() const { return h_ != nullptr && Traits::Valid(h_); }
    Handle get() const { return h_; }
    operator Handle() const { return h_; }
    // For functions that hand a new handle out through a pointer.
    Handle* Receive() {
        Reset();
        return &h_;
    }

private:
    Handle h_ = Traits::None();
};

// Null is "no handle" for every kind; a kind may know more invalid values.
template <typename Handle>
struct NullIsNone {
    static constexpr Handle None() { return nullptr; }
    static bool Valid(Handle) { return true; }
};
template <typename Handle>
struct GdiTraits : NullIsNone<Handle> {
    static void Free(Handle h) { DeleteObject(h); }
};
struct MemoryDCTraits : NullIsNone<HDC> {
    static void Free(HDC dc) { DeleteDC(dc); }
};
struct RegKeyTraits : NullIsNone<HKEY> {
    static void Free(HKEY key) { RegCloseKey(key); }
};
// A failed CreateFile gives INVALID_HANDLE_VALUE rather than null.
struct KernelTraits : NullIsNone<HANDLE> {
    static bool Valid(HANDLE h) { return h != INVALID_HANDLE_VALUE; }
    static void Free(HANDLE h) { CloseHandle(h); }
};
struct ModuleTraits : NullIsNone<HMODULE> {
    static void Free(HMODULE m) { FreeLibrary(m); }
};
// Texts the system allocated for the caller (FormatMessage's buffer).
struct LocalTraits : NullIsNone<wchar_t*> {
    static void Free(wchar_t* text) { LocalFree(text); }
};

using Font = Owned<HFONT, GdiTraits<HFONT>>;
using Brush = Owned<HBRUSH, GdiTraits<HBRUSH>>;
using Pen = Owned<HPEN, GdiTraits<HPEN>>;
using Bitmap = Owned<HBITMAP, GdiTraits<HBITMAP>>;
using MemoryDC = Owned<HDC, MemoryDCTraits>;
using RegKey = Owned<HKEY, RegKeyTraits>;
using KernelHandle = Owned<HANDLE, KernelTraits>;
using Module = Owned<HMODULE, ModuleTraits>;
using LocalText = Owned<wchar_t*, LocalTraits>;

// A window's device context, released when the scope ends.
class WindowDC {
public:
    explicit WindowDC(HWND window) : window_(window), dc_(GetDC(window)) {}
    ~WindowDC() { Release(); }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    // Gives the context back early, before work that no longer needs it.
    void Release() {
        if (dc_) ReleaseDC(window_, dc_);
        dc_ = nullptr;
    }
    HDC get() const { return dc_; }
    operator HDC() const { return dc_; }

private:
    HWND window_;
    HDC dc_;
};

// An object selected into a context for a scope: what it replaced is selected
// back at the end. A null object selects nothing.
class Selection {
public:
    Selection() = default;
    Selection(HDC dc, HGDIOBJ object) { Select(dc, object); }
    ~Selection() { Restore(); }
    Selection(Selection&& other) : dc_(other.dc_), previous_(other.previous_) { other.dc_ = nullptr; }
    Selection& operator=(Selection&& other) {
        Restore();
        dc_ = other.dc_;
        previous_ = other.previous_;
        other.dc_ = nullptr;
        return *this;
    }
    Selection(const Selection&) = delete;
    Selection& operator=(const Selection&) = delete;

    // False when nothing was selected (no context, no object, or refused).
    bool Select(HDC dc, HGDIOBJ object) {
        Restore();
        if (!dc || !object) return false;
        HGDIOBJ previous = SelectObject(dc, object);
        if (!previous || previous == HGDI_ERROR) return false;
        dc_ = dc;
        previous_ = previous;
        return true;
    }
    void Restore() {
        if (dc_) SelectObject(dc_, previous_);
        dc_ = nullptr;
    }
    bool Active() const { return dc_ != nullptr; }

private:
    HDC dc_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};
