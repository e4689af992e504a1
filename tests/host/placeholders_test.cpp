#include "launch/placeholders.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

// A text in a buffer of `cap` bytes with guard bytes behind it, so that a
// write past the buffer shows up even without the sanitizer.
struct Buffer {
    static const size_t kGuard = 64;
    std::vector<char> bytes;
    size_t cap;

    Buffer(const std::string& text, size_t capacity) : bytes(capacity + kGuard, '#'), cap(capacity) {
        std::memcpy(bytes.data(), text.c_str(), text.size() + 1);
    }
    char* data() { return bytes.data(); }
    std::string str() const { return std::string(bytes.data()); }
    bool GuardIntact() const {
        for (size_t i = cap; i < bytes.size(); ++i)
            if (bytes[i] != '#') return false;
        return true;
    }
};

// ---------------------------------------------------------------- ReplaceNoCase

TEST(ReplaceNoCase, ReplacesEveryOccurrenceIgnoringCase) {
    Buffer b("%SystemRoot%\\a.exe /d %SYSTEMROOT% %systemroot%x", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%SystemRoot%", "C:\\WINDOWS"));
    EXPECT_EQ(b.str(), "C:\\WINDOWS\\a.exe /d C:\\WINDOWS C:\\WINDOWSx");
}

TEST(ReplaceNoCase, LowerCasePlaceholderInText) {
    Buffer b("\"%systemroot%\\notepad.exe\" %1", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%SystemRoot%", "C:\\Win"));
    EXPECT_EQ(b.str(), "\"C:\\Win\\notepad.exe\" %1");
}

TEST(ReplaceNoCase, ValueKeepsItsOwnCase) {
    Buffer b("open %l now", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%L", "D:\\Mixed Case\\File.TXT"));
    EXPECT_EQ(b.str(), "open D:\\Mixed Case\\File.TXT now");
}

TEST(ReplaceNoCase, OnlyAsciiLettersFold) {
    // 0xC4 and 0xE4 are upper and lower A-umlaut in Latin-1; they must not be
    // taken as the same letter.
    Buffer b("x\xC4y", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "\xE4", "!"));
    EXPECT_EQ(b.str(), "x\xC4y");
}

TEST(ReplaceNoCase, ValueHoldingThePlaceholderTerminates) {
    Buffer b("a %1 b %1", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%1", "[%1]"));
    EXPECT_EQ(b.str(), "a [%1] b [%1]");

    Buffer c("%L", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(c.data(), c.cap, "%L", "%l%L"));
    EXPECT_EQ(c.str(), "%l%L");
}

TEST(ReplaceNoCase, ValueCompletingAPlaceholderWithTheTextAfterIt) {
    // The value ends in "%" and the text goes on with "1": the search goes on
    // after the value, so this "%1" made of both is not replaced.
    Buffer b("%11", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%1", "%"));
    EXPECT_EQ(b.str(), "%1");
}

TEST(ReplaceNoCase, ShorterAndEmptyValues) {
    Buffer b("<%SystemRoot%>(%systemroot%)", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%SystemRoot%", ""));
    EXPECT_EQ(b.str(), "<>()");

    Buffer c("%1%1%1", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(c.data(), c.cap, "%1", nullptr));
    EXPECT_EQ(c.str(), "");
}

TEST(ReplaceNoCase, NoOccurrenceOrEmptyPlaceholderChangesNothing) {
    Buffer b("notepad.exe %2", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%1", "x"));
    EXPECT_EQ(b.str(), "notepad.exe %2");
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "", "x"));
    EXPECT_EQ(b.str(), "notepad.exe %2");
}

TEST(ReplaceNoCase, PlaceholderCutAtTheEndIsNotAHit) {
    Buffer b("abc %SystemRo", kCommandCap);
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%SystemRoot%", "X"));
    EXPECT_EQ(b.str(), "abc %SystemRo");
}

TEST(ReplaceNoCase, ResultOfExactlyCapMinusOneFits) {
    std::string text(kCommandCap - 1 - 2, 'a');  // 1021 characters
    Buffer b(text + "%1", kCommandCap);           // 1023 characters
    EXPECT_TRUE(ReplaceNoCase(b.data(), b.cap, "%1", "xy"));
    EXPECT_EQ(b.str(), text + "xy");
    EXPECT_EQ(b.str().size(), static_cast<size_t>(kCommandCap - 1));
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ReplaceNoCase, OverflowIsRefusedAndTheTextStandsBeforeThatReplacement) {
    std::string head(1000, 'a');
    Buffer b("%1" + head + "%1", kCommandCap);  // 1004 characters
    // The first replacement grows the text to 1014 characters; the second
    // would make it 1024, leaving no room for the terminator.
    EXPECT_FALSE(ReplaceNoCase(b.data(), b.cap, "%1", "0123456789ab"));
    EXPECT_EQ(b.str(), "0123456789ab" + head + "%1");
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ReplaceNoCase, SmallBufferFillsExactlyButNotOneMore) {
    Buffer fits("ab%1", 6);
    EXPECT_TRUE(ReplaceNoCase(fits.data(), fits.cap, "%1", "xyz"));  // 5 characters + terminator
    EXPECT_EQ(fits.str(), "abxyz");
    EXPECT_TRUE(fits.GuardIntact());

    Buffer over("ab%1", 6);
    EXPECT_FALSE(ReplaceNoCase(over.data(), over.cap, "%1", "wxyz"));
    EXPECT_EQ(over.str(), "ab%1");
    EXPECT_TRUE(over.GuardIntact());
}

TEST(ReplaceNoCase, LongValueIntoAFullBuffer) {
    std::string longValue(4000, 'v');
    Buffer b("\"prog.exe\" \"%1\"", kCommandCap);
    EXPECT_FALSE(ReplaceNoCase(b.data(), b.cap, "%1", longValue.c_str()));
    EXPECT_EQ(b.str(), "\"prog.exe\" \"%1\"");
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ReplaceNoCase, UnterminatedBufferIsRefused) {
    Buffer b("", 8);
    std::memset(b.data(), 'z', 8);  // no terminator within the capacity
    EXPECT_FALSE(ReplaceNoCase(b.data(), b.cap, "z", ""));
    EXPECT_TRUE(b.GuardIntact());
    EXPECT_EQ(std::string(b.data(), 8), "zzzzzzzz");
}

// ---------------------------------------------------------------- ExpandPlaceholder

TEST(ExpandPlaceholder, ReplacesCaseSensitively) {
    char dest[kCommandCap];
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "/open %1 /x %1", "%1", "C:\\a b.txt"));
    EXPECT_STREQ(dest, "/open C:\\a b.txt /x C:\\a b.txt");
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "%f and %F", "%f", "t.doc"));
    EXPECT_STREQ(dest, "t.doc and %F");
}

