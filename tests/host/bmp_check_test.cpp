#include "graphics/bmp_check.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}
void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (8 * i));
}

// A well-formed BMP: file header, info header of `headerSize`, colour table
// of `colours` entries (or three masks), then the pixel rows.
std::vector<unsigned char> MakeBmp(int width, int height, int bits, uint32_t compression = 0, int colours = -1,
                                   uint32_t headerSize = 40) {
    if (colours < 0) colours = bits <= 8 ? 1 << bits : 0;
    const uint32_t masks = compression == 3 && headerSize == 40 ? 12 : 0;
    const uint32_t stride = ((uint32_t)width * bits + 31) / 32 * 4;
    const uint32_t rows = (uint32_t)(height < 0 ? -height : height);
    const uint32_t offset = 14 + headerSize + masks + 4 * colours;
    std::vector<unsigned char> b(offset + stride * rows, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 10, offset);
    Put32(b, 14, headerSize);
    Put32(b, 18, (uint32_t)width);
    Put32(b, 22, (uint32_t)height);
    Put16(b, 26, 1);
    Put16(b, 28, (uint32_t)bits);
    Put32(b, 30, compression);
    Put32(b, 34, stride * rows);
    Put32(b, 46, bits <= 8 && colours == 1 << bits ? 0 : (uint32_t)colours);
    return b;
}

// The same with the old 12-byte core header and 3-byte colours.
std::vector<unsigned char> MakeCoreBmp(int width, int height, int bits) {
    const uint32_t colours = bits <= 8 ? 1u << bits : 0;
    const uint32_t stride = ((uint32_t)width * bits + 31) / 32 * 4;
    const uint32_t offset = 14 + 12 + 3 * colours;
    std::vector<unsigned char> b(offset + stride * (uint32_t)height, 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 10, offset);
    Put32(b, 14, 12);
    Put16(b, 18, (uint32_t)width);
    Put16(b, 20, (uint32_t)height);
    Put16(b, 22, 1);
    Put16(b, 24, (uint32_t)bits);
    return b;
}

BmpVerdict Check(const std::vector<unsigned char>& b) {
    // A copy of exactly the right size, so ASan notices any read past it.
    std::vector<unsigned char> exact(b);
    return CheckBmp(exact.data(), exact.size());
}

}  // namespace

TEST(BmpCheckValid, SixteenColourPicture) {
    auto b = MakeBmp(89, 75, 4);
    BmpLayout l;
    ASSERT_EQ(BmpOk, CheckBmp(b.data(), b.size(), &l)) << BmpVerdictName(CheckBmp(b.data(), b.size()));
    EXPECT_EQ(89, l.width);
    EXPECT_EQ(75, l.height);
    EXPECT_EQ(4, l.bitCount);
    EXPECT_EQ(40u + 64u, l.infoSize);
    EXPECT_EQ(14u + 40u + 64u, l.pixelOffset);
    EXPECT_EQ(48u * 75u, l.pixelBytes);  // 89 nibbles round up to 48 bytes a row
}

TEST(BmpCheckValid, TwentyFourBitPictureAndOtherDepths) {
    auto b = MakeBmp(13, 7, 24);
    BmpLayout l;
    ASSERT_EQ(BmpOk, CheckBmp(b.data(), b.size(), &l));
    EXPECT_EQ(40u, l.infoSize);
    EXPECT_EQ(40u * 7u, l.pixelBytes);  // 39 bytes padded to 40
    EXPECT_EQ(BmpOk, Check(MakeBmp(1, 1, 1)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 8)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 8, 0, 16)));  // fewer colours in use
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 16)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 32)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 16, 3)));  // bit fields with masks
    EXPECT_EQ(BmpOk, Check(MakeBmp(3, 3, 32, 3, 0, 124)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(5, 2, 24, 0, 0, 108)));
}

