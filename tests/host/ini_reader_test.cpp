// The settings file reader must answer like the Windows profile functions
// while keeping the file's bytes untouched.
#include <gtest/gtest.h>

#include <string>

#include "app/ini_reader.h"

namespace {

std::string Get(const IniFile& ini, const char* key, const char* def = "<def>", size_t cap = 1024) {
    char buf[2048];
    size_t n = ini.GetString(key, def, buf, cap);
    EXPECT_EQ(n, std::string(buf).size());
    return buf;
}

IniFile& Load(IniFile& ini, const std::string& text) {
    ini.Load(text.data(), text.size());
    return ini;
}

TEST(IniReader, SectionAndKeyNamesIgnoreCase) {
    IniFile ini;
    Load(ini, "[iNFO]\nfileNAME=readme.htm\n");
    EXPECT_EQ(Get(ini, "Filename"), "readme.htm");
    EXPECT_EQ(Get(ini, "FILENAME"), "readme.htm");
}

TEST(IniReader, MissingKeyGivesDefaultEmptyValueGivesEmpty) {
    IniFile ini;
    Load(ini, "[Info]\nDisplay=\nTitle\n");
    EXPECT_EQ(Get(ini, "Display", "Quarnsoft"), "");
    EXPECT_EQ(Get(ini, "Web", "dflt"), "dflt");
    // A line without '=' names a key without a value: the default applies.
    EXPECT_EQ(Get(ini, "Title", "Corvane 3.2"), "Corvane 3.2");
}

TEST(IniReader, OnlyTheInfoSectionCountsAndTheFirstOneWins) {
    IniFile ini;
    Load(ini, "Filename=outside\n[Other]\nFilename=other\n[Info]\nFilename=first\nFilename=second\n[Info]\nFilename=third\nParam=p\n");
    EXPECT_EQ(Get(ini, "Filename"), "first");
    EXPECT_EQ(Get(ini, "Param"), "<def>");
}

TEST(IniReader, WhiteSpaceQuotesAndComments) {
    IniFile ini;
    Load(ini,
         "  [Info]  \n"
         "  Title  =   spaced value \t \n"
         "; Filename=commented\n"
         "Message=\"quoted text\"\n"
         "Web='single'\n"
         "Display=\"unbalanced\n"
         "Param=\"\"\n"
         "ExitMsg=\"a\"b\"\n");
    EXPECT_EQ(Get(ini, "Title"), "spaced value");
    EXPECT_EQ(Get(ini, "Filename"), "<def>");
    EXPECT_EQ(Get(ini, "Message"), "quoted text");
    EXPECT_EQ(Get(ini, "Web"), "single");
    EXPECT_EQ(Get(ini, "Display"), "\"unbalanced");
    EXPECT_EQ(Get(ini, "Param"), "");
    EXPECT_EQ(Get(ini, "ExitMsg"), "a\"b");
}

TEST(IniReader, AllThreeLineEndsAndNoFinalNewline) {
    IniFile ini;
    Load(ini, "[Info]\r\nA=1\r\nB=2\nC=3\rD=4");
    EXPECT_EQ(Get(ini, "A"), "1");
    EXPECT_EQ(Get(ini, "B"), "2");
    EXPECT_EQ(Get(ini, "C"), "3");
    EXPECT_EQ(Get(ini, "D"), "4");
    EXPECT_EQ(ini.Find("D")->line, 5);
}

TEST(IniReader, ByteOrderMarkBeforeTheSectionIsIgnoredAndBytesAreKept) {
    IniFile ini;
    Load(ini, "\xEF\xBB\xBF[Info]\nTitle=\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1\n");
    EXPECT_TRUE(ini.HasBom());
    EXPECT_EQ(Get(ini, "Title"), "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1");

    IniFile bare;
    Load(bare, "\xEF\xBB\xBF");  // a BOM without any section
    EXPECT_TRUE(bare.HasBom());
    EXPECT_EQ(Get(bare, "Title"), "<def>");
}

TEST(IniReader, ValuesAreCutToCapacityMinusOne) {
    IniFile ini;
    Load(ini, "[Info]\nA=abcdefghij\nQ=\"abcdef\"\n");
    EXPECT_EQ(Get(ini, "A", "", 5), "abcd");
    EXPECT_EQ(Get(ini, "A", "", 1), "");
    EXPECT_EQ(Get(ini, "Q", "", 4), "abc");  // quotes go first, then the cut
    EXPECT_EQ(Get(ini, "Missing", "longdefault", 5), "long");
}

TEST(IniReader, IntegersFollowTheProfileRule) {
    IniFile ini;
    Load(ini, "[Info]\nA=-1\nB=120px\nC=abc\nD=\nE=+7\nF=\"42\"\nG=4294967295\nH=-\n");
    EXPECT_EQ(ini.GetInt("A", 9), -1);
    EXPECT_EQ(ini.GetInt("B", 9), 120);
    EXPECT_EQ(ini.GetInt("C", 9), 0);
    EXPECT_EQ(ini.GetInt("D", 9), 9);  // empty gives the default
    EXPECT_EQ(ini.GetInt("E", 9), 7);
    EXPECT_EQ(ini.GetInt("F", 9), 42);
    EXPECT_EQ(ini.GetInt("G", 9), -1);  // wraps like the 32-bit conversion
    EXPECT_EQ(ini.GetInt("H", 9), 0);
    EXPECT_EQ(ini.GetInt("Missing", 16), 16);
}

TEST(IniReader, GarbageNulBytesAndHugeLinesStayInBounds) {
    std::string junk = "[Info]\nA=before";
    junk.push_back('\0');
    junk += "after\nB=ok\n";
    junk += std::string(10 * 1024 * 1024, 'x');  // a 10 MB line without end
    IniFile ini;
    Load(ini, junk);
    EXPECT_EQ(Get(ini, "A"), "before");  // a value ends at an embedded NUL
    EXPECT_EQ(Get(ini, "B"), "ok");
    EXPECT_EQ(Get(ini, std::string(100, 'x').c_str()), "<def>");

    std::string binary;
    for (int i = 0; i < 70000; ++i) binary.push_back(static_cast<char>((i * 131) & 0xFF));
    IniFile noise;
    Load(noise, binary);
    EXPECT_EQ(Get(noise, "Filename"), "<def>");
}

TEST(IniReader, ManyKeysAreFoundQuicklyAndFirstDuplicateWins) {
    std::string text = "[Info]\n";
    for (int i = 0; i < 200000; ++i) text += "K" + std::to_string(i % 5000) + "=" + std::to_string(i) + "\n";
    IniFile ini;
    Load(ini, text);
    EXPECT_EQ(Get(ini, "k42"), "42");
    EXPECT_EQ(Get(ini, "K4999"), "4999");
    EXPECT_EQ(ini.EntryCount(), 200000u);
}

}  // namespace