TEST(ExpandPlaceholder, HitAtTheVeryEndAndAtTheStart) {
    char dest[64];
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "%1", "%1", "x"));
    EXPECT_STREQ(dest, "x");
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "-p %1", "%1", "value"));
    EXPECT_STREQ(dest, "-p value");
}

TEST(ExpandPlaceholder, ValueHoldingThePlaceholderIsInsertedOnce) {
    char dest[64];
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "%1-%1", "%1", "<%1>"));
    EXPECT_STREQ(dest, "<%1>-<%1>");
}

TEST(ExpandPlaceholder, AbsentValueCountsAsEmpty) {
    char dest[64];
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "[%1]", "%1", nullptr));
    EXPECT_STREQ(dest, "[]");
}

TEST(ExpandPlaceholder, AbsentTemplateOrEmptyPlaceholder) {
    char dest[64] = "old";
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, nullptr, "%1", "x"));
    EXPECT_STREQ(dest, "");
    EXPECT_TRUE(ExpandPlaceholder(dest, sizeof dest, "a%1", "", "x"));
    EXPECT_STREQ(dest, "a%1");
}

TEST(ExpandPlaceholder, CutAtCapMinusOneWhenTooLong) {
    Buffer b("", 10);
    EXPECT_FALSE(ExpandPlaceholder(b.data(), b.cap, "ab%1cd", "%1", "0123456789"));
    EXPECT_EQ(b.str(), "ab0123456");
    EXPECT_TRUE(b.GuardIntact());

    Buffer c("", 10);
    EXPECT_FALSE(ExpandPlaceholder(c.data(), c.cap, "0123456789ABC", "%1", "x"));
    EXPECT_EQ(c.str(), "012345678");
    EXPECT_TRUE(c.GuardIntact());
}