TEST(BmpCheckValid, CoreHeaderPicturesAndTheirLimits) {
    auto b = MakeCoreBmp(20, 10, 8);
    BmpLayout l;
    ASSERT_EQ(BmpOk, CheckBmp(b.data(), b.size(), &l));
    EXPECT_EQ(12u, l.headerSize);
    EXPECT_EQ(12u + 3u * 256u, l.infoSize);  // 3-byte colours
    EXPECT_EQ(14u + 12u + 768u, l.pixelOffset);
    EXPECT_EQ(20, l.width);
    EXPECT_EQ(10, l.height);
    EXPECT_EQ(BmpOk, Check(MakeCoreBmp(13, 7, 24)));
    EXPECT_EQ(BmpOk, Check(MakeCoreBmp(30, 2, 4)));
    EXPECT_EQ(BmpOk, Check(MakeCoreBmp(8, 8, 16)));  // the system takes these depths in a core header too
    EXPECT_EQ(BmpBadBitCount, Check(MakeCoreBmp(8, 8, 2)));
    auto tableCut = MakeCoreBmp(40, 1, 8);
    tableCut.resize(14 + 12 + 100);
    EXPECT_EQ(BmpBadColourTable, Check(tableCut));
    auto rowsCut = MakeCoreBmp(20, 10, 24);
    rowsCut.pop_back();
    EXPECT_EQ(BmpPixelsOutside, Check(rowsCut));
    auto noHeight = MakeCoreBmp(20, 10, 24);
    Put16(noHeight, 20, 0);
    EXPECT_EQ(BmpBadHeight, Check(noHeight));
}

TEST(BmpCheckValid, TopDownHeightIsFine) {
    EXPECT_EQ(BmpOk, Check(MakeBmp(10, -10, 24)));
}

TEST(BmpCheckValid, SignatureAndFileSizeFieldsAreNotExamined) {
    auto b = MakeBmp(4, 4, 24);
    b[0] = 'X';
    b[1] = 'Y';
    Put32(b, 2, 0xFFFFFFFF);
    EXPECT_EQ(BmpOk, Check(b));
}

TEST(BmpCheckValid, TrailingBytesAndGapBeforePixelsAreAccepted) {
    auto b = MakeBmp(4, 4, 24);
    b.resize(b.size() + 100);
    EXPECT_EQ(BmpOk, Check(b));
    auto gap = MakeBmp(4, 4, 24);
    gap.insert(gap.begin() + 54, 10, 0);
    Put32(gap, 10, 64);
    EXPECT_EQ(BmpOk, Check(gap));
}

TEST(BmpCheckLying, TooShortForTheHeaders) {
    auto b = MakeBmp(4, 4, 24);
    EXPECT_EQ(BmpBadHeaderSize, CheckBmp(b.data(), 53));  // the 40-byte header does not fit
    EXPECT_EQ(BmpTooShort, CheckBmp(b.data(), 17));
    EXPECT_EQ(BmpTooShort, CheckBmp(b.data(), 0));
    EXPECT_EQ(BmpTooShort, CheckBmp(nullptr, 1000));
}

TEST(BmpCheckLying, InfoHeaderSize) {
    auto b = MakeBmp(4, 4, 24);
    for (uint32_t size : {0u, 11u, 16u, 39u, 0x7FFFFFFFu, 0xFFFFFFF0u}) {
        Put32(b, 14, size);
        EXPECT_EQ(BmpBadHeaderSize, Check(b)) << size;
    }
    // A known header size larger than the bytes that follow.
    auto small = MakeBmp(1, 1, 24);  // 54 + 4 bytes
    Put32(small, 14, 124);
    EXPECT_EQ(BmpBadHeaderSize, Check(small));
}

