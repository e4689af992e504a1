#include "run/cmdline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Runs the selection on a writable copy of `commandLine` (null stays null).
struct Choice : TargetChoice {
    std::vector<char> line;

    Choice(const char* filename, const char* message, const char* commandLine) {
        char* writable = nullptr;
        if (commandLine) {
            line.assign(commandLine, commandLine + std::string(commandLine).size() + 1);
            writable = line.data();
        }
        static_cast<TargetChoice&>(*this) = ChooseTargetAndOptions(filename, message, writable);
    }
    size_t Length() const { return popupText ? std::string(popupText).size() : 0; }
    bool PointsIntoLine(const char* p) const {
        return p && !line.empty() && p >= line.data() && p < line.data() + line.size();
    }
};

std::string Str(const char* p) {
    return p ? std::string(p) : std::string("<none>");
}

// ---------------------------------------------------------------- option matcher

TEST(MatchOption, WholeTextMatchesIgnoringCaseAndLeavesNothing) {
    const char* text = "-MaX";
    const char* pos = text;
    EXPECT_TRUE(MatchOption(&pos, "-max", "-max "));
    EXPECT_EQ(pos, nullptr);
}

TEST(MatchOption, WordWithOneBlankMovesPastTheBlankOnly) {
    const char* text = "-c  rest";
    const char* pos = text;
    EXPECT_TRUE(MatchOption(&pos, "-c", "-c "));
    EXPECT_EQ(pos, text + 3);
    EXPECT_STREQ(pos, " rest");
}

TEST(MatchOption, LongerWordsAndGluedWordsDoNotMatch) {
    struct Case {
        const char* text;
        const char* word;
        const char* wordBlank;
    };
    const Case cases[] = {
        {"-minimal", "-min", "-min "}, {"-c-max", "-c", "-c "},    {"-ma", "-max", "-max "},
        {"nomsgx", "nomsg", "nomsg "}, {"-max\tx", "-max", "-max "}, {"", "-max", "-max "},
        {" -max", "-max", "-max "},    {"-nomsg", "nomsg", "nomsg "},
    };
    for (const Case& c : cases) {
        const char* pos = c.text;
        EXPECT_FALSE(MatchOption(&pos, c.word, c.wordBlank)) << c.text;
        EXPECT_EQ(pos, c.text) << c.text;
    }
}

TEST(MatchOption, NoPositionNeverMatches) {
    const char* pos = nullptr;
    EXPECT_FALSE(MatchOption(&pos, "-c", "-c "));
    EXPECT_FALSE(MatchOption(nullptr, "-c", "-c "));
}

// ---------------------------------------------------------------- process command line

TEST(ArgumentsAfterProgramName, CutsThePathOffTheWholeLine) {
    struct Case {
        const char* whole;
        const char* arguments;
    };
    const Case cases[] = {
        {"D:\\corvane.exe readme.htm", "readme.htm"},
        {"\"D:\\My Disc\\corvane.exe\"  -max readme.htm", "-max readme.htm"},
        {"\"D:\\corvane.exe\"readme.htm", "readme.htm"},  // the name ends at its closing quote
        {"   D:\\corvane.exe   readme.htm", "readme.htm"},   // leading blanks are not the name
        {"\tD:\\corvane.exe\t\treadme.htm x", "readme.htm x"},
        {"D:\\corvane.exe \x01\x02readme.htm", "readme.htm"},
        {"D:\\Caf\xe9\\corvane.exe readme.htm", "readme.htm"},  // accented folder
        {"D:\\corvane.exe \xe9t\xe9.htm", "\xe9t\xe9.htm"},       // accented first letter stays
        {"D:\\corvane.exe \x83\x5c.pdf", "\x83\x5c.pdf"},         // double-byte name
        {"D:\\corvane.exe", ""},
        {"\"D:\\unclosed corvane.exe", ""},
        {"   ", ""},
        {"", ""},
    };
    for (const Case& c : cases) {
        std::vector<char> line(c.whole, c.whole + std::string(c.whole).size() + 1);
        const char* arguments = ArgumentsAfterProgramName(line.data());
        EXPECT_EQ(Str(arguments), c.arguments) << c.whole;
        EXPECT_TRUE(arguments >= line.data() && arguments < line.data() + line.size()) << c.whole;
    }
    EXPECT_EQ(ArgumentsAfterProgramName(nullptr), nullptr);
}

