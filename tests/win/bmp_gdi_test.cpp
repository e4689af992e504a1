// The bitmap check against the system itself: for headers whose every part
// lies inside the file, the check must accept exactly what CreateDIBitmap
// turns into a bitmap of the described size, and the loader must then give
// that bitmap. The variants change one header field of a valid picture at a
// time, then several at once from a seeded generator.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "graphics/bmp_check.h"
#include "graphics/picture.h"

namespace {

struct Header {
    uint32_t size = 40;  // biSize; 12 writes a core header
    int32_t width = 5, height = 3;
    uint16_t planes = 1, bits = 24;
    uint32_t compression = 0, clrUsed = 0;
    uint32_t sizeImage = 0;   // 0: the pixel area's size
    int64_t offset = -1;      // bfOffBits; -1: right after the table
    uint32_t colourSpace = 0x73524742;  // sRGB, for headers of 108 bytes or more

    std::string Describe() const {
        char text[200];
        std::snprintf(text, sizeof text, "size %u, %dx%d, planes %u, bits %u, compression %u, clrUsed %u, "
                      "sizeImage %u, offset %lld, colour space %08X",
                      size, width, height, planes, bits, compression, clrUsed, sizeImage, (long long)offset,
                      colourSpace);
        return text;
    }
};

void Put16(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    b[at] = (unsigned char)v;
    b[at + 1] = (unsigned char)(v >> 8);
}
void Put32(std::vector<unsigned char>& b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = (unsigned char)(v >> (8 * i));
}

// A file holding everything the header could make anyone read: the header,
// masks, a table of the larger of clrUsed and 256 entries, and the pixel
// rows (or a run-length stream that ends the picture), with room to spare.
std::vector<unsigned char> Build(const Header& h) {
    const bool core = h.size == 12;
    const uint32_t entries = h.clrUsed > 256 ? h.clrUsed : 256;
    const uint32_t masksEnd = h.size < 52 ? 52 : h.size;
    const uint32_t tableOffset = core ? 12 : (h.compression == 3 ? masksEnd : h.size);
    const uint32_t defaultOffset = 14 + tableOffset + (core ? 3 : 4) * (h.bits <= 8 && !h.clrUsed ? (1u << (h.bits & 15)) : h.clrUsed);
    const uint64_t stride = ((uint64_t)(uint32_t)(h.width > 0 ? h.width : 1) * (h.bits ? h.bits : 1) + 31) / 32 * 4;
    const uint64_t rows = h.height < 0 ? (uint64_t)(-(int64_t)h.height) : (uint64_t)h.height;
    const uint64_t pixels = stride * (rows ? rows : 1);
    std::vector<unsigned char> b(14 + masksEnd + 4 * entries + pixels + 1024, 0);
    const uint32_t offset = h.offset < 0 ? defaultOffset : (uint32_t)h.offset;
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, (uint32_t)b.size());
    Put32(b, 10, offset);
    Put32(b, 14, h.size);
    if (core) {
        Put16(b, 18, (uint32_t)h.width);
        Put16(b, 20, (uint32_t)h.height);
        Put16(b, 22, h.planes);
        Put16(b, 24, h.bits);
    } else {
        Put32(b, 18, (uint32_t)h.width);
        Put32(b, 22, (uint32_t)h.height);
        Put16(b, 26, h.planes);
        Put16(b, 28, h.bits);
        Put32(b, 30, h.compression);
        Put32(b, 34, h.sizeImage ? h.sizeImage : (uint32_t)pixels);
        Put32(b, 46, h.clrUsed);
        Put32(b, 54, h.bits == 16 ? 0xF800 : 0xFF0000);  // masks at 40..52 of the info block
        Put32(b, 58, h.bits == 16 ? 0x07E0 : 0x00FF00);
        Put32(b, 62, h.bits == 16 ? 0x001F : 0x0000FF);
        if (h.size >= 108) Put32(b, 14 + 56, h.colourSpace);
        if (h.size >= 124) {
            Put32(b, 14 + 112, 0x7FFFFF00);  // a profile far outside the file, if one is named
            Put32(b, 14 + 116, 4096);
        }
    }
    // Some colour in the table and the pixels; a run-length stream that
    // ends the picture at once where the pixels start after the headers.
    for (size_t i = 14 + tableOffset; i < b.size(); ++i) b[i] = (unsigned char)(i * 37);
    if (h.compression == 1 || h.compression == 2) {
        if (offset >= 14 + tableOffset && offset + 2 <= b.size()) {
            b[offset] = 0;
            b[offset + 1] = 1;
        }
    }
    return b;
}

