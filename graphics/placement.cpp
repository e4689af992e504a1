#include "graphics/placement.h"

namespace {

int Larger(int a, int b) { return a > b ? a : b; }
int Smaller(int a, int b) { return a < b ? a : b; }

}  // namespace

ScreenPoint PlaceOnWorkArea(const WorkAreaRect& a, int xCode, int y, int width, int height) {
    const int midX = a.left + (a.right - a.left - width) / 2;
    const int midY = a.top + (a.bottom - a.top - height) / 2;
    const int rightX = a.right - width, bottomY = a.bottom - height;
    ScreenPoint p;
    switch (xCode) {
    case PosAbsent:
    case PosCenter: p = {midX, midY}; break;
    case PosTopLeft: p = {a.left, a.top}; break;
    case PosTopRight: p = {rightX, a.top}; break;
    case PosBottomLeft: p = {a.left, bottomY}; break;
    case PosBottomRight: p = {rightX, bottomY}; break;
    case PosTop: p = {midX, a.top}; break;
    case PosBottom: p = {midX, bottomY}; break;
    case PosLeft: p = {a.left, midY}; break;
    case PosRight: p = {rightX, midY}; break;
    default: p = {a.left + xCode, a.top + y}; break;
    }
    return p;
}

ScreenPoint KeepInsideWorkArea(const WorkAreaRect& a, ScreenPoint p, int width, int height) {
    if (p.x + width > a.right) p.x = a.right - width;
    if (p.y + height > a.bottom) p.y = a.bottom - height;
    if (p.x < a.left) p.x = a.left;
    if (p.y < a.top) p.y = a.top;
    return p;
}

// In int: a 64-bit division would bring the C library's helper into the
// 32-bit program; no length on a screen comes near the limit.
int ScaleToDpi(int px, int dpi) {
    if (dpi == 96) return px;
    const int scaled = px * dpi;
    return scaled >= 0 ? (scaled + 48) / 96 : (scaled - 48) / 96;
}

int ScaledMetric(int systemValue, int valueAt96, int dpi) {
    if (dpi <= 96) return systemValue;
    return Larger(systemValue, ScaleToDpi(valueAt96, dpi));
}

ScreenPoint ScaledToFit(int width, int height, int dpi, int areaWidth, int areaHeight) {
    if (dpi > 96 && width > 0 && height > 0) {
        // The DPI at which the picture just fits the area, where that is
        // less (0 for a picture a hundred times the area: it is left as it is).
        dpi = Smaller(dpi, Smaller(areaWidth * 96 / width, areaHeight * 96 / height));
    }
    ScreenPoint size;
    size.x = ScaleToDpi(width, dpi);
    size.y = ScaleToDpi(height, dpi);
    return size;
}
