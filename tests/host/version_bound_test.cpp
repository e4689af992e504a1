// Version bound text form and the pure version comparison.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "conditions/version_bound.h"

namespace {

// Parses a copy of `text` (the parser cuts its input in place).
bool Parse(VersionBound& bound, const char* text) {
    std::string copy(text);
    return ParseVersionBound(bound, &copy[0]);
}

void ExpectVersion(const VersionBound& b, unsigned major, unsigned minor, unsigned build, unsigned revision) {
    EXPECT_EQ(b.major, major);
    EXPECT_EQ(b.minor, minor);
    EXPECT_EQ(b.build, build);
    EXPECT_EQ(b.revision, revision);
}

TEST(ParseVersionBound, FourPiecesGiveTheVersionInOrder) {
    VersionBound b;
    ASSERT_TRUE(Parse(b, "6.0.2800.1106"));
    EXPECT_TRUE(b.set);
    EXPECT_FALSE(b.negated);
    EXPECT_EQ(b.programName, nullptr);
    ExpectVersion(b, 6, 0, 2800, 1106);

    VersionBound top;
    ASSERT_TRUE(Parse(top, "65535.65535.65535.65535"));
    ExpectVersion(top, 65535, 65535, 65535, 65535);
}

TEST(ParseVersionBound, PieceCountAndEmptyPieces) {
    VersionBound two;
    EXPECT_FALSE(Parse(two, "5.0"));
    EXPECT_FALSE(two.set);
    VersionBound three;
    EXPECT_FALSE(Parse(three, "5.0.0"));
    EXPECT_FALSE(three.set);

    VersionBound five;
    ASSERT_TRUE(Parse(five, "5.0.0.0.9"));
    ExpectVersion(five, 5, 0, 0, 0);

    VersionBound gap;
    ASSERT_TRUE(Parse(gap, "5..0.0.1"));
    ExpectVersion(gap, 5, 0, 0, 1);

    VersionBound dots;
    ASSERT_TRUE(Parse(dots, "..1...2.3..4.."));
    ExpectVersion(dots, 1, 2, 3, 4);

    VersionBound gapsOnly;
    EXPECT_FALSE(Parse(gapsOnly, "5...."));
}

TEST(ParseVersionBound, PieceRange) {
    VersionBound high;
    EXPECT_FALSE(Parse(high, "5.65536.0.0"));
    EXPECT_FALSE(high.set);
    VersionBound negative;
    EXPECT_FALSE(Parse(negative, "5.0.-1.0"));
    EXPECT_FALSE(negative.set);
    // Far outside 32 bits: must not wrap back into range.
    VersionBound huge;
    EXPECT_FALSE(Parse(huge, "4294967296.0.0.0"));
    VersionBound huger;
    EXPECT_FALSE(Parse(huger, "18446744073709551617.0.0.0"));

    VersionBound minusZero;
    ASSERT_TRUE(Parse(minusZero, "-0.+7.0.0"));
    ExpectVersion(minusZero, 0, 7, 0, 0);
}

TEST(ParseVersionBound, DecimalConversionOfPieces) {
    // Leading white space, sign, digits up to the first other character; no digits give 0.
    VersionBound b;
    ASSERT_TRUE(Parse(b, " 7. \t12x.abc.3beta"));
    ExpectVersion(b, 7, 12, 0, 3);
    VersionBound hex;
    ASSERT_TRUE(Parse(hex, "0x10.1.1.1"));
    ExpectVersion(hex, 0, 1, 1, 1);
}

TEST(ParseVersionBound, ProgramNameAfterComma) {
    VersionBound b;
    ASSERT_TRUE(Parse(b, "5.0.0.0,Viewer.EXE"));
    ASSERT_NE(b.programName, nullptr);
    EXPECT_STREQ(b.programName, "Viewer.EXE");
    ExpectVersion(b, 5, 0, 0, 0);

    // The tokenizer skips empty tokens, so a doubled comma still finds the name;
    // only the token up to the next comma is kept.
    VersionBound doubled;
    ASSERT_TRUE(Parse(doubled, "5.0.0.0,,view.exe,extra"));
    EXPECT_STREQ(doubled.programName, "view.exe");

    VersionBound trailing;
    ASSERT_TRUE(Parse(trailing, "5.0.0.0,"));
    EXPECT_EQ(trailing.programName, nullptr);

    // Leading commas are skipped before the version part.
    VersionBound leading;
    ASSERT_TRUE(Parse(leading, ",,1.2.3.4,a.exe"));
    ExpectVersion(leading, 1, 2, 3, 4);
    EXPECT_STREQ(leading.programName, "a.exe");

    // A lone name is taken as the version part and fails.
    VersionBound nameOnly;
    EXPECT_FALSE(Parse(nameOnly, ",a.exe"));
    EXPECT_FALSE(nameOnly.set);
}

TEST(ParseVersionBound, MalformedVersionKeepsTheProgramName) {
    VersionBound b;
    EXPECT_FALSE(Parse(b, "5.0,view.exe"));
    EXPECT_FALSE(b.set);
    ASSERT_NE(b.programName, nullptr);
    EXPECT_STREQ(b.programName, "view.exe");
}

TEST(ParseVersionBound, NotKeywordInAnyCase) {
    for (const char* text : {"not", "NOT", "nOt"}) {
        VersionBound b;
        ASSERT_TRUE(Parse(b, text)) << text;
        EXPECT_TRUE(b.set);
        EXPECT_TRUE(b.negated);
        EXPECT_EQ(b.programName, nullptr);
        ExpectVersion(b, 0, 0, 0, 0);
    }
    VersionBound named;
    ASSERT_TRUE(Parse(named, "NOT,iexplore.exe"));
    EXPECT_TRUE(named.negated);
    EXPECT_STREQ(named.programName, "iexplore.exe");

    VersionBound longer;
    EXPECT_FALSE(Parse(longer, "nothing"));
    EXPECT_FALSE(longer.negated);
}

TEST(ParseVersionBound, EmptyTextLeavesTheBoundUnset) {
    VersionBound b;
    EXPECT_FALSE(Parse(b, ""));
    EXPECT_FALSE(b.set);
    VersionBound commas;
    EXPECT_FALSE(Parse(commas, ",,,"));
    EXPECT_FALSE(commas.set);
    EXPECT_FALSE(ParseVersionBound(b, nullptr));
}

TEST(ParseVersionBound, TextIsCutInPlace) {
    char text[] = "1.2.3.4,p.exe";
    VersionBound b;
    ASSERT_TRUE(ParseVersionBound(b, text));
    EXPECT_EQ(text[7], '\0');
    EXPECT_NE(b.programName, text + 8);  // a heap copy, not a view into the text
    EXPECT_STREQ(b.programName, "p.exe");
}

TEST(ParseVersionBound, ReparsingForgetsTheEarlierText) {
    VersionBound b;
    ASSERT_TRUE(Parse(b, "not,a.exe"));
    ASSERT_TRUE(Parse(b, "3.0.0.0"));
    EXPECT_FALSE(b.negated);
    EXPECT_EQ(b.programName, nullptr);
    ASSERT_TRUE(Parse(b, "not"));
    ExpectVersion(b, 0, 0, 0, 0);
    EXPECT_FALSE(Parse(b, "1.2"));
    EXPECT_FALSE(b.set);
    EXPECT_FALSE(b.negated);
}

TEST(VersionIsBelow, ComparesPiecesMajorFirst) {
    VersionBound b;
    ASSERT_TRUE(Parse(b, "6.0.2800.1106"));
    EXPECT_FALSE(VersionIsBelow({6, 0, 2800, 1106}, b));  // equal is not below
    EXPECT_TRUE(VersionIsBelow({6, 0, 2800, 1105}, b));
    EXPECT_TRUE(VersionIsBelow({6, 0, 2799, 65535}, b));
    EXPECT_TRUE(VersionIsBelow({5, 65535, 65535, 65535}, b));
    EXPECT_FALSE(VersionIsBelow({6, 0, 2800, 1107}, b));
    EXPECT_FALSE(VersionIsBelow({6, 1, 0, 0}, b));
    EXPECT_FALSE(VersionIsBelow({7, 0, 0, 0}, b));

    VersionBound lower;
    ASSERT_TRUE(Parse(lower, "5.65535.65535.65535"));
    EXPECT_FALSE(VersionIsBelow({6, 0, 2800, 1106}, lower));

    VersionBound zero;
    ASSERT_TRUE(Parse(zero, "0.0.0.0"));
    EXPECT_FALSE(VersionIsBelow({0, 0, 0, 0}, zero));
}

TEST(VersionIsBelow, PiecesCompareUnsigned) {
    VersionBound b;
    ASSERT_TRUE(Parse(b, "1.40000.0.0"));
    EXPECT_TRUE(VersionIsBelow({1, 39999, 65535, 65535}, b));
    EXPECT_FALSE(VersionIsBelow({1, 65535, 0, 0}, b));
}

TEST(FileNamePart, TextAfterLastBackslash) {
    EXPECT_STREQ(FileNamePart("C:\\Program Files\\View\\view.exe"), "view.exe");
    EXPECT_STREQ(FileNamePart("view.exe"), "view.exe");
    EXPECT_STREQ(FileNamePart("C:\\dir\\"), "");
    EXPECT_STREQ(FileNamePart(""), "");
}

TEST(EqualNoCase, IgnoresAsciiCaseOnly) {
    EXPECT_TRUE(EqualNoCase("IEXPLORE.EXE", "iexplore.exe"));
    EXPECT_FALSE(EqualNoCase("view.exe", "view.ex"));
    EXPECT_FALSE(EqualNoCase("view.ex", "view.exe"));
    EXPECT_FALSE(EqualNoCase("[", "{"));  // not letters: no case folding
    EXPECT_TRUE(EqualNoCase("", ""));
}

}  // namespace