// ---------------------------------------------------------------- target and text

TEST(ChooseTarget, FilenameWithOptionsAndMessageOnCommandLine) {
    Choice c("docs\\guide.pdf", "", "-max Welcome");
    EXPECT_STREQ(c.target, "docs\\guide.pdf");
    EXPECT_TRUE(c.maxOption);
    EXPECT_FALSE(c.minOption);
    EXPECT_STREQ(c.popupText, "Welcome");
    EXPECT_EQ(c.Length(), 7u);
    EXPECT_TRUE(c.targetGiven);
    EXPECT_FALSE(c.keepDirectory);
}

TEST(ChooseTarget, FilenameAndMessageIgnoreTheCommandLine) {
    Choice c("guide.pdf", "Hello there", "-max -c \"other.doc\" text");
    EXPECT_STREQ(c.target, "guide.pdf");
    EXPECT_STREQ(c.popupText, "Hello there");
    EXPECT_FALSE(c.maxOption);
    EXPECT_FALSE(c.keepDirectory);
    // Not cut either: the line is not looked at.
    EXPECT_STREQ(c.line.data(), "-max -c \"other.doc\" text");
}

TEST(ChooseTarget, OptionsAtTheStartOfMessageStillAct) {
    Choice c("guide.pdf", "-nomsg", "ignored");
    EXPECT_STREQ(c.target, "guide.pdf");
    EXPECT_TRUE(c.nomsgOption);
    EXPECT_EQ(c.popupText, nullptr);  // the status text is still to be built
    EXPECT_EQ(c.popupText, nullptr);

    Choice d("guide.pdf", "-c -min Please wait", nullptr);
    EXPECT_TRUE(d.keepDirectory);
    EXPECT_TRUE(d.minOption);
    EXPECT_STREQ(d.popupText, "Please wait");
    EXPECT_STREQ(d.popupText, "Please wait");
}

TEST(ChooseTarget, FilenameWithoutCommandLineLeavesStatusTextToBuild) {
    for (const char* line : {static_cast<const char*>(nullptr), "", "   "}) {
        Choice c("guide.pdf", "", line);
        EXPECT_STREQ(c.target, "guide.pdf");
        EXPECT_EQ(c.popupText, nullptr) << Str(line);
        EXPECT_EQ(c.Length(), 0u);
        EXPECT_TRUE(c.targetGiven);
    }
}

TEST(ChooseTarget, QuotedTargetWithBlanksAndOption) {
    Choice c("", "", "\"My Doc.pdf\" -nomsg");
    EXPECT_STREQ(c.target, "My Doc.pdf");
    EXPECT_TRUE(c.PointsIntoLine(c.target));
    EXPECT_TRUE(c.nomsgOption);
    EXPECT_EQ(c.popupText, nullptr);
    EXPECT_TRUE(c.targetGiven);
}

TEST(ChooseTarget, QuotedTargetTextRightAfterClosingQuote) {
    Choice c("", "", "\"a b.txt\"hello world");
    EXPECT_STREQ(c.target, "a b.txt");
    EXPECT_STREQ(c.popupText, "hello world");
}

