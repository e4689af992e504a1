// The splash window and its picture.
#include <windows.h>

#include "base/wide_text.h"
#include "graphics/picture.h"
#include "graphics/placement.h"
#include "settings/settings.h"
#include "splash/splash.h"

namespace {

const wchar_t kSplashClassName[] = L"Corvane Splash";
enum { kSplashTimer = 2 };

// The splash of a run.
struct SplashState {
    Picture picture;
    HWND window;
    UINT_PTR timer;
};
SplashState splash;

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const UINT period = settings.SplashShowTime > 0 ? (UINT)settings.SplashShowTime : 5000;
        splash.timer = SetTimer(window, kSplashTimer, period, nullptr);
        return 0;
    }
    case WM_DESTROY:
        splash.window = nullptr;
        if (splash.timer) {
            KillTimer(window, splash.timer);
            splash.timer = 0;
        }
        return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        if (dc && splash.picture.Ready())
            BitBlt(dc, 0, 0, splash.picture.width, splash.picture.height, splash.picture.dc, 0, 0, SRCCOPY);
        EndPaint(window, &paint);
        return 0;
    }
    case WM_TIMER:
        splash.timer = 0;
        DestroyWindow(window);
        return 0;
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        DestroyWindow(window);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

// The picture, scaled for the system DPI like the popup's logo, but no
// further than the work area holds.
bool PreparePicture(HWND owner, const SplashPlace& place) {
    WindowDC dc(owner);
    Picture& picture = splash.picture;
    picture.Prepare(dc, LoadBitmapFile(dc, settings.splash));
    if (!picture.Ready()) return false;
    if (place.dpi == 96) return true;
    const RECT& area = place.workArea;
    const ScreenPoint size =
        ScaledToFit(picture.width, picture.height, place.dpi, area.right - area.left, area.bottom - area.top);
    picture.Scale(dc, size.x, size.y);
    return true;
}

}  // namespace

void ShowSplash(HWND owner, HINSTANCE instance, const SplashPlace& place, bool registerClass) {
    if (!settings.splash[0] || !PreparePicture(owner, place)) return;
    if (registerClass)
        RegisterProgramClass(instance, kSplashClassName, SplashWndProc, LoadCursorA(nullptr, (LPCSTR)IDC_ARROW),
                             (HBRUSH)(INT_PTR)(COLOR_WINDOW + 1));
    const Picture& picture = splash.picture;
    const POINT at =
        PlaceOnScreen(place.workArea, settings.splashPos.x, settings.splashPos.y, picture.width, picture.height);
    splash.window = CreateWindowExW(0, kSplashClassName, WideArg(settings.Title), WS_POPUP, at.x, at.y,
                                    picture.width, picture.height, owner, nullptr, instance, nullptr);
    ShowWindow(splash.window, SW_SHOW);
    UpdateWindow(splash.window);
    if (settings.SplashOptions & 1) SetWindowPos(splash.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void CloseSplash() {
    if (splash.window) DestroyWindow(splash.window);
}

void ReleaseSplash() { splash.picture.Release(); }
