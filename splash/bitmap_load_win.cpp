// Loading a bitmap file named in the settings into a device-dependent bitmap.
// The whole file is read at once and checked before the system sees it, so a
// lying header can never make the system read outside the bytes we hold.
#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "app/ansi_text.h"
#include "splash/bmp_check.h"
#include "splash/splash.h"

namespace {

// A malloc'd block owned by one scope.
struct HeapBlock {
    unsigned char* bytes;
    explicit HeapBlock(size_t size) : bytes(static_cast<unsigned char*>(std::malloc(size ? size : 1))) {}
    ~HeapBlock() { std::free(bytes); }
    HeapBlock(const HeapBlock&) = delete;
    HeapBlock& operator=(const HeapBlock&) = delete;
};

struct FileHandle {
    HANDLE handle;
    explicit FileHandle(HANDLE h) : handle(h) {}
    ~FileHandle() {
        if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
};

// Beyond the info block the check found, the system may look at three bit
// masks and at up to 256 palette entries whatever the header says; the copy
// it gets is padded with zeros by that much, so it never reads past it.
const size_t kInfoPadding = 12 + 4 * 256;

// Colour-space types of a version-5 header ('LINK', 'MBED', 'sRGB').
const DWORD kProfileLinked = 0x4C494E4B, kProfileEmbedded = 0x4D424544, kSrgb = 0x73524742;

}  // namespace

HBITMAP LoadBitmapFile(HDC dc, const char* path) {
    FileHandle file(CreateFileA(AnsiArg(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.handle == INVALID_HANDLE_VALUE) return nullptr;
    return LoadBitmapFromHandle(dc, file.handle);
}

HBITMAP LoadBitmapFromHandle(HDC dc, HANDLE file) {
    const DWORD size = GetFileSize(file, nullptr);
    if (size == INVALID_FILE_SIZE) return nullptr;
    HeapBlock bytes(size);
    if (!bytes.bytes) return nullptr;

    DWORD got = 0;
    BmpLayout layout;
    if (!ReadFile(file, bytes.bytes, size, &got, nullptr) || got != size || CheckBmp(bytes.bytes, size, &layout) != BmpOk)
        return nullptr;

    // The info block sits at an odd place in the file; the system gets an
    // aligned copy of the bytes the check found inside the file, sized to
    // them. An old core header is widened to an ordinary info header (every
    // system takes that) with its colours widened to four bytes.
    const bool core = layout.headerSize == kBmpCoreHeaderSize;
    const size_t found = core ? kBmpInfoHeaderSize + 4 * (size_t)layout.colours : layout.infoSize;
    HeapBlock info(found + kInfoPadding);
    if (!info.bytes) return nullptr;
    std::memset(info.bytes, 0, found + kInfoPadding);
    BITMAPINFOHEADER* header = reinterpret_cast<BITMAPINFOHEADER*>(info.bytes);
    if (core) {
        header->biSize = sizeof *header;
        header->biWidth = layout.width;
        header->biHeight = layout.height;
        header->biPlanes = 1;
        header->biBitCount = layout.bitCount;
        header->biCompression = BI_RGB;
        const unsigned char* from = bytes.bytes + kBmpFileHeaderSize + kBmpCoreHeaderSize;
        RGBQUAD* to = reinterpret_cast<RGBQUAD*>(info.bytes + sizeof *header);
        for (uint32_t i = 0; i < layout.colours; ++i) {
            to[i].rgbBlue = from[3 * i];
            to[i].rgbGreen = from[3 * i + 1];
            to[i].rgbRed = from[3 * i + 2];
        }
    } else {
        std::memcpy(info.bytes, bytes.bytes + kBmpFileHeaderSize, layout.infoSize);
        // A colour profile would be looked for beyond the copy: name none.
        if (layout.headerSize >= sizeof(BITMAPV5HEADER)) {
            BITMAPV5HEADER* v5 = reinterpret_cast<BITMAPV5HEADER*>(info.bytes);
            if (v5->bV5CSType == kProfileLinked || v5->bV5CSType == kProfileEmbedded) {
                v5->bV5CSType = kSrgb;
                v5->bV5ProfileData = 0;
                v5->bV5ProfileSize = 0;
            }
        }
    }
    return CreateDIBitmap(dc, header, CBM_INIT, bytes.bytes + layout.pixelOffset,
                          reinterpret_cast<BITMAPINFO*>(info.bytes), DIB_RGB_COLORS);
}
