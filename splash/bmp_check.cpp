#include "splash/bmp_check.h"

namespace {

// Compression codes of the info header.
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };
// Colour-space types of a version-5 header that point at profile data.
enum : uint32_t { kProfileLinked = 0x4C494E4B, kProfileEmbedded = 0x4D424544 };

uint16_t U16(const unsigned char* p) { return (uint16_t)(p[0] | (p[1] << 8)); }
uint32_t U32(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

}  // namespace

BmpVerdict CheckBmp(const unsigned char* bytes, size_t size, BmpLayout* layout) {
    if (!bytes || size < kBmpFileHeaderSize + 40) return BmpTooShort;
    const uint64_t total = size;
    const unsigned char* info = bytes + kBmpFileHeaderSize;

    const uint32_t headerSize = U32(info);
    if (headerSize != kBmpCoreHeaderSize && headerSize != 40 && headerSize != 108 && headerSize != 124)
        return BmpBadHeaderSize;
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
    if (core && bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) return BmpBadBitCount;

    if (width <= 0 || (uint32_t)width > kBmpMaxDimension) return BmpBadWidth;
    if (height == 0 || height < -(int32_t)kBmpMaxDimension || height > (int32_t)kBmpMaxDimension) return BmpBadHeight;
    const uint32_t rows = height < 0 ? (uint32_t)(-(int64_t)height) : (uint32_t)height;
    if (planes != 1) return BmpBadPlanes;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        return BmpBadBitCount;

    switch (compression) {
    case kRgb: break;
    case kRle8:
        if (bitCount != 8 || height < 0) return BmpBadCompression;
        break;
    case kRle4:
        if (bitCount != 4 || height < 0) return BmpBadCompression;
        break;
    case kBitFields:
        if (bitCount != 16 && bitCount != 32) return BmpBadCompression;
        break;
    default: return BmpBadCompression;
    }

    if (headerSize == 124) {
        const uint32_t colourSpace = U32(info + 56);
        if (colourSpace == kProfileLinked || colourSpace == kProfileEmbedded) return BmpEmbeddedProfile;
    }

    // The table the system reads: the colours in use (all of them for a
    // palette picture when none is given), after three masks for bit fields
    // (the larger headers hold their masks themselves).
    if (coloursUsed > kBmpMaxColours) return BmpBadColourTable;
    uint64_t colours = coloursUsed;
    if (colours == 0 && bitCount <= 8) colours = 1u << bitCount;
    const uint64_t masks = compression == kBitFields && headerSize == 40 ? 12 : 0;
    const uint64_t infoSize = headerSize + masks + (core ? 3 : 4) * colours;
    if (kBmpFileHeaderSize + infoSize > total) return BmpBadColourTable;

    const uint64_t pixelOffset = U32(bytes + 10);
    if (pixelOffset < kBmpFileHeaderSize + infoSize || pixelOffset >= total) return BmpBadPixelOffset;

    uint64_t pixelBytes;
    if (compression == kRle8 || compression == kRle4) {
        // The decoder reads at most biSizeImage bytes.
        if (sizeImage == 0) return BmpPixelsOutside;
        pixelBytes = sizeImage;
    } else {
        const uint64_t stride = (((uint64_t)(uint32_t)width * bitCount + 31) / 32) * 4;
        pixelBytes = stride * rows;
    }
    if (pixelOffset + pixelBytes > total) return BmpPixelsOutside;

    if (layout) {
        layout->headerSize = headerSize;
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
    case BmpEmbeddedProfile: return "embedded profile";
    }
    return "unknown";
}
