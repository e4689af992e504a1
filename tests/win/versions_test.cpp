// File versions read from real program files: the versioned test programs
// built beside this test (5.5.0.0, 6.0.2800.1106, 6.0.0.0 and one without a
// version resource).
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conditions/version_bound.h"

namespace {

std::string BinFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    return path;
}

std::string Tool(const char* name) { return BinFolder() + name; }

struct Bound {
    VersionBound b;
    explicit Bound(const char* text) {
        std::string copy(text);
        EXPECT_TRUE(ParseVersionBound(b, &copy[0])) << text;
    }
};

bool Below(const char* bound, const std::string& program) { return IsVersionBelow(Bound(bound).b, program.c_str()); }

class VersionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"ver_5_5_0_0.exe", "ver_6_0_2800_1106.exe", "ver_6_0_0_0.exe", "noversion.exe"}) {
            ASSERT_NE(GetFileAttributesA(Tool(name).c_str()), INVALID_FILE_ATTRIBUTES) << "missing test program " << name;
        }
    }
};

TEST_F(VersionsTest, BoundariesAroundAnExactVersion) {
    const std::string p = Tool("ver_6_0_2800_1106.exe");
    EXPECT_FALSE(Below("6.0.2800.1106", p));  // equal is not below
    EXPECT_TRUE(Below("6.0.2800.1107", p));
    EXPECT_TRUE(Below("6.0.2801.0", p));
    EXPECT_TRUE(Below("6.1.0.0", p));
    EXPECT_TRUE(Below("7.0.0.0", p));
    EXPECT_FALSE(Below("6.0.2800.1105", p));
    EXPECT_FALSE(Below("5.65535.65535.65535", p));
    EXPECT_FALSE(Below("0.0.0.0", p));
}

TEST_F(VersionsTest, OnlyTheFileVersionIsRead) {
    // ver_5_5_0_0 carries product version 9.9.9.9, ver_6_0_2800_1106 product
    // version 1.0.0.0 and ver_6_0_0_0 product version 5.0.0.0.
    EXPECT_TRUE(Below("6.0.0.0", Tool("ver_5_5_0_0.exe")));
    EXPECT_FALSE(Below("5.5.0.0", Tool("ver_5_5_0_0.exe")));
    EXPECT_TRUE(Below("5.5.0.1", Tool("ver_5_5_0_0.exe")));
    EXPECT_FALSE(Below("2.0.0.0", Tool("ver_6_0_2800_1106.exe")));
    EXPECT_FALSE(Below("6.0.0.0", Tool("ver_6_0_0_0.exe")));
    EXPECT_TRUE(Below("6.0.0.1", Tool("ver_6_0_0_0.exe")));
}

TEST_F(VersionsTest, NoVersionResourceIsBelowEverything) {
    const std::string p = Tool("noversion.exe");
    DWORD ignored = 0;
    // Precondition read through the same system DLL the product uses at run time.
    HMODULE version = LoadLibraryA("version.dll");
    ASSERT_NE(version, nullptr);
    auto getSize = reinterpret_cast<DWORD(WINAPI*)(LPCSTR, LPDWORD)>(
        reinterpret_cast<void*>(GetProcAddress(version, "GetFileVersionInfoSizeA")));
    ASSERT_NE(getSize, nullptr);
    ASSERT_EQ(getSize(p.c_str(), &ignored), 0u) << "noversion.exe unexpectedly has a version resource";

    EXPECT_TRUE(Below("0.0.0.0", p));
    EXPECT_TRUE(Below("65535.65535.65535.65535", p));
}

TEST_F(VersionsTest, MissingOrUnreadableFileIsBelow) {
    EXPECT_TRUE(Below("0.0.0.0", BinFolder() + "no-such-program.exe"));
    EXPECT_TRUE(Below("0.0.0.0", std::string("")));
    EXPECT_TRUE(IsVersionBelow(Bound("0.0.0.0").b, nullptr));
    // A folder has no version information either.
    EXPECT_TRUE(Below("0.0.0.0", BinFolder()));
}

