// The settings file reader must answer like the Windows profile functions
// while keeping the file's bytes untouched.
#include <gtest/gtest.h>

#include <string>

#include "settings/ini_reader.h"

namespace {

std::string Get(const IniFile& ini, const char* key, const char* def = "<def>", size_t cap = 1024) {
    char buf[IniFile::DecodedRoom(1024)];
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

// In a file with the UTF-8 mark (as a UTF-16 file arrives) capacities count
// UTF-16 units, as the wide profile functions do: a character beyond U+FFFF
// counts two and is never split, a malformed sequence counts one as the
// U+FFFD it becomes. A file without
// the mark is cut by bytes of its code page; the program's own defaults are
// UTF-8 and cut by characters when the texts are.
TEST(IniReader, UnicodeValuesAreCutByCharacters) {
    IniFile ini;
    const std::string cyrillic = "\xD0\xB4\xD0\xB0";  // да
    const std::string face = "\xF0\x9F\x98\x80";      // U+1F600
    Load(ini, "\xEF\xBB\xBF[Info]\nC=" + cyrillic + cyrillic + "\nE=" + face + face + "x\nM=\xE2\x82\xC3\xA9t\n");
    EXPECT_EQ(Get(ini, "C", "", 4), cyrillic + "\xD0\xB4");  // 3 characters, 6 bytes
    EXPECT_EQ(Get(ini, "E", "", 4), face);                     // 3 units: the second pair would be split
    EXPECT_EQ(Get(ini, "E", "", 6), face + face + "x");
    EXPECT_EQ(Get(ini, "M", "", 3), "\xE2\x82\xC3\xA9");   // a cut sequence, then é
    EXPECT_EQ(Get(ini, "Missing", "\xD0\xB4\xD0\xB0t", 3), cyrillic);

    IniFile ansi;
    Load(ansi, "[Info]\nC=" + cyrillic + cyrillic + "\n");
    EXPECT_EQ(Get(ansi, "C", "", 4), "\xD0\xB4\xD0");  // 3 bytes, as the ANSI functions cut them
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

// The checker's listing: comment lines are entries for the look-ups (the
// profile functions know no comments) but not listed, and every listed line
// of the read section still finds its entry past them.
TEST(IniReader, ListingSkipsCommentsAndStillLinksTheKeptLines) {
    IniFile ini;
    const std::string text = "; top\n[ Other ]\nX=1\n[\tinfo ]\n;c=1\nA=1\n;d\n;e=2\nB=2\n[Info]\nC=3\n";
    ini.Load(text.data(), text.size(), "Info", true);
    ASSERT_EQ(ini.SectionCount(), 3u);
    EXPECT_EQ(std::string(ini.SectionAt(0).name, ini.SectionAt(0).nameLength), "Other");
    EXPECT_TRUE(ini.SectionAt(1).read);
    EXPECT_FALSE(ini.SectionAt(2).read);
    ASSERT_EQ(ini.KeyLineCount(), 4u);  // X, A, B, C
    EXPECT_EQ(ini.KeyLineAt(0).kept, nullptr);
    ASSERT_NE(ini.KeyLineAt(1).kept, nullptr);
    EXPECT_EQ(ini.KeyLineAt(1).kept->line, 6);
    ASSERT_NE(ini.KeyLineAt(2).kept, nullptr);
    EXPECT_EQ(ini.KeyLineAt(2).kept->line, 9);
    EXPECT_EQ(ini.KeyLineAt(3).kept, nullptr);
    EXPECT_EQ(Get(ini, ";e"), "2");
    EXPECT_EQ(ini.EntryCount(), 5u);
}

// The integer rule's pieces that only matter to the checker: how much of the
// text was a number, and whether it wrapped.
TEST(IniReader, ProfileIntegerReportsWhatItRead) {
    size_t used = 0;
    bool wrapped = false;
    EXPECT_EQ(ProfileInteger("0x1fZ", 5, &used, &wrapped), 31);
    EXPECT_EQ(used, 4u);
    EXPECT_EQ(ProfileInteger("\x01 -12px", 8, &used, &wrapped), -12);
    EXPECT_EQ(used, 5u);
    EXPECT_FALSE(wrapped);
    EXPECT_EQ(ProfileInteger("0x", 2, &used), 0);
    EXPECT_EQ(used, 0u);
    EXPECT_EQ(ProfileInteger("2147483648", 10, &used, &wrapped), INT32_MIN);
    EXPECT_TRUE(wrapped);
    EXPECT_EQ(ProfileInteger("0xFFFFFFFFF", 11, &used, &wrapped), -1);
    EXPECT_TRUE(wrapped);
}

}  // namespace
