// The splash window: the splash bitmap, shown for SplashShowTime or until a
// mouse button or a key is pressed on it. Closing it leaves the popup running.
#include <windows.h>

#include "app/settings.h"
#include "popup/popup_state.h"
#include "splash/splash.h"

void PaintSplash(HDC dc) {
    if (popup.splashBitmap && popup.splashDC)
        BitBlt(dc, 0, 0, popup.splashWidth, popup.splashHeight, popup.splashDC, 0, 0, SRCCOPY);
}

LRESULT CALLBACK SplashWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE: {
        const UINT period = settings.SplashShowTime > 0 ? (UINT)settings.SplashShowTime : 5000;
        popup.splashTimer = SetTimer(window, kSplashTimer, period, nullptr);
        return 0;
    }
    case WM_DESTROY:
        popup.splashWindow = nullptr;
        if (popup.splashTimer) {
            KillTimer(window, popup.splashTimer);
            popup.splashTimer = 0;
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
        popup.splashTimer = 0;
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
        return DefWindowProcA(window, message, wParam, lParam);
    }
}
