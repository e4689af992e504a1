#include "graphics/bmp_check.h"

namespace {

// Compression codes of the info header.
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

uint16_t U16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

// Run-length pictures must be bottom-up and of their own bit count; bit
// fields only come with 16 or 32 bits.
bool CompressionFits(uint32_t compression, uint16_t bitCount, int32_t height) {
    switch (compression) {
    case kRgb: return true;
    case kRle8: return bitCount == 8 && height > 0;
    case kRle4: return bitCount == 4 && height > 0;
    case kBitFields: return bitCount == 16 || bitCount == 32;
    default: return false;
    }
}

// The bytes of pixel data the system reads from `room` bytes; false when they
// do not fit.
bool PixelBytes(uint32_t compression, uint32_t sizeImage, int32_t width, uint16_t bitCount, uint64_t rows,
                uint64_t room, uint64_t* pixelBytes) {
    if (compression == kRle8 || compression == kRle4) {
        // The decoder reads at most biSizeImage bytes, and needs it given.
        if (sizeImage == 0) return false;
        *pixelBytes = sizeImage;
    } else {
        // Divided rather than multiplied, so that no product of huge numbers
        // can wrap; once the stride fits the bytes, the division is in size_t
        // (no 64-bit division helper in the 32-bit program).
        const uint64_t stride = (((uint64_t)(uint32_t)width * bitCount + 31) / 32) * 4;
        if (stride > room) return false;
        if (rows > (size_t)room / (size_t)stride) return false;
        *pixelBytes = stride * rows;
    }
    return *pixelBytes <= room;
}

}  // namespace

BmpVerdict CheckBmp(const unsigned char* bytes, size_t size, BmpLayout* layout) {
    if (!bytes || size < kBmpFileHeaderSize + 4) return BmpTooShort;
    const uint64_t total = size;
    const unsigned char* info = bytes + kBmpFileHeaderSize;

    const uint32_t headerSize = U32(info);
    if (headerSize != kBmpCoreHeaderSize && headerSize < kBmpInfoHeaderSize) return BmpBadHeaderSize;
    if (kBmpFileHeaderSize + (uint64_t)headerSize > total) return BmpBadHeaderSize;

    // The old core header (still written by some tools as "version 2"):
    // 16-bit sizes, bottom-up, uncompressed, a table of 3-byte colours.
    const bool core = headerSize == kBmpCoreHeaderSize;
    const int32_t width = core ? U16(info + 4) : (int32_t)U32(info + 4);
    const int32_t height = core ? U16(info + 6) : (int32_t)U32(info + 8);
    const uint16_t planes = U16(info + (core ? 8 : 12));
    const uint16_t bitCount = U16(info + (core ? 10 : 14));
    const uint32_t compression = core ? 0 : U32(info + 16);
    const uint32_t sizeImage = core ? 0 : U32(info + 20);
    const uint32_t coloursUsed = core ? 0 : U32(info + 32);
    if (width <= 0) return BmpBadWidth;
    if (height == 0) return BmpBadHeight;
    const uint64_t rows = height < 0 ? (uint64_t)(-(int64_t)height) : (uint64_t)height;
    // The system ignores the plane count, except that it refuses zero planes
    // for a picture that is not run-length encoded.
    if (planes == 0 && compression != kRle8 && compression != kRle4) return BmpBadPlanes;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return BmpBadBitCount;

    if (!CompressionFits(compression, bitCount, height)) return BmpBadCompression;

    // The table the system reads: the colours in use (all of them for a
    // palette picture when none is given), after the three masks of a
    // bit-field picture, which the system reads from bytes 40 to 52 of the
    // info block whatever its size. A colour profile of a version-5 header
    // is never read: the loader hands the system a copy that names none.
    uint64_t colours = coloursUsed;
    if (colours == 0 && bitCount <= 8) colours = 1u << bitCount;
    uint64_t tableOffset = headerSize;
    if (compression == kBitFields && tableOffset < kBmpMasksEnd) tableOffset = kBmpMasksEnd;
    const uint64_t infoSize = tableOffset + (core ? 3 : 4) * colours;
    if (kBmpFileHeaderSize + infoSize > total || infoSize > 0xFFFFFFFFu) return BmpBadColourTable;

    // The pixels may start anywhere in the bytes, even inside the headers.
    const uint64_t pixelOffset = U32(bytes + 10);
    if (pixelOffset >= total) return BmpBadPixelOffset;

    uint64_t pixelBytes = 0;
    if (!PixelBytes(compression, sizeImage, width, bitCount, rows, total - pixelOffset, &pixelBytes))
        return BmpPixelsOutside;

    if (layout) {
        layout->headerSize = headerSize;
        layout->tableOffset = (uint32_t)tableOffset;
        layout->colours = (uint32_t)colours;
        layout->infoSize = (uint32_t)infoSize;
        layout->pixelOffset = (uint32_t)pixelOffset;
        layout->pixelBytes = pixelBytes;
        layout->width = width;
        layout->height = height;
        layout->bitCount = bitCount;
        layout->compression = compression;
    }
    return BmpOk;
}

const char* BmpVerdictName(BmpVerdict verdict) {
    switch (verdict) {
    case BmpOk: return "ok";
    case BmpTooShort: return "too short";
    case BmpBadHeaderSize: return "bad header size";
    case BmpBadWidth: return "bad width";
    case BmpBadHeight: return "bad height";
    case BmpBadPlanes: return "bad planes";
    case BmpBadBitCount: return "bad bit count";
    case BmpBadCompression: return "bad compression";
    case BmpBadColourTable: return "bad colour table";
    case BmpBadPixelOffset: return "bad pixel offset";
    case BmpPixelsOutside: return "pixels outside";
    }
    return "unknown";
}
