// Reading Corva.INF from disk: once, bytes kept, missing files harmless.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "settings/ini_reader.h"
#include "settings/settings_file.h"

namespace {

std::string TempFile(const std::string& name, const std::string& bytes) {
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "cv" + std::to_string(GetCurrentProcessId()) + name;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    return path;
}

TEST(SettingsFile, MissingFileLeavesTheReaderEmpty) {
    IniFile ini;
    EXPECT_FALSE(LoadSettingsFile("Z:\\no\\such\\folder\\Corva.INF", ini));
    EXPECT_FALSE(LoadSettingsFile("", ini));
    char buf[16];
    EXPECT_EQ(ini.GetString("Title", "dflt", buf, sizeof buf), 4u);
    EXPECT_FALSE(ini.HasBom());
}

TEST(SettingsFile, Utf8FileKeepsItsBytes) {
    std::string path = TempFile("utf8.ini", "\xEF\xBB\xBF[Info]\r\nTitle=\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA\r\n");
    IniFile ini;
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
    EXPECT_TRUE(ini.HasBom());
    char buf[64];
    ini.GetString("Title", "", buf, sizeof buf);
    EXPECT_STREQ(buf, "\xD0\x94\xD0\xB8\xD1\x81\xD0\xBA");
    DeleteFileA(path.c_str());
}

// Saved as "Unicode" by an editor: every character reaches the program, as
// UTF-8 with its mark, whatever the ANSI code page holds.
TEST(SettingsFile, Utf16FilesAreReadWhole) {
    const std::string le("\xFF\xFE[\0I\0n\0f\0o\0]\0\r\0\n\0T\0i\0t\0l\0e\0=\0c\0a\0f\0\xE9\0 \0\xB1\x03", 42);
    std::string be;
    for (size_t i = 0; i + 1 < le.size(); i += 2) be += std::string{le[i + 1], le[i]};
    for (const std::string& bytes : {le, be}) {
        std::string path = TempFile("utf16.ini", bytes);
        IniFile ini;
        ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
        EXPECT_TRUE(ini.HasBom());
        char buf[64];
        ini.GetString("Title", "", buf, sizeof buf);
        EXPECT_STREQ(buf, "caf\xC3\xA9 \xCE\xB1");  // café α
        DeleteFileA(path.c_str());
    }
    // A language section of a UTF-16 file answers for its users, as in every
    // encoding; the encoding is told.
    std::string withGreek = le;
    for (char c : std::string("\r\n[Info.el]\r\nTitle=")) withGreek += std::string{c, '\0'};
    withGreek += std::string("\xB1\x03\xB2\x03", 4);  // αβ
    const std::string path = TempFile("utf16lang.ini", withGreek);
    const LanguageTag greek = {"el-GR", 5};
    IniFile ini;
    TextEncoding encoding = TextEncoding::Ansi;
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini, &encoding, &greek, 1));
    EXPECT_EQ(encoding, TextEncoding::Utf16);
    char buf[64];
    ini.GetString("Title", "", buf, sizeof buf);
    EXPECT_STREQ(buf, "\xCE\xB1\xCE\xB2");
    DeleteFileA(path.c_str());
}

// Capacities count characters: a UTF-16 file's values as the wide profile
// functions count them (UTF-16 units), never cut inside a surrogate pair;
// a file without a mark by bytes of its code page, then converted.
TEST(SettingsFile, ValuesAreCutByCharactersInEveryEncoding) {
    std::wstring text = L"[Info]\r\nLong=";
    for (int i = 0; i < 700; ++i) text += static_cast<wchar_t>(0x0430 + i % 32);
    text += L"\r\nPairs=";
    for (int i = 0; i < 600; ++i) text += L"\xD83D\xDE00";  // U+1F600, two units each
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : text + L"\r\n") utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    std::vector<char> buf(IniFile::DecodedRoom(1024) + 1, '#');
    std::string path = TempFile("cut16.ini", utf16);
    IniFile ini;
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
    EXPECT_EQ(ini.GetString("Long", "", buf.data(), 1024), 1400u) << "700 letters are whole";
    EXPECT_EQ(ini.GetString("Pairs", "", buf.data(), 1024), 511u * 4) << "1023 units hold 511 whole pairs";
    EXPECT_EQ(std::string(buf.data()).substr(2040), "\xF0\x9F\x98\x80");
    DeleteFileA(path.c_str());

    ASSERT_EQ(GetACP(), 1252u) << "the case is written for the Western code page";
    path = TempFile("cutansi.ini", "[Info]\r\nLong=" + std::string(1100, '\xE9') + "\r\n");
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
    EXPECT_EQ(ini.GetString("Long", "", buf.data(), 1024), 2046u) << "1023 bytes, each two bytes of UTF-8";
    EXPECT_EQ(buf[IniFile::DecodedRoom(1024)], '#');
    DeleteFileA(path.c_str());
}

TEST(SettingsFile, ShortOrEmptyFilesAreNotUtf8) {
    for (const char* bytes : {"", "\xEF\xBB", "[Info]\nA=1\n"}) {
        std::string path = TempFile("short.ini", bytes);
        IniFile ini;
        EXPECT_TRUE(LoadSettingsFile(path.c_str(), ini));
        EXPECT_FALSE(ini.HasBom());
        DeleteFileA(path.c_str());
    }
}

TEST(SettingsFile, TheFileIsNotLockedAgainstReaders) {
    std::string path = TempFile("share.ini", "[Info]\nA=1\n");
    HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    IniFile ini;
    EXPECT_TRUE(LoadSettingsFile(path.c_str(), ini));
    EXPECT_EQ(ini.GetInt("A", 0), 1);
    CloseHandle(other);
    DeleteFileA(path.c_str());
}

}  // namespace