TEST(ExpandPlaceholder, ExactFitIsNotACut) {
    Buffer b("", 10);
    EXPECT_TRUE(ExpandPlaceholder(b.data(), b.cap, "ab%1", "%1", "0123456"));
    EXPECT_EQ(b.str(), "ab0123456");
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ExpandPlaceholder, ManyLongValuesIn1024) {
    std::string value(300, 'q');
    Buffer b("", kCommandCap);
    EXPECT_FALSE(ExpandPlaceholder(b.data(), b.cap, "%1 %1 %1 %1", "%1", value.c_str()));
    EXPECT_EQ(b.str().size(), static_cast<size_t>(kCommandCap - 1));
    EXPECT_EQ(b.str().substr(0, 301), value + " ");
    EXPECT_TRUE(b.GuardIntact());
}

TEST(ExpandPlaceholder, CapacityOneAndZero) {
    char one[1] = {'z'};
    EXPECT_FALSE(ExpandPlaceholder(one, 1, "a", "%1", "x"));
    EXPECT_EQ(one[0], '\0');
    EXPECT_TRUE(ExpandPlaceholder(one, 1, "", "%1", "x"));
    char zero[1] = {'z'};
    EXPECT_FALSE(ExpandPlaceholder(zero, 0, "a", "%1", "x"));
    EXPECT_EQ(zero[0], 'z');
}

// ---------------------------------------------------------------- ExpandVariables

// The lookup of an environment with ProgramFiles, an empty EMPTY and a
// 40-character LONG; writes like the system does (nothing when it does not fit).
long Lookup(const char* name, char* value, size_t cap) {
    std::string v;
    if (std::strcmp(name, "ProgramFiles") == 0) v = "C:\\Program Files";
    else if (std::strcmp(name, "EMPTY") == 0) v = "";
    else if (std::strcmp(name, "LONG") == 0) v = std::string(40, 'L');
    else return -1;
    if (v.size() + 1 > cap) return static_cast<long>(v.size() + 1);
    std::memcpy(value, v.c_str(), v.size() + 1);
    return static_cast<long>(v.size());
}

std::string Expanded(const std::string& text, size_t cap, bool* ok = nullptr) {
    Buffer b("", cap);
    bool result = ExpandVariables(b.data(), cap, text.c_str(), Lookup);
    if (ok) *ok = result;
    EXPECT_TRUE(b.GuardIntact()) << text;
    return b.str();
}

TEST(ExpandVariables, KnownNamesOnlyAndPlaceholdersPassThrough) {
    EXPECT_EQ("\"C:\\Program Files\\v.exe\" \"%1\" %*",
              Expanded("\"%ProgramFiles%\\v.exe\" \"%1\" %*", 1024));
    // An unknown name keeps its "%" and the search goes on right after it,
    // so a variable behind a placeholder is still found.
    EXPECT_EQ("/p \"%1\" C:\\Program Files", Expanded("/p \"%1\" %ProgramFiles%", 1024));
    EXPECT_EQ("%NOPE% %% 50% [] %", Expanded("%NOPE% %% 50% [%EMPTY%] %", 1024));
    bool ok = false;
    EXPECT_EQ("", Expanded("", 1, &ok));
    EXPECT_TRUE(ok);
}

TEST(ExpandVariables, ResultThatDoesNotFitIsRefusedWithinItsBuffer) {
    bool ok = true;
    // 40 + 2 fit in 43 bytes, not in 42; plain text alike.
    EXPECT_EQ("a" + std::string(40, 'L') + "b", Expanded("a%LONG%b", 43, &ok));
    EXPECT_TRUE(ok);
    Expanded("a%LONG%b", 42, &ok);
    EXPECT_FALSE(ok);
    EXPECT_EQ("abc", Expanded("abcd", 4, &ok));
    EXPECT_FALSE(ok);
}

// ---------------------------------------------------------------- SplitVerbTarget

struct Split {
    std::vector<char> text;
    bool ok;
    const char* cls = nullptr;
    const char* verb = nullptr;
    const char* operand = nullptr;
    explicit Split(const std::string& t) : text(t.begin(), t.end()) {
        text.push_back('\0');
        ok = SplitVerbTarget(text.data(), &cls, &verb, &operand);
    }
    std::string afterwards() const { return std::string(text.data()); }
};

TEST(SplitVerbTarget, ClassVerbOperand) {
    Split s("~.txt~print~D:\\docs\\read me.txt");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.cls, ".txt");
    EXPECT_STREQ(s.verb, "print");
    EXPECT_STREQ(s.operand, "D:\\docs\\read me.txt");
    EXPECT_EQ(s.afterwards(), "~.txt");
}