// What the system makes of the file's headers given everything it may read:
// true when it creates a bitmap of the described size.
bool SystemTakes(HDC dc, const std::vector<unsigned char>& file, const Header& h) {
    std::vector<DWORD> info((file.size() + 8192) / 4, 0);
    std::memcpy(info.data(), file.data() + 14, file.size() - 14);
    const uint32_t offset = file[10] | file[11] << 8 | file[12] << 16 | (uint32_t)file[13] << 24;
    if (offset >= file.size()) return false;
    std::vector<unsigned char> pixels(file.begin() + offset, file.end());
    pixels.resize(pixels.size() + 65536);
    HBITMAP b = CreateDIBitmap(dc, reinterpret_cast<BITMAPINFOHEADER*>(info.data()), CBM_INIT, pixels.data(),
                               reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
    if (!b) return false;
    BITMAP o = {};
    GetObjectA(b, sizeof o, &o);
    DeleteObject(b);
    const int rows = h.height < 0 ? -h.height : h.height;
    return o.bmWidth == h.width && o.bmHeight == rows;
}

struct Tally {
    int variants = 0, accepted = 0, differences = 0;
    std::string report;
};

void Compare(HDC dc, const Header& h, Tally& t) {
    const std::vector<unsigned char> file = Build(h);
    ++t.variants;
    const BmpVerdict verdict = CheckBmp(file.data(), file.size());
    const bool system = SystemTakes(dc, file, h);
    if (verdict == BmpOk) ++t.accepted;
    if ((verdict == BmpOk) != system && ++t.differences <= 12)
        t.report += h.Describe() + ": check '" + BmpVerdictName(verdict) + "', system " +
                    (system ? "makes the bitmap" : "refuses") + "\n";
    // What the check accepts, the loader turns into that bitmap, from the file.
    if (verdict != BmpOk || !system) return;
    char folder[MAX_PATH], name[MAX_PATH];
    GetTempPathA(MAX_PATH, folder);
    GetTempFileNameA(folder, "cvg", 0, name);
    HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(f, file.data(), (DWORD)file.size(), &written, nullptr);
    CloseHandle(f);
    HBITMAP loaded = LoadBitmapFile(dc, name);
    BITMAP o = {};
    if (loaded) GetObjectA(loaded, sizeof o, &o);
    if (loaded) DeleteObject(loaded);
    DeleteFileA(name);
    const int rows = h.height < 0 ? -h.height : h.height;
    if ((o.bmWidth != h.width || o.bmHeight != rows) && ++t.differences <= 12)
        t.report += h.Describe() + ": the loader gives no bitmap of that size\n";
}

struct ScreenDC {
    HDC dc = GetDC(nullptr);
    ~ScreenDC() { ReleaseDC(nullptr, dc); }
};

TEST(BmpAgainstTheSystem, OneFieldAtATime) {
    ScreenDC screen;
    Tally t;
    for (uint32_t size : {0u, 11u, 12u, 16u, 39u, 40u, 41u, 44u, 52u, 56u, 64u, 100u, 108u, 124u, 200u})
        for (uint16_t bits : {(uint16_t)8, (uint16_t)24}) {
            Header h;
            h.size = size;
            h.bits = bits;
            Compare(screen.dc, h, t);
        }
    for (uint16_t bits : {0, 1, 2, 3, 4, 8, 15, 16, 24, 32, 48, 64})
        for (uint32_t size : {12u, 40u}) {
            Header h;
            h.size = size;
            h.bits = bits;
            Compare(screen.dc, h, t);
        }
    for (uint32_t compression : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 0x42u})
        for (uint16_t bits : {1, 4, 8, 16, 24, 32})
            for (int32_t height : {3, -3}) {
                Header h;
                h.bits = bits;
                h.compression = compression;
                h.height = height;
                Compare(screen.dc, h, t);
                h.size = 108;
                Compare(screen.dc, h, t);
            }
    for (uint16_t planes : {0, 2, 7})
        for (uint32_t size : {12u, 40u, 52u, 64u, 108u, 124u})
            for (uint32_t compression : {0u, 1u, 2u, 3u}) {
                Header h;
                h.planes = planes;
                h.size = size;
                h.compression = compression;
                h.bits = compression == 0 ? 24 : compression == 1 ? 8 : compression == 2 ? 4 : 16;
                Compare(screen.dc, h, t);
            }
    for (int32_t width : {-5, 0, 1, 16384, 16385, 40000}) {
        Header h;
        h.width = width;
        h.height = 1;
        Compare(screen.dc, h, t);
    }
    for (int32_t height : {0, -1, 20000, -20000}) {
        Header h;
        h.width = 1;
        h.height = height;
        Compare(screen.dc, h, t);
    }
    for (uint32_t clrUsed : {1u, 2u, 16u, 256u, 257u, 300u, 1000u})
        for (uint16_t bits : {1, 4, 8, 24, 32}) {
            Header h;
            h.bits = bits;
            h.clrUsed = clrUsed;
            Compare(screen.dc, h, t);
        }
    for (int64_t offset : {0, 2, 14, 30, 54, 60}) {
        Header h;
        h.offset = offset;
        Compare(screen.dc, h, t);
    }
    for (uint32_t sizeImage : {1u, 2u, 100u})
        for (uint32_t compression : {1u, 2u}) {
            Header h;
            h.compression = compression;
            h.bits = compression == 1 ? 8 : 4;
            h.sizeImage = sizeImage;
            Compare(screen.dc, h, t);
        }
    for (uint32_t space : {0x4C494E4Bu, 0x4D424544u, 0u})  // linked and embedded profiles, calibrated
        for (uint32_t size : {108u, 124u}) {
            Header h;
            h.size = size;
            h.colourSpace = space;
            Compare(screen.dc, h, t);
        }
    EXPECT_EQ(t.differences, 0) << t.differences << " of " << t.variants << " variants differ:\n" << t.report;
    EXPECT_GT(t.accepted, 40);
    std::printf("%d variants, %d accepted\n", t.variants, t.accepted);
}

