// Loading a bitmap file named in the settings into a device-dependent bitmap.
// The whole file is read at once and checked before the system sees it, so a
// lying header can never make the system read outside the bytes we hold.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "splash/bmp_check.h"
#include "splash/splash.h"

HBITMAP LoadBitmapFile(HDC dc, const char* path) {
    HANDLE file = CreateFileA(AnsiArg(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    HBITMAP result = LoadBitmapFromHandle(dc, file);
    CloseHandle(file);
    return result;
}

HBITMAP LoadBitmapFromHandle(HDC dc, HANDLE file) {
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return nullptr;
    if (size < kBmpFileHeaderSize + 40) return nullptr;  // cannot hold the headers
    unsigned char* bytes = (unsigned char*)malloc(size);
    if (!bytes) return nullptr;

    DWORD got = 0;
    HBITMAP bitmap = nullptr;
    BmpLayout layout;
    if (ReadFile(file, bytes, size, &got, nullptr) && got == size && CheckBmp(bytes, size, &layout) == BmpOk) {
        // The info block sits at an odd place in the file; the system gets an
        // aligned copy of exactly the bytes the check found inside the file.
        union {
            BITMAPINFO info;
            DWORD words[(124 + 12 + 4 * kBmpMaxColours + 3) / 4];
        } aligned;
        memset(&aligned, 0, sizeof aligned);
        if (layout.headerSize == kBmpCoreHeaderSize) {
            // The same picture described by an ordinary info header, which
            // every system takes, with its colours widened to four bytes.
            BITMAPINFOHEADER& header = aligned.info.bmiHeader;
            header.biSize = sizeof header;
            header.biWidth = layout.width;
            header.biHeight = layout.height;
            header.biPlanes = 1;
            header.biBitCount = layout.bitCount;
            header.biCompression = BI_RGB;
            const unsigned char* from = bytes + kBmpFileHeaderSize + kBmpCoreHeaderSize;
            RGBQUAD* to = (RGBQUAD*)((unsigned char*)&aligned + sizeof header);
            for (uint32_t i = 0; i < (layout.infoSize - kBmpCoreHeaderSize) / 3; ++i) {
                to[i].rgbBlue = from[3 * i];
                to[i].rgbGreen = from[3 * i + 1];
                to[i].rgbRed = from[3 * i + 2];
            }
        } else {
            memcpy(&aligned, bytes + kBmpFileHeaderSize, layout.infoSize);
        }
        bitmap = CreateDIBitmap(dc, &aligned.info.bmiHeader, CBM_INIT, bytes + layout.pixelOffset, &aligned.info,
                                DIB_RGB_COLORS);
    }
    free(bytes);
    return bitmap;
}