TEST(BmpCheckLying, WidthAndHeight) {
    auto b = MakeBmp(4, 4, 24);
    for (uint32_t w : {0u, 0xFFFFFFFFu, 0x80000000u}) {
        Put32(b, 18, w);
        EXPECT_EQ(BmpBadWidth, Check(b)) << w;
    }
    for (uint32_t w : {16385u, 0x7FFFFFFFu}) {  // any width, but its rows must be there
        Put32(b, 18, w);
        EXPECT_EQ(BmpPixelsOutside, Check(b)) << w;
    }
    b = MakeBmp(4, 4, 24);
    Put32(b, 22, 0);
    EXPECT_EQ(BmpBadHeight, Check(b));
    for (uint32_t h : {0x80000000u, 16385u, (uint32_t)-16385, 0x7FFFFFFFu}) {
        Put32(b, 22, h);
        EXPECT_EQ(BmpPixelsOutside, Check(b)) << h;
    }
}

TEST(BmpCheckLying, PlanesAndBitCount) {
    auto b = MakeBmp(4, 4, 24);
    Put16(b, 26, 0);
    EXPECT_EQ(BmpBadPlanes, Check(b));
    auto rle = MakeBmp(8, 8, 8, 1);
    Put16(rle, 26, 0);  // the system draws run-length pictures whatever the planes
    EXPECT_EQ(BmpOk, Check(rle));
    Put16(b, 26, 2);  // the system ignores any other count
    EXPECT_EQ(BmpOk, Check(b));
    b = MakeBmp(4, 4, 24);
    for (uint32_t bits : {0u, 2u, 3u, 7u, 15u, 48u, 64u, 0xFFFFu}) {
        Put16(b, 28, bits);
        EXPECT_EQ(BmpBadBitCount, Check(b)) << bits;
    }
}

TEST(BmpCheckLying, CompressionMustFitTheBitCount) {
    auto b = MakeBmp(4, 4, 24);
    for (uint32_t c : {1u, 2u, 3u, 4u, 5u, 6u, 0x42u}) {
        Put32(b, 30, c);
        EXPECT_EQ(BmpBadCompression, Check(b)) << c;
    }
    auto rle = MakeBmp(4, -4, 8, 1);  // compressed pictures cannot be top-down
    EXPECT_EQ(BmpBadCompression, Check(rle));
}

TEST(BmpCheckLying, RunLengthDataMustFitBySizeImage) {
    auto b = MakeBmp(8, 8, 8, 1);  // pixel area 64 bytes is there
    Put32(b, 34, 64);
    EXPECT_EQ(BmpOk, Check(b));
    Put32(b, 34, 65);
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    Put32(b, 34, 0);
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    Put32(b, 34, 0xFFFFFFFF);
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    auto four = MakeBmp(8, 8, 4, 2);
    Put32(four, 34, 10);
    EXPECT_EQ(BmpOk, Check(four));
}

TEST(BmpCheckLying, ColourTableOutsideTheBytes) {
    // 8-bit picture claiming the full table but the file ends inside it.
    auto b = MakeBmp(1, 1, 8);
    std::vector<unsigned char> cut(b.begin(), b.begin() + 14 + 40 + 100);
    EXPECT_EQ(BmpBadColourTable, Check(cut));
    // biClrUsed beyond the bytes.
    b = MakeBmp(2, 2, 8);
    Put32(b, 46, 300);
    EXPECT_EQ(BmpBadColourTable, Check(b));
    Put32(b, 46, 0xFFFFFFFF);
    EXPECT_EQ(BmpBadColourTable, Check(b));
    // 24-bit picture with an optional table that is not there.
    b = MakeBmp(1, 1, 24);
    Put32(b, 46, 200);
    EXPECT_EQ(BmpBadColourTable, Check(b));
    // Bit-field masks missing after a 40-byte header.
    auto masks = MakeBmp(1, 1, 16, 0);
    Put32(masks, 30, 3);
    masks.resize(14 + 40 + 8);
    EXPECT_EQ(BmpBadColourTable, Check(masks));
}