TEST(SplitVerbTarget, ClassOnlyMeansOpenWithoutOperand) {
    Split s("~Folder");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.cls, "Folder");
    EXPECT_STREQ(s.verb, "open");
    EXPECT_EQ(s.operand, nullptr);
    EXPECT_EQ(s.afterwards(), "~Folder");
}

TEST(SplitVerbTarget, ClassAndVerb) {
    Split s("~Folder~explore");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.verb, "explore");
    EXPECT_EQ(s.operand, nullptr);
    EXPECT_EQ(s.afterwards(), "~Folder");
}

TEST(SplitVerbTarget, EmptyPieces) {
    Split a("~cls~");
    ASSERT_TRUE(a.ok);
    EXPECT_STREQ(a.verb, "");  // an empty verb, not "open"
    EXPECT_EQ(a.operand, nullptr);

    Split b("~");
    ASSERT_TRUE(b.ok);
    EXPECT_STREQ(b.cls, "");
    EXPECT_STREQ(b.verb, "open");

    Split c("~cls~open~");
    ASSERT_TRUE(c.ok);
    ASSERT_NE(c.operand, nullptr);
    EXPECT_STREQ(c.operand, "");
}

TEST(SplitVerbTarget, OperandKeepsFurtherTildes) {
    Split s("~cls~open~C:\\PROGRA~1\\x~y.txt");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.operand, "C:\\PROGRA~1\\x~y.txt");
    EXPECT_EQ(s.afterwards(), "~cls");
}

TEST(SplitVerbTarget, NotAVerbTarget) {
    Split s("readme.txt~print");
    EXPECT_FALSE(s.ok);
    EXPECT_EQ(s.afterwards(), "readme.txt~print");
    EXPECT_FALSE(SplitVerbTarget(nullptr, nullptr, nullptr, nullptr));
}

// ---------------------------------------------------------------- SplitCommandLine

struct CommandSplit {
    std::vector<char> line;
    bool ok;
    const char* program = nullptr;
    const char* parameters = nullptr;
    explicit CommandSplit(const std::string& t) : line(t.begin(), t.end()) {
        line.push_back('\0');
        ok = SplitCommandLine(line.data(), &program, &parameters);
    }
};

TEST(SplitCommandLine, QuotedProgramKeepsItsQuotes) {
    CommandSplit s("\"C:\\Program Files\\v.exe\" \"D:\\a b.pdf\"");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.program, "\"C:\\Program Files\\v.exe\"");
    EXPECT_STREQ(s.parameters, "\"D:\\a b.pdf\"");
}

TEST(SplitCommandLine, QuotedProgramWithTrailingSpaceOnly) {
    CommandSplit s("\"C:\\v.exe\" ");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.program, "\"C:\\v.exe\"");
    EXPECT_STREQ(s.parameters, "");
}

TEST(SplitCommandLine, OnlyAQuotedProgramIsRefused) {
    CommandSplit s("\"C:\\Program Files\\v.exe\"");
    EXPECT_FALSE(s.ok);
}

TEST(SplitCommandLine, ClosingQuoteNotFollowedBySpaceIsRefused) {
    EXPECT_FALSE(CommandSplit("\"C:\\v.exe\"/p x").ok);
    EXPECT_FALSE(CommandSplit("\"C:\\v.exe\"\t/p").ok);
}

TEST(SplitCommandLine, MissingClosingQuoteIsRefused) {
    EXPECT_FALSE(CommandSplit("\"C:\\Program Files\\v.exe /p").ok);
    EXPECT_FALSE(CommandSplit("\"").ok);
}

TEST(SplitCommandLine, UnquotedSplitsAtFirstSpace) {
    CommandSplit s("C:\\WINDOWS\\notepad.exe /p  D:\\x.txt");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.program, "C:\\WINDOWS\\notepad.exe");
    EXPECT_STREQ(s.parameters, "/p  D:\\x.txt");
}

TEST(SplitCommandLine, UnquotedWithoutSpaceHasNoParameters) {
    CommandSplit s("C:\\WINDOWS\\explorer.exe");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.program, "C:\\WINDOWS\\explorer.exe");
    EXPECT_EQ(s.parameters, nullptr);
}

TEST(SplitCommandLine, QuoteInsideAnUnquotedProgram) {
    CommandSplit s("C:\\v.exe \"%1\"");
    ASSERT_TRUE(s.ok);
    EXPECT_STREQ(s.program, "C:\\v.exe");
    EXPECT_STREQ(s.parameters, "\"%1\"");
}

}  // namespace
