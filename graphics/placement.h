// Places and sizes on the screen, for the popup and the splash alike: the
// system DPI, and where a window of a given size lands on the work area. Pure
// integer arithmetic, tested without the window system; divisions truncate
// toward zero.
#pragma once

// Position codes of xPos / xSplash.
enum PositionCode {
    PosAbsent = -1, PosCenter = -2, PosTopLeft = -3, PosTopRight = -4, PosBottomLeft = -5, PosBottomRight = -6,
    PosTop = -7, PosBottom = -8, PosLeft = -9, PosRight = -10
};

struct WorkAreaRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};
struct ScreenPoint {
    int x = 0, y = 0;
};

// Screen place of a window width x height for a position code or a number pair
// (x, y) on the work area.
ScreenPoint PlaceOnWorkArea(const WorkAreaRect& area, int xCode, int y, int width, int height);
// The place moved just far enough for the window to lie inside the work area;
// a window larger than the work area shows its top left corner.
ScreenPoint KeepInsideWorkArea(const WorkAreaRect& area, ScreenPoint p, int width, int height);

// --- the system DPI ---
// A length drawn at 96 DPI, for `dpi` (rounded to nearest, as MulDiv rounds).
int ScaleToDpi(int px, int dpi);
// A size from the system's metrics for `dpi`: the system's value, or its
// usual 96-DPI value scaled when the system did not scale its own (Wine does
// not); exactly the system's value at 96 DPI, and never scaled twice.
int ScaledMetric(int systemValue, int valueAt96, int dpi);
// A picture width x height scaled for `dpi`, or scaled less (or down) so
// that it fits an area areaWidth x areaHeight, keeping its proportions; at
// 96 DPI and below every picture stays as it is.
ScreenPoint ScaledToFit(int width, int height, int dpi, int areaWidth, int areaHeight);