TEST_F(VersionsTest, ViewerTestUnsetBoundNeverTooOld) {
    VersionBound unset;
    EXPECT_FALSE(IsViewerTooOld(unset, Tool("noversion.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(unset, Tool("ver_5_5_0_0.exe").c_str()));
}

TEST_F(VersionsTest, ViewerTestByVersion) {
    EXPECT_TRUE(IsViewerTooOld(Bound("6.0.0.0").b, Tool("ver_5_5_0_0.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(Bound("6.0.0.0").b, Tool("ver_6_0_0_0.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(Bound("6.0.0.0").b, Tool("ver_6_0_2800_1106.exe").c_str()));
}

TEST_F(VersionsTest, ViewerTestProgramNameIgnoresCaseAndOtherViewersPass) {
    // The bound concerns only the named viewer, compared ignoring case.
    EXPECT_TRUE(IsViewerTooOld(Bound("6.0.0.0,VER_5_5_0_0.EXE").b, Tool("ver_5_5_0_0.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(Bound("9.0.0.0,other.exe").b, Tool("ver_5_5_0_0.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(Bound("9.0.0.0,other.exe").b, Tool("noversion.exe").c_str()));
    // The name is the part after the last backslash only.
    EXPECT_FALSE(IsViewerTooOld(Bound("9.0.0.0,bin").b, Tool("ver_5_5_0_0.exe").c_str()));
}

TEST_F(VersionsTest, ViewerTestNotBoundFindsOnlyUnversionedViewers) {
    EXPECT_FALSE(IsViewerTooOld(Bound("not").b, Tool("ver_5_5_0_0.exe").c_str()));
    EXPECT_TRUE(IsViewerTooOld(Bound("NOT").b, Tool("noversion.exe").c_str()));
    EXPECT_FALSE(IsViewerTooOld(Bound("not,other.exe").b, Tool("noversion.exe").c_str()));
}

TEST_F(VersionsTest, VersionDllComesFromTheSystemFolder) {
    ASSERT_EQ(GetModuleHandleA("version.dll"), nullptr) << "loaded before the first version test";
    ASSERT_FALSE(Below("1.0.0.0", Tool("ver_5_5_0_0.exe")));
    HMODULE loaded = GetModuleHandleA("version.dll");
    ASSERT_NE(loaded, nullptr) << "the version functions were not loaded at run time";
    char loadedPath[MAX_PATH] = {};
    ASSERT_GT(GetModuleFileNameA(loaded, loadedPath, MAX_PATH), 0u);
    char system[MAX_PATH] = {};
    UINT n = GetSystemDirectoryA(system, MAX_PATH);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(_strnicmp(loadedPath, system, n), 0) << loadedPath;
    EXPECT_EQ(loadedPath[n], '\\') << loadedPath;
}

// Walks this program's own import table: the version functions must not be
// imported statically (a DLL beside a launcher on a writable medium would win).
TEST_F(VersionsTest, NoStaticImportOfVersionDll) {
    const BYTE* base = reinterpret_cast<const BYTE*>(GetModuleHandleA(nullptr));
    const IMAGE_DOS_HEADER* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    ASSERT_EQ(dos->e_magic, IMAGE_DOS_SIGNATURE);
    const IMAGE_NT_HEADERS* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    ASSERT_NE(dir.VirtualAddress, 0u);
    int count = 0;
    bool sawKernel = false;
    for (const IMAGE_IMPORT_DESCRIPTOR* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress);
         d->Name; ++d, ++count) {
        const char* name = reinterpret_cast<const char*>(base + d->Name);
        EXPECT_NE(_stricmp(name, "version.dll"), 0);
        if (_stricmp(name, "kernel32.dll") == 0) sawKernel = true;
    }
    EXPECT_GT(count, 0);
    EXPECT_TRUE(sawKernel);  // the walk itself works
}

}  // namespace