TEST(ChooseTarget, QuotedTargetAloneHasNoMessage) {
    Choice c("", "", "\"only.txt\"");
    EXPECT_STREQ(c.target, "only.txt");
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(ChooseTarget, EmptyQuotesGiveAnEmptyTarget) {
    Choice c("", "", "\"\" hi");
    EXPECT_STREQ(c.target, "");
    EXPECT_STREQ(c.popupText, "hi");
    EXPECT_TRUE(c.targetGiven);
}

TEST(ChooseTarget, UnmatchedQuoteStaysPartOfTheTarget) {
    Choice c("", "", "\"a.pdf hello");
    EXPECT_STREQ(c.target, "\"a.pdf");
    EXPECT_STREQ(c.popupText, "hello");
}

TEST(ChooseTarget, LoneQuote) {
    Choice c("", "", "\"");
    EXPECT_STREQ(c.target, "\"");
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(ChooseTarget, FirstBlankCutsTabsDoNot) {
    Choice c("", "", "read\tme.txt more  text");
    EXPECT_STREQ(c.target, "read\tme.txt");
    EXPECT_STREQ(c.popupText, "more  text");
}

TEST(ChooseTarget, TargetWithoutBlankHasNoMessage) {
    Choice c("", "", "readme.txt");
    EXPECT_STREQ(c.target, "readme.txt");
    EXPECT_EQ(c.popupText, nullptr);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(ChooseTarget, LeadingBlankGivesAnEmptyTarget) {
    Choice c("", "", " readme.txt");
    EXPECT_STREQ(c.target, "");
    EXPECT_STREQ(c.popupText, "readme.txt");
}

TEST(ChooseTarget, NoParameterGiven) {
    for (const char* line : {static_cast<const char*>(nullptr), ""}) {
        Choice c("", "", line);
        EXPECT_EQ(c.target, nullptr);
        EXPECT_FALSE(c.targetGiven);
        EXPECT_STREQ(c.popupText, "No parameter given");
        EXPECT_EQ(c.Length(), 18u);
        EXPECT_STREQ(c.popupText, "No parameter given");
    }
}

TEST(ChooseTarget, NoParameterGivenReplacesMessage) {
    Choice c("", "Welcome to the disc", nullptr);
    EXPECT_EQ(c.target, nullptr);
    EXPECT_FALSE(c.targetGiven);
    EXPECT_STREQ(c.popupText, kNoParameterGiven);
}

TEST(ChooseTarget, NoParameterGivenDropsMessageOptionsToo) {
    Choice c("", "-max -c Welcome", "");
    EXPECT_FALSE(c.maxOption);
    EXPECT_FALSE(c.keepDirectory);
    EXPECT_STREQ(c.popupText, kNoParameterGiven);
}

TEST(ChooseTarget, MessageWinsOverTextOnCommandLine) {
    Choice c("", "From the settings", "readme.txt -max text");
    EXPECT_STREQ(c.target, "readme.txt");
    EXPECT_STREQ(c.popupText, "From the settings");
    EXPECT_FALSE(c.maxOption);  // options after the c.target are not read when Message is set
}

TEST(ChooseTarget, MessageWinsOverTextAfterQuotedTarget) {
    Choice c("", "Note", "\"x y.doc\" -min");
    EXPECT_STREQ(c.target, "x y.doc");
    EXPECT_STREQ(c.popupText, "Note");
    EXPECT_FALSE(c.minOption);
}

// ---------------------------------------------------------------- option loop

TEST(OptionLoop, NomsgThenMessage) {
    Choice c("", "", "readme.txt nomsg hello");
    EXPECT_STREQ(c.target, "readme.txt");
    EXPECT_TRUE(c.nomsgOption);
    EXPECT_STREQ(c.popupText, "hello");
    EXPECT_EQ(c.Length(), 5u);
}

TEST(OptionLoop, OptionsOnlyAtTheStart) {
    Choice c("", "", "readme.txt hello -max");
    EXPECT_STREQ(c.popupText, "hello -max");
    EXPECT_FALSE(c.maxOption);
}

TEST(OptionLoop, AnyLetterCase) {
    Choice c("", "", "r.txt -MAX NoMsG -C -Min");
    EXPECT_TRUE(c.maxOption);
    EXPECT_TRUE(c.nomsgOption);
    EXPECT_TRUE(c.minOption);
    EXPECT_TRUE(c.keepDirectory);
    EXPECT_EQ(c.popupText, nullptr);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(OptionLoop, BothNomsgForms) {
    Choice c("", "", "r.txt -NOMSG");
    EXPECT_TRUE(c.nomsgOption);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(OptionLoop, NearOptionsBecomeTheMessage) {
    Choice a("", "", "r.txt -minimal");
    EXPECT_FALSE(a.minOption);
    EXPECT_STREQ(a.popupText, "-minimal");

    Choice b("", "", "r.txt -c-max");
    EXPECT_FALSE(b.keepDirectory);
    EXPECT_FALSE(b.maxOption);
    EXPECT_STREQ(b.popupText, "-c-max");
}

TEST(OptionLoop, OptionFollowedByTabIsNotAnOption) {
    Choice c("", "", "r.txt -max\tx");
    EXPECT_FALSE(c.maxOption);
    EXPECT_STREQ(c.popupText, "-max\tx");
}

TEST(OptionLoop, SeveralBlanksBetweenOptionsAreSkipped) {
    Choice c("", "", "readme.txt -c  -min");
    EXPECT_TRUE(c.keepDirectory);
    EXPECT_TRUE(c.minOption);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(OptionLoop, LeadingBlanksOfTheMessageAreSkipped) {
    Choice c("", "", "readme.txt    see   manual  ");
    EXPECT_STREQ(c.popupText, "see   manual  ");
    EXPECT_STREQ(c.popupText, c.popupText);
}

TEST(OptionLoop, OnlyBlanksAfterTheTargetLeaveNoMessage) {
    Choice c("", "", "readme.txt     ");
    EXPECT_EQ(c.popupText, nullptr);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(OptionLoop, TextAfterOptionsIsTheMessageAfterTheOptions) {
    Choice c("", "", "r.txt -max -min Insert disc 2");
    EXPECT_STREQ(c.popupText, "Insert disc 2");
    EXPECT_EQ(c.popupText, c.popupText);
}

TEST(OptionLoop, RepeatedOptionsAreHarmless) {
    Choice c("", "", "r.txt -max -max -max");
    EXPECT_TRUE(c.maxOption);
    EXPECT_EQ(c.popupText, nullptr);
}

TEST(OptionLoop, MinAndMaxAreBothRecorded) {
    Choice c("", "", "r.txt -min -max go");
    EXPECT_TRUE(c.minOption);
    EXPECT_TRUE(c.maxOption);
    EXPECT_STREQ(c.popupText, "go");
}

TEST(OptionLoop, SecondCallStartsFromTheInitialState) {
    Choice a("", "", "r.txt -max -c");
    EXPECT_TRUE(a.maxOption);
    Choice b("", "", "");
    EXPECT_FALSE(b.maxOption);
    EXPECT_FALSE(b.targetGiven);
    Choice c("", "", "s.txt");
    EXPECT_TRUE(c.targetGiven);
    EXPECT_FALSE(c.keepDirectory);
}

// ---------------------------------------------------------------- status text

TEST(StatusText, WithTypeName) {
    HeapText text = BuildStatusText("My Doc.pdf", "Adobe Acrobat Document");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text.get(), "Starting My Doc.pdf (Adobe Acrobat Document)... ");
}

TEST(StatusText, EmptyOrMissingTypeNameLeavesOutTheTypePart) {
    HeapText a = BuildStatusText("readme.xyz", "");
    HeapText b = BuildStatusText("readme.xyz", nullptr);
    EXPECT_STREQ(a, "Starting readme.xyz... ");
    EXPECT_STREQ(b, "Starting readme.xyz... ");
}

TEST(StatusText, NoTargetGivesAnEmptyTextAnEmptyTargetIsStillATarget) {
    HeapText a = BuildStatusText(nullptr, "Type");
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a, "");
    // corvane.exe "" names a target, an empty one: the status text says so
    // rather than leaving an empty line.
    Choice c(nullptr, nullptr, "\"\"");
    ASSERT_NE(c.target, nullptr);
    EXPECT_STREQ(c.target, "");
    EXPECT_TRUE(c.targetGiven);
    EXPECT_EQ(c.popupText, nullptr);
    HeapText b = BuildStatusText(c.target, "");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b, "Starting ... ");
}

TEST(StatusText, LongTargetIsNotCut) {
    std::string longTarget(5000, 'x');
    HeapText text = BuildStatusText(longTarget.c_str(), "T");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), "Starting " + longTarget + " (T)... ");
}

}  // namespace
