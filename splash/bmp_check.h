// Decides whether the bytes of a BMP file can be handed to the system's
// bitmap creation without it reading outside them: the file header and the
// info header must be complete, the colour table and the pixel rows the
// header describes must lie inside the bytes, and the header must describe a
// plain, sensibly sized picture. The signature is deliberately not examined.
#pragma once
#include <cstddef>
#include <cstdint>

enum BmpVerdict : int {
    BmpOk = 0,
    BmpTooShort,          // shorter than the file header and a 40-byte info header
    BmpBadHeaderSize,     // biSize not one of 12 (core), 40, 108, 124, or beyond the bytes
    BmpBadWidth,          // zero, negative or absurdly wide
    BmpBadHeight,         // zero or absurdly high (negative means top-down and is fine)
    BmpBadPlanes,         // biPlanes other than 1
    BmpBadBitCount,       // not 1, 4, 8, 16, 24 or 32
    BmpBadCompression,    // unknown, or not matching the bit count
    BmpBadColourTable,    // colour count absurd, or table (or bit masks) outside the bytes
    BmpBadPixelOffset,    // bfOffBits inside the headers or beyond the bytes
    BmpPixelsOutside,     // pixel rows (or compressed data) reach beyond the bytes
    BmpEmbeddedProfile,   // a colour profile the system might read from elsewhere in the file
};

enum : uint32_t { kBmpFileHeaderSize = 14, kBmpCoreHeaderSize = 12, kBmpMaxDimension = 16384, kBmpMaxColours = 256 };

struct BmpLayout {
    uint32_t headerSize = 0;      // biSize
    uint32_t infoSize = 0;        // header + bit masks + colour table (3-byte entries after a core header)
    uint32_t pixelOffset = 0;     // bfOffBits
    uint64_t pixelBytes = 0;      // bytes of pixel data the system reads
    int32_t width = 0, height = 0;
    uint16_t bitCount = 0;
    uint32_t compression = 0;
};

// `layout`, when given, is filled on success.
BmpVerdict CheckBmp(const unsigned char* bytes, size_t size, BmpLayout* layout = nullptr);

const char* BmpVerdictName(BmpVerdict verdict);
