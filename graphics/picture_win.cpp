// Loading a bitmap file named in the settings into a device-dependent bitmap.
// The whole file is read at once and checked before the system sees it, so a
// lying header can never make the system read outside the bytes we hold.
// Pictures in memory contexts, the program's small icon, a window's place.
#include <windows.h>

#include <cstring>

#include "base/wide_text.h"
#include "graphics/bmp_check.h"
#include "graphics/picture.h"
#include "graphics/placement.h"

namespace {

using Bytes = HeapPtr<unsigned char>;

// Beyond the info block the check found, the system may look at three bit
// masks and at up to 256 palette entries whatever the header says; the copy
// it gets is padded with zeros by that much, so it never reads past it.
const size_t kInfoPadding = 12 + 4 * 256;

// Colour-space types of a version-5 header ('LINK', 'MBED', 'sRGB').
const DWORD kProfileLinked = 0x4C494E4B, kProfileEmbedded = 0x4D424544, kSrgb = 0x73524742;

}  // namespace

HBITMAP LoadBitmapFile(HDC dc, const char* path) {
    const KernelHandle file(CreateFileW(WideArg(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return nullptr;
    return LoadBitmapFromHandle(dc, file);
}

HBITMAP LoadBitmapFromHandle(HDC dc, HANDLE file) {
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return nullptr;
    const Bytes bytes = Bytes::Allocate(size);
    if (!bytes) return nullptr;

    DWORD got = 0;
    BmpLayout layout;
    if (!ReadFile(file, bytes.get(), size, &got, nullptr) || got != size || CheckBmp(bytes.get(), size, &layout) != BmpOk)
        return nullptr;

    // The info block sits at an odd place in the file; the system gets an
    // aligned copy of the bytes the check found inside the file, sized to
    // them. An old core header is widened to an ordinary info header (every
    // system takes that) with its colours widened to four bytes.
    const bool core = layout.headerSize == kBmpCoreHeaderSize;
    const size_t found = core ? kBmpInfoHeaderSize + 4 * (size_t)layout.colours : layout.infoSize;
    const Bytes info = Bytes::Allocate(found + kInfoPadding);
    if (!info) return nullptr;
    std::memset(info.get(), 0, found + kInfoPadding);
    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(info.get());
    if (core) {
        header->biSize = sizeof *header;
        header->biWidth = layout.width;
        header->biHeight = layout.height;
        header->biPlanes = 1;
        header->biBitCount = layout.bitCount;
        header->biCompression = BI_RGB;
        const unsigned char* from = bytes.get() + kBmpFileHeaderSize + kBmpCoreHeaderSize;
        RGBQUAD* to = reinterpret_cast<RGBQUAD*>(info.get() + sizeof *header);
        for (uint32_t i = 0; i < layout.colours; ++i) {
            to[i].rgbBlue = from[3 * i];
            to[i].rgbGreen = from[3 * i + 1];
            to[i].rgbRed = from[3 * i + 2];
        }
    } else {
        std::memcpy(info.get(), bytes.get() + kBmpFileHeaderSize, layout.infoSize);
        // A colour profile would be looked for beyond the copy: name none.
        if (layout.headerSize >= sizeof(BITMAPV5HEADER)) {
            BITMAPV5HEADER* v5 = reinterpret_cast<BITMAPV5HEADER*>(info.get());
            if (v5->bV5CSType == kProfileLinked || v5->bV5CSType == kProfileEmbedded) {
                v5->bV5CSType = kSrgb;
                v5->bV5ProfileData = 0;
                v5->bV5ProfileSize = 0;
            }
        }
    }
    return CreateDIBitmap(dc, header, CBM_INIT, bytes.get() + layout.pixelOffset,
                          reinterpret_cast<BITMAPINFO*>(info.get()), DIB_RGB_COLORS);
}

void Picture::Prepare(HDC windowDC, HBITMAP picture) {
    Release();
    bitmap.Reset(picture);
    if (!picture) return;
    dc.Reset(CreateCompatibleDC(windowDC));
    if (!dc.Valid() || !selection.Select(dc, picture)) return;
    SetMapMode(dc, GetMapMode(windowDC));
    BITMAP info;
    if (GetObjectA(picture, sizeof info, &info)) {
        width = info.bmWidth;
        height = info.bmHeight;
    }
}

void Picture::Scale(HDC windowDC, int newWidth, int newHeight) {
    if (!Ready() || width <= 0 || height <= 0 || newWidth <= 0 || newHeight <= 0) return;
    Bitmap scaled(CreateCompatibleBitmap(windowDC, newWidth, newHeight));
    MemoryDC target(CreateCompatibleDC(windowDC));
    Selection selected;
    if (!scaled.Valid() || !target.Valid() || !selected.Select(target, scaled)) return;
    SetStretchBltMode(target, HALFTONE);
    SetBrushOrgEx(target, 0, 0, nullptr);
    StretchBlt(target, 0, 0, newWidth, newHeight, dc, 0, 0, width, height, SRCCOPY);
    selected.Restore();
    Prepare(windowDC, scaled.Release());
}

void Picture::Release() {
    selection.Restore();
    dc.Reset();
    bitmap.Reset();
    width = height = 0;
}

HICON SmallProgramIcon(HINSTANCE instance) {
    return (HICON)LoadImageA(instance, "Corvane", IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                             GetSystemMetrics(SM_CYSMICON), LR_SHARED);
}

void RegisterProgramClass(HINSTANCE instance, const wchar_t* name, WNDPROC procedure, HCURSOR cursor, HBRUSH background) {
    WNDCLASSEXW c = {};
    c.cbSize = sizeof c;
    c.style = CS_VREDRAW | CS_HREDRAW;
    c.lpfnWndProc = procedure;
    c.hInstance = instance;
    c.hIcon = LoadIconA(instance, "Corvane");
    c.hIconSm = SmallProgramIcon(instance);
    c.hCursor = cursor;
    c.hbrBackground = background;
    c.lpszClassName = name;
    RegisterClassExW(&c);
}

POINT PlaceOnScreen(const RECT& workArea, int x, int y, int width, int height) {
    WorkAreaRect area;
    area.left = workArea.left;
    area.top = workArea.top;
    area.right = workArea.right;
    area.bottom = workArea.bottom;
    // An author's numbers were chosen on the author's screen; on a smaller or
    // more scaled one the window would reach past the edge with its buttons.
    const ScreenPoint p = KeepInsideWorkArea(area, PlaceOnWorkArea(area, x, y, width, height), width, height);
    const POINT result = {p.x, p.y};
    return result;
}
