// Condition parsing, the left-to-right combination and the registry
// comparisons, without the platform.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "conditions/condition.h"

namespace {

class ConditionTest : public ::testing::Test {
protected:
    bool Parse(const char* text) {
        buffer_.assign(text, text + strlen(text) + 1);
        return ParseCondition(buffer_.data(), condition_);
    }
    bool Failed() const { return condition_.parseError != nullptr; }
    std::string ErrorText() const { return condition_.parseError ? condition_.parseError : ""; }
    std::vector<char> buffer_;
    Condition condition_;
};

// --- parsing ---------------------------------------------------------------

TEST_F(ConditionTest, EmptyTextHasNoTerms) {
    EXPECT_TRUE(Parse(""));
    EXPECT_EQ(condition_.count, 0);
    EXPECT_FALSE(Failed());
}

TEST_F(ConditionTest, TermKindsAndFileOperands) {
    ASSERT_TRUE(Parse("f?a.txt?|?!?&?f?b dir\\c.txt?"));
    ASSERT_EQ(condition_.count, 5);
    EXPECT_EQ(condition_.terms[0].kind, TermFile);
    EXPECT_STREQ(condition_.terms[0].path, "a.txt");
    EXPECT_EQ(condition_.terms[1].kind, TermOr);
    EXPECT_EQ(condition_.terms[2].kind, TermNot);
    EXPECT_EQ(condition_.terms[3].kind, TermAnd);
    EXPECT_EQ(condition_.terms[4].kind, TermFile);
    EXPECT_STREQ(condition_.terms[4].path, "b dir\\c.txt");
    EXPECT_FALSE(Failed());
}

TEST_F(ConditionTest, LastOperandMayRunToTheEnd) {
    ASSERT_TRUE(Parse("!?f?readme.txt"));
    ASSERT_EQ(condition_.count, 2);
    EXPECT_STREQ(condition_.terms[1].path, "readme.txt");
    // An empty last operand is still a term.
    ASSERT_TRUE(Parse("f?"));
    ASSERT_EQ(condition_.count, 1);
    EXPECT_STREQ(condition_.terms[0].path, "");
}

TEST_F(ConditionTest, SixthTermIsIgnoredSilently) {
    EXPECT_TRUE(Parse("f?1?f?2?f?3?f?4?f?5?f?6?"));
    EXPECT_EQ(condition_.count, 5);
    EXPECT_STREQ(condition_.terms[4].path, "5");
    // Even a malformed rest after the fifth term is not looked at.
    EXPECT_TRUE(Parse("&?&?&?&?&?Xjunk"));
    EXPECT_EQ(condition_.count, 5);
    EXPECT_FALSE(Failed());
}

TEST_F(ConditionTest, InvalidConditionalKeepsEarlierTerms) {
    EXPECT_FALSE(Parse("f?a?F?b?"));
    EXPECT_EQ(condition_.count, 1);
    EXPECT_TRUE(Failed());
    EXPECT_EQ(ErrorText(), "Invalid conditional");

    SetUp();
    EXPECT_FALSE(Parse("&"));  // letter without "?"
    EXPECT_EQ(condition_.count, 0);
    EXPECT_EQ(ErrorText(), "Invalid conditional");

    SetUp();
    EXPECT_FALSE(Parse("f!a"));
    EXPECT_EQ(ErrorText(), "Invalid conditional");

    SetUp();
    EXPECT_FALSE(Parse("&? f?a"));  // nothing may stand between terms
    EXPECT_EQ(condition_.count, 1);
    EXPECT_TRUE(Failed());
}

TEST_F(ConditionTest, EachParseStartsWithoutAnError) {
    EXPECT_FALSE(Parse("x?"));
    EXPECT_TRUE(Failed());
    EXPECT_TRUE(Parse("f?a?"));
    EXPECT_FALSE(Failed());
    EXPECT_FALSE(Parse("r?HKEY_CURRENT_CONFIG\\X?"));
    EXPECT_EQ(ErrorText(), "Invalid registry key name");
}

TEST_F(ConditionTest, VersionRangeOperands) {
    ASSERT_TRUE(Parse("v?5.0.0.0:6.0.0.0,View.exe?&?v?not,iexplore.exe?"));
    ASSERT_EQ(condition_.count, 3);
    const ConditionTerm& range = condition_.terms[0];
    EXPECT_EQ(range.kind, TermVersion);
    EXPECT_TRUE(range.fromBound.set);
    EXPECT_EQ(range.fromBound.major, 5);
    EXPECT_EQ(range.fromBound.programName, nullptr);
    EXPECT_TRUE(range.toBound.set);
    EXPECT_EQ(range.toBound.major, 6);
    EXPECT_STREQ(range.toBound.programName, "View.exe");
    const ConditionTerm& negated = condition_.terms[2];
    EXPECT_TRUE(negated.fromBound.negated);
    EXPECT_STREQ(negated.fromBound.programName, "iexplore.exe");
    EXPECT_FALSE(negated.toBound.set);
}

TEST_F(ConditionTest, VersionErrorsNameTheFailingBound) {
    EXPECT_FALSE(Parse("f?a?v?5.0:6.0.0.0?"));
    EXPECT_EQ(condition_.count, 1);
    EXPECT_EQ(ErrorText(), "Invalid filename 'version from' information");

    SetUp();
    EXPECT_FALSE(Parse("v?5.0.0.0:6.0?"));
    EXPECT_EQ(condition_.count, 0);
    EXPECT_EQ(ErrorText(), "Invalid filename 'version to' information");

    SetUp();
    EXPECT_FALSE(Parse("v??"));  // empty range: the from bound does not parse
    EXPECT_EQ(ErrorText(), "Invalid filename 'version from' information");

    SetUp();
    EXPECT_FALSE(Parse("v?1.0.0.0:"));
    EXPECT_EQ(ErrorText(), "Invalid filename 'version to' information");
}

TEST_F(ConditionTest, RegistryOperandSplits) {
    ASSERT_TRUE(Parse("r?HKEY_LOCAL_MACHINE\\Software\\X\\Version>0x10?"));
    const ConditionTerm& t = condition_.terms[0];
    EXPECT_EQ(t.kind, TermRegistry);
    EXPECT_EQ(t.rootKey, RootLocalMachine);
    EXPECT_STREQ(t.subkeyPath, "Software\\X");
    EXPECT_STREQ(t.valueName, "Version");
    EXPECT_EQ(t.op, OpGreater);
    EXPECT_STREQ(t.comparisonText, "0x10");
}

TEST_F(ConditionTest, RegistryRootsIgnoreCaseAndDefaultValues) {
    ASSERT_TRUE(Parse("r?hkey_current_user\\Software\\X\\"));
    EXPECT_EQ(condition_.terms[0].rootKey, RootCurrentUser);
    EXPECT_STREQ(condition_.terms[0].subkeyPath, "Software\\X");
    EXPECT_STREQ(condition_.terms[0].valueName, "");
    EXPECT_EQ(condition_.terms[0].op, OpNone);
    EXPECT_EQ(condition_.terms[0].comparisonText, nullptr);

    ASSERT_TRUE(Parse("r?HKEY_USERS\\Name"));
    EXPECT_EQ(condition_.terms[0].rootKey, RootUsers);
    EXPECT_EQ(condition_.terms[0].subkeyPath, nullptr);
    EXPECT_STREQ(condition_.terms[0].valueName, "Name");

    // The last component is the value name, never a key.
    ASSERT_TRUE(Parse("r?HKEY_LOCAL_MACHINE\\Software\\X"));
    EXPECT_STREQ(condition_.terms[0].subkeyPath, "Software");
    EXPECT_STREQ(condition_.terms[0].valueName, "X");

    ASSERT_TRUE(Parse("r?Hkey_Classes_Root\\.txt\\=txtfile"));
    EXPECT_EQ(condition_.terms[0].rootKey, RootClasses);
    EXPECT_STREQ(condition_.terms[0].subkeyPath, ".txt");
    EXPECT_STREQ(condition_.terms[0].valueName, "");
    EXPECT_EQ(condition_.terms[0].op, OpEqual);
    EXPECT_STREQ(condition_.terms[0].comparisonText, "txtfile");
}

TEST_F(ConditionTest, RegistryFirstOperatorWinsAndTheRestIsText) {
    ASSERT_TRUE(Parse("r?HKEY_CURRENT_USER\\K\\V<a=b>c\\d?"));
    const ConditionTerm& t = condition_.terms[0];
    EXPECT_EQ(t.op, OpLess);
    EXPECT_STREQ(t.comparisonText, "a=b>c\\d");
    EXPECT_STREQ(t.subkeyPath, "K");
    EXPECT_STREQ(t.valueName, "V");

    ASSERT_TRUE(Parse("r?HKEY_CURRENT_USER\\K\\V="));
    EXPECT_EQ(condition_.terms[0].op, OpEqual);
    EXPECT_STREQ(condition_.terms[0].comparisonText, "");
}

TEST_F(ConditionTest, RegistryRootMustBeOneOfFour) {
    EXPECT_FALSE(Parse("r?HKEY_CURRENT_CONFIG\\X"));
    EXPECT_EQ(ErrorText(), "Invalid registry key name");
    SetUp();
    EXPECT_FALSE(Parse("r?HKEY_CURRENT_USER"));  // the backslash belongs to the prefix
    EXPECT_EQ(ErrorText(), "Invalid registry key name");
    SetUp();
    EXPECT_FALSE(Parse("r?HKCU\\Software\\X"));
    EXPECT_TRUE(Failed());
}

TEST_F(ConditionTest, ReparsingReleasesEarlierTerms) {
    ASSERT_TRUE(Parse("f?a?r?HKEY_USERS\\A\\B=1?v?1.0.0.0,x.exe?"));
    ASSERT_TRUE(Parse("&?"));
    EXPECT_EQ(condition_.count, 1);
    EXPECT_EQ(condition_.terms[1].kind, TermNone);
    EXPECT_EQ(condition_.terms[1].subkeyPath, nullptr);
    EXPECT_EQ(condition_.terms[2].fromBound.programName, nullptr);
}

// --- combination -------------------------------------------------------------

// Each test term's path (any kind is fine for the combinator) names a truth
// value: "1" true, anything else false. Calls are recorded so that the absence
// of short cuts can be checked.
struct Recorder {
    std::vector<std::string> calls;
    std::string target;
};

bool FakeTest(const ConditionTerm& term, const char* target, void* context) {
    Recorder* r = static_cast<Recorder*>(context);
    r->calls.push_back(term.path ? term.path : "?");
    r->target = target ? target : "";
    return term.path && term.path[0] == '1';
}

class CombineTest : public ConditionTest {
protected:
    bool Eval(const char* text) {
        EXPECT_TRUE(Parse(text)) << text;
        recorder_ = Recorder();
        return CombineCondition(condition_, "doc.htm", FakeTest, &recorder_);
    }
    Recorder recorder_;
};

TEST_F(CombineTest, EmptyAndSingleTests) {
    EXPECT_TRUE(Eval(""));
    EXPECT_TRUE(recorder_.calls.empty());
    EXPECT_TRUE(Eval("f?1?"));
    EXPECT_FALSE(Eval("f?0?"));
    EXPECT_EQ(recorder_.target, "doc.htm");
}

TEST_F(CombineTest, AdjacentTestsAreJoinedByAnd) {
    EXPECT_TRUE(Eval("f?1?f?1?"));
    EXPECT_FALSE(Eval("f?1?f?0?"));
    EXPECT_FALSE(Eval("f?0?f?1?"));
    EXPECT_FALSE(Eval("f?1?&?f?0?"));
}

TEST_F(CombineTest, OrJoinsEitherAndEveryTestRuns) {
    EXPECT_TRUE(Eval("f?0?|?f?1?"));
    EXPECT_TRUE(Eval("f?1?|?f?0?"));
    EXPECT_EQ(recorder_.calls, (std::vector<std::string>{"1", "0"}));  // no short cut
    EXPECT_FALSE(Eval("f?0?|?f?0?"));
    EXPECT_FALSE(Eval("f?0?f?1?f?1?"));
    EXPECT_EQ(recorder_.calls.size(), 3u);
}

TEST_F(CombineTest, NoPrecedenceStrictlyLeftToRight) {
    // (1 or 0) and 0 = false; with "and" binding tighter it would be true.
    EXPECT_FALSE(Eval("f?1?|?f?0?f?0?"));
    // (0 and 0) or 1 = true.
    EXPECT_TRUE(Eval("f?0?f?0?|?f?1?"));
}

TEST_F(CombineTest, LeadingNotOrOrCombineWithTrue) {
    EXPECT_TRUE(Eval("!?f?0?"));
    EXPECT_FALSE(Eval("!?f?1?"));
    EXPECT_TRUE(Eval("|?f?0?"));
    EXPECT_TRUE(Eval("|?f?1?"));
}

TEST_F(CombineTest, AndClearsPendingNotAndOr) {
    EXPECT_TRUE(Eval("!?&?f?1?"));
    EXPECT_FALSE(Eval("!?&?f?0?"));
    EXPECT_FALSE(Eval("f?0?|?&?f?1?"));  // the or is cleared: 0 and 1
}

TEST_F(CombineTest, OrAndNotStayPendingAcrossEachOther) {
    // Both orders mean "or not".
    EXPECT_TRUE(Eval("f?0?|?!?f?0?"));
    EXPECT_TRUE(Eval("f?0?!?|?f?0?"));
    EXPECT_FALSE(Eval("f?0?|?!?f?1?"));
    EXPECT_FALSE(Eval("f?0?!?|?f?1?"));
    // A not applies to one test only.
    EXPECT_FALSE(Eval("!?f?0?f?0?"));
    EXPECT_TRUE(Eval("f?1?!?f?0?f?1?"));
}

TEST_F(CombineTest, ConnectivesAloneAreTrue) {
    // Connectives only: nothing is tested and the result stays true.
    EXPECT_TRUE(Eval("!?|?&?"));
    EXPECT_TRUE(recorder_.calls.empty());
}

TEST_F(CombineTest, CountBeyondFiveIsClamped) {
    ASSERT_TRUE(Parse("f?1?"));
    condition_.count = 99;  // a corrupted count must not walk past the slots
    Recorder r;
    EXPECT_TRUE(CombineCondition(condition_, "", FakeTest, &r));
    EXPECT_EQ(r.calls.size(), 1u);
}

// --- ParseRadix and the registry comparisons ----------------------------------

TEST(ParseRadix, DigitsAndWrap) {
    int fault = -1;
    EXPECT_EQ(ParseRadix("10", 16, &fault), 16u);
    EXPECT_EQ(fault, RadixOk);
    EXPECT_EQ(ParseRadix("fFaA09", 16, &fault), 0xFFAA09u);
    EXPECT_EQ(ParseRadix("", 16, &fault), 0u);
    EXPECT_EQ(fault, RadixOk);
    EXPECT_EQ(ParseRadix("FFFFFFFF", 16), 0xFFFFFFFFu);
    EXPECT_EQ(ParseRadix("123456789", 16), 0x23456789u);  // wraps at 32 bits
    EXPECT_EQ(ParseRadix("777", 8), 511u);
    EXPECT_EQ(ParseRadix("101", 2), 5u);
    EXPECT_EQ(ParseRadix("000", 1, &fault), 0u);
    EXPECT_EQ(fault, RadixOk);
}

TEST(ParseRadix, FaultsAreReportedNotFatal) {
    int fault = RadixOk;
    EXPECT_EQ(ParseRadix("10", 0, &fault), 0u);
    EXPECT_EQ(fault, RadixBadRadix);
    ParseRadix("10", 17, &fault);
    EXPECT_EQ(fault, RadixBadRadix);
    ParseRadix("1G", 16, &fault);
    EXPECT_EQ(fault, RadixBadChar);
    ParseRadix(" 1", 16, &fault);
    EXPECT_EQ(fault, RadixBadChar);
    ParseRadix("18", 8, &fault);
    EXPECT_EQ(fault, RadixDigitTooBig);
    ParseRadix("1", 1, &fault);
    EXPECT_EQ(fault, RadixDigitTooBig);
    ParseRadix("zz", 16);  // without a fault slot it still returns
    EXPECT_STREQ(RadixFaultText(RadixBadRadix), "Bad radix\n");
    EXPECT_STREQ(RadixFaultText(RadixBadChar), "Bad char\n");
    EXPECT_STREQ(RadixFaultText(RadixDigitTooBig), "Digit too big\n");
}

TEST(CompareRegistryNumber, HexadecimalAfter0x) {
    EXPECT_TRUE(CompareRegistryNumber(17, OpGreater, "0x10"));
    EXPECT_FALSE(CompareRegistryNumber(16, OpGreater, "0x10"));
    EXPECT_TRUE(CompareRegistryNumber(16, OpEqual, "0X10"));
    EXPECT_TRUE(CompareRegistryNumber(15, OpLess, "0x10"));
    EXPECT_TRUE(CompareRegistryNumber(0, OpEqual, "0x"));
    EXPECT_TRUE(CompareRegistryNumber(0xFFFFFFFFu, OpEqual, "0xffffffff"));
}

TEST(CompareRegistryNumber, MalformedHexIsFalseForEveryOperator) {
    for (int op : {OpEqual, OpGreater, OpLess}) {
        EXPECT_FALSE(CompareRegistryNumber(0, op, "0x1G")) << op;
        EXPECT_FALSE(CompareRegistryNumber(0xFFFFFFFFu, op, "0x-1")) << op;
        EXPECT_FALSE(CompareRegistryNumber(5, op, "0x 5")) << op;
    }
}

TEST(CompareRegistryNumber, DecimalWithSignAndTwosComplement) {
    EXPECT_TRUE(CompareRegistryNumber(10, OpEqual, "10"));
    EXPECT_TRUE(CompareRegistryNumber(10, OpEqual, "  +10xyz"));
    EXPECT_TRUE(CompareRegistryNumber(0, OpEqual, "abc"));  // no digits give 0
    EXPECT_TRUE(CompareRegistryNumber(0xFFFFFFFFu, OpEqual, "-1"));
    // Compared unsigned: -1 is the largest number.
    EXPECT_TRUE(CompareRegistryNumber(5, OpLess, "-1"));
    EXPECT_FALSE(CompareRegistryNumber(5, OpGreater, "-1"));
    EXPECT_TRUE(CompareRegistryNumber(0x80000000u, OpGreater, "2147483647"));
    EXPECT_TRUE(CompareRegistryNumber(0, OpEqual, "4294967296"));  // wraps at 32 bits
}

TEST(CompareRegistryText, ByteWiseCaseSensitive) {
    const unsigned char abc[] = "abc";
    EXPECT_TRUE(CompareRegistryText(abc, 4, OpGreater, "abb"));
    EXPECT_FALSE(CompareRegistryText(abc, 4, OpEqual, "ABC"));
    EXPECT_TRUE(CompareRegistryText(abc, 4, OpGreater, "ABC"));
    EXPECT_TRUE(CompareRegistryText(abc, 4, OpEqual, "abc"));
    EXPECT_TRUE(CompareRegistryText(abc, 4, OpLess, "abcd"));  // a prefix sorts first
    EXPECT_TRUE(CompareRegistryText(abc, 4, OpGreater, "ab"));
    EXPECT_FALSE(CompareRegistryText(abc, 4, OpLess, "abc"));
    const unsigned char high[] = "\xE9t\xE9";
    EXPECT_TRUE(CompareRegistryText(high, 4, OpGreater, "zzz"));  // bytes compare unsigned
}

TEST(CompareRegistryText, StaysWithinTheValueSize) {
    // A heap block holding exactly the value's bytes and no terminator:
    // AddressSanitizer catches any read past it.
    std::vector<unsigned char> block = {'a', 'b', 'c'};
    unsigned char* exact = new unsigned char[block.size()];
    memcpy(exact, block.data(), block.size());
    EXPECT_TRUE(CompareRegistryText(exact, 3, OpEqual, "abc"));
    EXPECT_TRUE(CompareRegistryText(exact, 3, OpLess, "abcd"));
    EXPECT_TRUE(CompareRegistryText(exact, 2, OpEqual, "ab"));
    delete[] exact;

    // A zero byte inside the value ends the text.
    const unsigned char inner[] = {'a', 0, 'z', 'z'};
    EXPECT_TRUE(CompareRegistryText(inner, 4, OpEqual, "a"));
    // An empty value equals the empty text and sorts before any other.
    EXPECT_TRUE(CompareRegistryText(nullptr, 0, OpEqual, ""));
    EXPECT_TRUE(CompareRegistryText(inner, 0, OpLess, "a"));
}

}  // namespace