TEST(BmpAgainstTheSystem, SeveralFieldsAtOnce) {
    ScreenDC screen;
    Tally t;
    uint32_t state = 20240611u;
    auto pick = [&](uint32_t n) {
        state = state * 1664525u + 1013904223u;
        return (uint32_t)(((uint64_t)(state >> 8) * n) >> 24);
    };
    const uint32_t sizes[] = {12, 16, 40, 44, 52, 56, 64, 108, 124};
    const uint16_t bits[] = {0, 1, 2, 4, 8, 16, 24, 32, 48};
    const uint32_t compressions[] = {0, 0, 0, 1, 2, 3, 4, 6};
    const uint16_t planes[] = {1, 1, 1, 0, 3};
    const int32_t widths[] = {1, 3, 8, 17, 0, -2, 16400};
    const int32_t heights[] = {1, 2, 5, -4, 0, 300};
    const uint32_t colours[] = {0, 0, 0, 3, 256, 270};
    const int64_t offsets[] = {-1, -1, -1, 0, 20, 70};
    for (int i = 0; i < 1500; ++i) {
        Header h;
        h.size = sizes[pick(9)];
        h.bits = bits[pick(9)];
        h.compression = compressions[pick(8)];
        h.planes = planes[pick(5)];
        h.width = widths[pick(7)];
        h.height = heights[pick(6)];
        h.clrUsed = colours[pick(6)];
        h.offset = offsets[pick(6)];
        Compare(screen.dc, h, t);
    }
    EXPECT_EQ(t.differences, 0) << t.differences << " of " << t.variants << " variants differ:\n" << t.report;
    std::printf("%d variants, %d accepted\n", t.variants, t.accepted);
}

}  // namespace
