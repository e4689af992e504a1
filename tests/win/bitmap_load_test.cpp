// Loading bitmap files: real files on disk, read back through the system.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "graphics/picture.h"

namespace {

std::string CorpusFile(const char* name) {
    return std::string("Z:\\work\\main\\tests\\fuzz\\corpus\\bmp_check\\") + name;
}

std::vector<unsigned char> ReadAll(const std::string& path) {
    std::vector<unsigned char> bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    DWORD size = GetFileSize(f, nullptr), got = 0;
    bytes.resize(size);
    if (size && !ReadFile(f, bytes.data(), size, &got, nullptr)) got = 0;
    bytes.resize(got);
    CloseHandle(f);
    return bytes;
}

// A scratch file in the temp folder, deleted at the end.
struct TempFile {
    std::string path;
    explicit TempFile(const std::vector<unsigned char>& bytes) {
        char folder[MAX_PATH], name[MAX_PATH];
        GetTempPathA(MAX_PATH, folder);
        GetTempFileNameA(folder, "cvb", 0, name);
        path = name;
        HANDLE f = CreateFileA(name, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(f, bytes.data(), (DWORD)bytes.size(), &written, nullptr);
        CloseHandle(f);
    }
    ~TempFile() { DeleteFileA(path.c_str()); }
};

struct ScreenDC {
    HDC dc = GetDC(nullptr);
    ~ScreenDC() { ReleaseDC(nullptr, dc); }
};

SIZE BitmapSize(HBITMAP b) {
    BITMAP info = {};
    EXPECT_EQ((int)sizeof info, GetObjectA(b, sizeof info, &info));
    return SIZE{info.bmWidth, info.bmHeight};
}

// The colour of pixel (x, y) of a loaded bitmap.
COLORREF PixelOf(HDC screen, HBITMAP b, int x, int y) {
    HDC memory = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(memory, b);
    COLORREF c = GetPixel(memory, x, y);
    SelectObject(memory, old);
    DeleteDC(memory);
    return c;
}

// Colour of pixel (x, y) in a bottom-up 24-bit file, from the file's bytes.
COLORREF FilePixel24(const std::vector<unsigned char>& f, int x, int y) {
    const unsigned offset = f[10] | f[11] << 8 | f[12] << 16 | (unsigned)f[13] << 24;
    const int width = f[18] | f[19] << 8, height = f[22] | f[23] << 8;
    const int stride = (width * 3 + 3) / 4 * 4;
    const unsigned char* p = &f[offset + (height - 1 - y) * stride + x * 3];
    return RGB(p[2], p[1], p[0]);
}

}  // namespace

TEST(LoadBitmapFile, SixteenColourFileLoadsWithItsSize) {
    ScreenDC screen;
    HBITMAP b = LoadBitmapFile(screen.dc, CorpusFile("valid_4bit_89x75.bmp").c_str());
    ASSERT_NE(nullptr, b);
    SIZE s = BitmapSize(b);
    EXPECT_EQ(89, s.cx);
    EXPECT_EQ(75, s.cy);
    DeleteObject(b);
}

TEST(LoadBitmapFile, TwentyFourBitFileLoadsWithItsSizeAndPixels) {
    ScreenDC screen;
    const std::string path = CorpusFile("valid_24bit_13x7.bmp");
    HBITMAP b = LoadBitmapFile(screen.dc, path.c_str());
    ASSERT_NE(nullptr, b);
    SIZE s = BitmapSize(b);
    EXPECT_EQ(13, s.cx);
    EXPECT_EQ(7, s.cy);
    std::vector<unsigned char> file = ReadAll(path);
    ASSERT_FALSE(file.empty());
    for (int y : {0, 3, 6})
        for (int x : {0, 5, 12}) EXPECT_EQ(FilePixel24(file, x, y), PixelOf(screen.dc, b, x, y)) << x << "," << y;
    DeleteObject(b);
}

TEST(LoadBitmapFile, OtherValidKindsLoad) {
    ScreenDC screen;
    struct {
        const char* name;
        int w, h;
    } cases[] = {{"valid_24bit_topdown.bmp", 6, 4}, {"valid_8bit_rle.bmp", 4, 2},
                 {"valid_16bit_bitfields.bmp", 5, 3}, {"valid_32bit_v5.bmp", 3, 3}};
    for (const auto& c : cases) {
        HBITMAP b = LoadBitmapFile(screen.dc, CorpusFile(c.name).c_str());
        ASSERT_NE(nullptr, b) << c.name;
        SIZE s = BitmapSize(b);
        EXPECT_EQ(c.w, s.cx) << c.name;
        EXPECT_EQ(c.h, s.cy) << c.name;
        DeleteObject(b);
    }
}

TEST(LoadBitmapFile, CoreHeaderFileLoadsWithItsColours) {
    // 3 x 2, 4 bits a pixel, a 16-entry table of 3-byte colours (blue, green, red).
    std::vector<unsigned char> f(14 + 12 + 48 + 2 * 4, 0);
    f[0] = 'B';
    f[1] = 'M';
    f[2] = (unsigned char)f.size();
    f[10] = 14 + 12 + 48;
    f[14] = 12;
    f[18] = 3;
    f[20] = 2;
    f[22] = 1;
    f[24] = 4;
    const unsigned char red[3] = {0, 0, 255}, teal[3] = {128, 128, 0};
    memcpy(&f[26 + 3 * 1], red, 3);
    memcpy(&f[26 + 3 * 2], teal, 3);
    f[74] = 0x12;  // bottom row: red, teal, 0
    f[78] = 0x21;  // top row: teal, red, 0
    TempFile file(f);
    ScreenDC screen;
    HBITMAP b = LoadBitmapFile(screen.dc, file.path.c_str());
    ASSERT_NE(nullptr, b);
    SIZE s = BitmapSize(b);
    EXPECT_EQ(3, s.cx);
    EXPECT_EQ(2, s.cy);
    EXPECT_EQ(RGB(255, 0, 0), PixelOf(screen.dc, b, 0, 1));
    EXPECT_EQ(RGB(0, 128, 128), PixelOf(screen.dc, b, 1, 1));
    EXPECT_EQ(RGB(0, 128, 128), PixelOf(screen.dc, b, 0, 0));
    EXPECT_EQ(RGB(0, 0, 0), PixelOf(screen.dc, b, 2, 0));
    DeleteObject(b);
}

TEST(LoadBitmapFile, MissingFileGivesNull) {
    ScreenDC screen;
    EXPECT_EQ(nullptr, LoadBitmapFile(screen.dc, "Z:\\work\\main\\no-such-folder\\missing.bmp"));
    EXPECT_EQ(nullptr, LoadBitmapFile(screen.dc, "missing-relative.bmp"));
}

TEST(LoadBitmapFile, TruncatedFileGivesNull) {
    ScreenDC screen;
    std::vector<unsigned char> bytes = ReadAll(CorpusFile("valid_24bit_13x7.bmp"));
    ASSERT_GT(bytes.size(), 100u);
    for (size_t keep : {bytes.size() - 1, (size_t)60, (size_t)54, (size_t)20, (size_t)0}) {
        TempFile f(std::vector<unsigned char>(bytes.begin(), bytes.begin() + (long)keep));
        EXPECT_EQ(nullptr, LoadBitmapFile(screen.dc, f.path.c_str())) << keep;
    }
}

TEST(LoadBitmapFile, SignatureIsNotExamined) {
    ScreenDC screen;
    std::vector<unsigned char> bytes = ReadAll(CorpusFile("valid_4bit_89x75.bmp"));
    ASSERT_FALSE(bytes.empty());
    bytes[0] = 'Q';
    bytes[1] = 'Z';
    TempFile f(bytes);
    HBITMAP b = LoadBitmapFile(screen.dc, f.path.c_str());
    ASSERT_NE(nullptr, b);
    EXPECT_EQ(89, BitmapSize(b).cx);
    DeleteObject(b);
}

TEST(LoadBitmapFile, LyingHeadersAreRefused) {
    ScreenDC screen;
    // Pixels that start inside the headers are still inside the file: the
    // system shows them (as noise), so the loader does too.
    HBITMAP inside = LoadBitmapFile(screen.dc, CorpusFile("lying_offset_in_header.bmp").c_str());
    EXPECT_NE(nullptr, inside);
    if (inside) DeleteObject(inside);
    const char* lying[] = {"lying_short_pixels.bmp",    "lying_offset_huge.bmp",
                           "lying_bisize_huge.bmp",     "lying_bisize_small.bmp",     "lying_clrused.bmp",
                           "lying_negative_width.bmp",  "lying_huge_dims.bmp",        "lying_rle_sizeimage.bmp",
                           "lying_truncated_headers.bmp", "lying_bitcount.bmp"};
    for (const char* name : lying) {
        ASSERT_FALSE(ReadAll(CorpusFile(name)).empty()) << name;
        EXPECT_EQ(nullptr, LoadBitmapFile(screen.dc, CorpusFile(name).c_str())) << name;
    }
}

TEST(LoadBitmapFromHandle, ShortReadGivesNullAndLeavesTheHandleOpen) {
    ScreenDC screen;
    HANDLE f = CreateFileA(CorpusFile("valid_24bit_13x7.bmp").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, f);
    // Reading from byte 10 returns fewer bytes than the file size.
    SetFilePointer(f, 10, nullptr, FILE_BEGIN);
    EXPECT_EQ(nullptr, LoadBitmapFromHandle(screen.dc, f));
    // The caller's handle is still its own to use and close.
    SetFilePointer(f, 0, nullptr, FILE_BEGIN);
    HBITMAP b = LoadBitmapFromHandle(screen.dc, f);
    EXPECT_NE(nullptr, b);
    DeleteObject(b);
    EXPECT_TRUE(CloseHandle(f));
}

TEST(LoadBitmapFile, FileIsClosedAfterLoading) {
    ScreenDC screen;
    std::vector<unsigned char> bytes = ReadAll(CorpusFile("valid_24bit_13x7.bmp"));
    for (bool valid : {true, false}) {
        std::vector<unsigned char> content = bytes;
        if (!valid) content.resize(70);
        TempFile f(content);
        HBITMAP b = LoadBitmapFile(screen.dc, f.path.c_str());
        EXPECT_EQ(valid, b != nullptr);
        if (b) DeleteObject(b);
        // An exclusive open succeeds only when the loader let go of the file.
        HANDLE h = CreateFileA(f.path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        EXPECT_NE(INVALID_HANDLE_VALUE, h) << valid;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}
