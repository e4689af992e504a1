// Decides whether the bytes of a BMP file can be handed to the system's
// bitmap creation without it reading outside them: the file header and the
// info header must be complete, and the bit masks, the colour table and the
// pixel rows the header describes must lie inside the bytes. Beyond that it
// refuses only what the system's CreateDIBitmap refuses anyway (measured under
// Wine): header sizes other than 12 and 40 or more, bit counts other than 1,
// 4, 8, 16, 24 and 32 (a core header included), zero planes in a picture that
// is not run-length encoded, a width that is not positive, a height of zero,
// compressions that do not fit the bit count (run-length pictures must be
// bottom-up and give their data size). Any size that fits the bytes is
// fine, as is a colour table of any length inside them and a pixel offset
// anywhere in them. The signature is deliberately not examined.
#pragma once
#include <cstddef>
#include <cstdint>

enum BmpVerdict : int {
    BmpOk = 0,
    BmpTooShort,          // shorter than the file header and the header's size field
    BmpBadHeaderSize,     // biSize neither 12 (core) nor 40 or more, or beyond the bytes
    BmpBadWidth,          // zero or negative
    BmpBadHeight,         // zero (negative means top-down and is fine)
    BmpBadPlanes,         // biPlanes zero, unless run-length encoded
    BmpBadBitCount,       // not 1, 4, 8, 16, 24 or 32
    BmpBadCompression,    // unknown, or not matching the bit count, or a top-down run-length picture
    BmpBadColourTable,    // table (or bit masks) outside the bytes
    BmpBadPixelOffset,    // bfOffBits beyond the bytes
    BmpPixelsOutside,     // pixel rows (or compressed data) reach beyond the bytes
};

enum : uint32_t {
    kBmpFileHeaderSize = 14,
    kBmpCoreHeaderSize = 12,
    kBmpInfoHeaderSize = 40,
    // Where the system looks for the three bit masks of a bit-field picture,
    // whatever the header's size: right after the first 40 bytes.
    kBmpMasksEnd = 52,
};

struct BmpLayout {
    uint32_t headerSize = 0;      // biSize
    uint32_t tableOffset = 0;     // where the colour table starts in the info block
    uint32_t colours = 0;         // entries in the colour table
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
