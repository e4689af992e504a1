// The splash window: the splash bitmap, shown for SplashShowTime or until a
// mouse button or a key is pressed on it. Closing it leaves the popup running.
#include <windows.h>

#include "base/wide_text.h"
#include "settings/settings.h"
#include "splash/splash.h"

SplashState splash;

namespace {

const wchar_t kSplashClassName[] = L"Corvane Splash";
enum { kSplashTimer = 2 };

void RegisterSplashClass(HINSTANCE instance) {
    WNDCLASSEXW splashClass = {};
    splashClass.cbSize = sizeof splashClass;
    splashClass.style = CS_VREDRAW | CS_HREDRAW;
    splashClass.lpfnWndProc = SplashWndProc;
    splashClass.hInstance = instance;
    splashClass.hIcon = LoadIconA(instance, "Corvane");
    splashClass.hIconSm = SmallProgramIcon(instance);
    splashClass.hCursor = LoadCursorA(nullptr, (LPCSTR)IDC_ARROW);
    splashClass.hbrBackground = (HBRUSH)(INT_PTR)(COLOR_WINDOW + 1);
    splashClass.lpszClassName = kSplashClassName;
    RegisterClassExW(&splashClass);
}

}  // namespace

HICON SmallProgramIcon(HINSTANCE instance) {
    return (HICON)LoadImageA(instance, "Corvane", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

void ShowSplash(HWND owner, HINSTANCE instance, POINT at, bool registerClass) {
    if (registerClass) RegisterSplashClass(instance);
    splash.window = CreateWindowExW(0, kSplashClassName, WideArg(settings.Title), WS_POPUP, at.x, at.y,
                                    splash.picture.width, splash.picture.height, owner, nullptr, instance, nullptr);
    ShowWindow(splash.window, SW_SHOW);
    UpdateWindow(splash.window);
    if (settings.SplashOptions & 1) SetWindowPos(splash.window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void PaintSplash(HDC dc) {
    if (splash.picture.Ready())
        BitBlt(dc, 0, 0, splash.picture.width, splash.picture.height, splash.picture.dc, 0, 0, SRCCOPY);
}

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
        if (dc) PaintSplash(dc);
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