TEST(BmpCheckLying, PixelOffsetBeyondTheBytes) {
    auto b = MakeBmp(4, 4, 4);
    for (uint32_t off : {(uint32_t)b.size(), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
        Put32(b, 10, off);
        EXPECT_EQ(BmpBadPixelOffset, Check(b)) << off;
    }
}

TEST(BmpCheckLying, PixelRowsBeyondTheBytes) {
    auto b = MakeBmp(4, 4, 24);
    b.pop_back();
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    b = MakeBmp(4, 4, 24);
    Put32(b, 10, 54 + 1);  // shifted rows end one byte beyond
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    b = MakeBmp(4, 4, 24);
    Put32(b, 22, 5);  // one row more than stored
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    Put32(b, 22, (uint32_t)-5);
    EXPECT_EQ(BmpPixelsOutside, Check(b));
    // Large dimensions whose 32-bit product would wrap still fail cleanly.
    b = MakeBmp(4, 4, 32);
    Put32(b, 18, 16384);
    Put32(b, 22, 16384);
    EXPECT_EQ(BmpPixelsOutside, Check(b));
}

// What the system shows must not be refused: a core-header file smaller than
// a 40-byte header would be, a colour table longer than 256 entries inside the
// file, sizes above 16384 whose rows are there, pixels that start inside the
// headers, the header sizes 52, 56 and 64, and a version-5 header naming a
// colour profile (the loader's copy names none).
TEST(BmpCheckValid, PicturesTheSystemShowsAreAccepted) {
    auto small = MakeCoreBmp(4, 2, 24);
    ASSERT_EQ(50u, small.size());
    EXPECT_EQ(BmpOk, Check(small));

    auto table = MakeBmp(2, 2, 8, 0, 300);
    BmpLayout l;
    ASSERT_EQ(BmpOk, CheckBmp(table.data(), table.size(), &l));
    EXPECT_EQ(300u, l.colours);
    EXPECT_EQ(40u + 1200u, l.infoSize);

    EXPECT_EQ(BmpOk, Check(MakeBmp(20000, 1, 24)));
    EXPECT_EQ(BmpOk, Check(MakeBmp(1, -20000, 8)));

    auto inside = MakeBmp(4, 4, 4);
    for (uint32_t off : {0u, 14u, 53u, 117u}) {
        Put32(inside, 10, off);
        ASSERT_EQ(BmpOk, CheckBmp(inside.data(), inside.size(), &l)) << off;
        EXPECT_EQ(off, l.pixelOffset);
    }

    for (uint32_t size : {52u, 56u, 64u}) {
        auto b = MakeBmp(3, 3, 8, 0, -1, size);
        ASSERT_EQ(BmpOk, CheckBmp(b.data(), b.size(), &l)) << size;
        EXPECT_EQ(size, l.tableOffset);
        EXPECT_EQ(size + 1024u, l.infoSize);
    }
    // Bit fields after a header of 44 bytes: the masks at 40..52 must be there.
    auto odd = MakeBmp(3, 3, 16, 3, 0, 44);
    ASSERT_EQ(BmpOk, CheckBmp(odd.data(), odd.size(), &l));
    EXPECT_EQ(52u, l.tableOffset);

    auto profile = MakeBmp(2, 2, 24, 0, 0, 124);
    Put32(profile, 14 + 56, 0x4D424544);
    Put32(profile, 14 + 112, 0x7FFFFFF0);  // profile data far outside the file
    EXPECT_EQ(BmpOk, Check(profile));
}

TEST(BmpCheckLying, EveryTruncationOfAValidFileIsRejectedWithoutOverread) {
    for (auto full : {MakeBmp(9, 5, 4), MakeBmp(9, 5, 24), MakeBmp(3, 3, 16, 3)}) {
        for (size_t n = 0; n < full.size(); ++n) {
            std::vector<unsigned char> part(full.begin(), full.begin() + (long)n);
            EXPECT_NE(BmpOk, CheckBmp(part.data(), part.size())) << n;
        }
        EXPECT_EQ(BmpOk, Check(full));
    }
}
