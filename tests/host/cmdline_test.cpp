#include "settings/cmdline.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Runs the selection on a writable copy of `commandLine` (null stays null).
struct Choice {
    std::vector<char> line;
    bool keepDirectory = false;

    Choice(const char* filename, const char* message, const char* commandLine) {
        char* writable = nullptr;
        if (commandLine) {
            line.assign(commandLine, commandLine + std::string(commandLine).size() + 1);
            writable = line.data();
        }
        keepDirectory = ChooseTargetAndOptions(filename, message, writable);
    }
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
    EXPECT_STREQ(target, "docs\\guide.pdf");
    EXPECT_TRUE(maxOption);
    EXPECT_FALSE(minOption);
    EXPECT_STREQ(popupText, "Welcome");
    EXPECT_EQ(popupTextLength, 7u);
    EXPECT_TRUE(targetGiven);
    EXPECT_FALSE(c.keepDirectory);
}

TEST(ChooseTarget, FilenameAndMessageIgnoreTheCommandLine) {
    Choice c("guide.pdf", "Hello there", "-max -c \"other.doc\" text");
    EXPECT_STREQ(target, "guide.pdf");
    EXPECT_STREQ(popupText, "Hello there");
    EXPECT_FALSE(maxOption);
    EXPECT_FALSE(c.keepDirectory);
    // Not cut either: the line is not looked at.
    EXPECT_STREQ(c.line.data(), "-max -c \"other.doc\" text");
}

TEST(ChooseTarget, OptionsAtTheStartOfMessageStillAct) {
    Choice c("guide.pdf", "-nomsg", "ignored");
    EXPECT_STREQ(target, "guide.pdf");
    EXPECT_TRUE(nomsgOption);
    EXPECT_EQ(popupText, nullptr);  // the status text is still to be built
    EXPECT_EQ(textAfterOptions, nullptr);

    Choice d("guide.pdf", "-c -min Please wait", nullptr);
    EXPECT_TRUE(d.keepDirectory);
    EXPECT_TRUE(minOption);
    EXPECT_STREQ(popupText, "Please wait");
    EXPECT_STREQ(textAfterOptions, "Please wait");
}

TEST(ChooseTarget, FilenameWithoutCommandLineLeavesStatusTextToBuild) {
    for (const char* line : {static_cast<const char*>(nullptr), "", "   "}) {
        Choice c("guide.pdf", "", line);
        EXPECT_STREQ(target, "guide.pdf");
        EXPECT_EQ(popupText, nullptr) << Str(line);
        EXPECT_EQ(popupTextLength, 0u);
        EXPECT_TRUE(targetGiven);
    }
}

TEST(ChooseTarget, QuotedTargetWithBlanksAndOption) {
    Choice c("", "", "\"My Doc.pdf\" -nomsg");
    EXPECT_STREQ(target, "My Doc.pdf");
    EXPECT_TRUE(c.PointsIntoLine(target));
    EXPECT_TRUE(nomsgOption);
    EXPECT_EQ(popupText, nullptr);
    EXPECT_TRUE(targetGiven);
}

TEST(ChooseTarget, QuotedTargetTextRightAfterClosingQuote) {
    Choice c("", "", "\"a b.txt\"hello world");
    EXPECT_STREQ(target, "a b.txt");
    EXPECT_STREQ(popupText, "hello world");
}

TEST(ChooseTarget, QuotedTargetAloneHasNoMessage) {
    Choice c("", "", "\"only.txt\"");
    EXPECT_STREQ(target, "only.txt");
    EXPECT_EQ(popupText, nullptr);
}

TEST(ChooseTarget, EmptyQuotesGiveAnEmptyTarget) {
    Choice c("", "", "\"\" hi");
    EXPECT_STREQ(target, "");
    EXPECT_STREQ(popupText, "hi");
    EXPECT_TRUE(targetGiven);
}

TEST(ChooseTarget, UnmatchedQuoteStaysPartOfTheTarget) {
    Choice c("", "", "\"a.pdf hello");
    EXPECT_STREQ(target, "\"a.pdf");
    EXPECT_STREQ(popupText, "hello");
}

TEST(ChooseTarget, LoneQuote) {
    Choice c("", "", "\"");
    EXPECT_STREQ(target, "\"");
    EXPECT_EQ(popupText, nullptr);
}

TEST(ChooseTarget, FirstBlankCutsTabsDoNot) {
    Choice c("", "", "read\tme.txt more  text");
    EXPECT_STREQ(target, "read\tme.txt");
    EXPECT_STREQ(popupText, "more  text");
}

TEST(ChooseTarget, TargetWithoutBlankHasNoMessage) {
    Choice c("", "", "readme.txt");
    EXPECT_STREQ(target, "readme.txt");
    EXPECT_EQ(popupText, nullptr);
    EXPECT_EQ(textAfterOptions, nullptr);
}

TEST(ChooseTarget, LeadingBlankGivesAnEmptyTarget) {
    Choice c("", "", " readme.txt");
    EXPECT_STREQ(target, "");
    EXPECT_STREQ(popupText, "readme.txt");
}

TEST(ChooseTarget, NoParameterGiven) {
    for (const char* line : {static_cast<const char*>(nullptr), ""}) {
        Choice c("", "", line);
        EXPECT_EQ(target, nullptr);
        EXPECT_FALSE(targetGiven);
        EXPECT_STREQ(popupText, "No parameter given");
        EXPECT_EQ(popupTextLength, 18u);
        EXPECT_STREQ(textAfterOptions, "No parameter given");
    }
}

TEST(ChooseTarget, NoParameterGivenReplacesMessage) {
    Choice c("", "Welcome to the disc", nullptr);
    EXPECT_EQ(target, nullptr);
    EXPECT_FALSE(targetGiven);
    EXPECT_STREQ(popupText, kNoParameterGiven);
}

TEST(ChooseTarget, NoParameterGivenDropsMessageOptionsToo) {
    Choice c("", "-max -c Welcome", "");
    EXPECT_FALSE(maxOption);
    EXPECT_FALSE(c.keepDirectory);
    EXPECT_STREQ(popupText, kNoParameterGiven);
}

TEST(ChooseTarget, MessageWinsOverTextOnCommandLine) {
    Choice c("", "From the settings", "readme.txt -max text");
    EXPECT_STREQ(target, "readme.txt");
    EXPECT_STREQ(popupText, "From the settings");
    EXPECT_FALSE(maxOption);  // options after the target are not read when Message is set
}

TEST(ChooseTarget, MessageWinsOverTextAfterQuotedTarget) {
    Choice c("", "Note", "\"x y.doc\" -min");
    EXPECT_STREQ(target, "x y.doc");
    EXPECT_STREQ(popupText, "Note");
    EXPECT_FALSE(minOption);
}

// ---------------------------------------------------------------- option loop

TEST(OptionLoop, NomsgThenMessage) {
    Choice c("", "", "readme.txt nomsg hello");
    EXPECT_STREQ(target, "readme.txt");
    EXPECT_TRUE(nomsgOption);
    EXPECT_STREQ(popupText, "hello");
    EXPECT_EQ(popupTextLength, 5u);
}

TEST(OptionLoop, OptionsOnlyAtTheStart) {
    Choice c("", "", "readme.txt hello -max");
    EXPECT_STREQ(popupText, "hello -max");
    EXPECT_FALSE(maxOption);
}

TEST(OptionLoop, AnyLetterCase) {
    Choice c("", "", "r.txt -MAX NoMsG -C -Min");
    EXPECT_TRUE(maxOption);
    EXPECT_TRUE(nomsgOption);
    EXPECT_TRUE(minOption);
    EXPECT_TRUE(c.keepDirectory);
    EXPECT_EQ(popupText, nullptr);
    EXPECT_EQ(textAfterOptions, nullptr);
}

TEST(OptionLoop, BothNomsgForms) {
    Choice c("", "", "r.txt -NOMSG");
    EXPECT_TRUE(nomsgOption);
    EXPECT_EQ(popupText, nullptr);
}

TEST(OptionLoop, NearOptionsBecomeTheMessage) {
    Choice a("", "", "r.txt -minimal");
    EXPECT_FALSE(minOption);
    EXPECT_STREQ(popupText, "-minimal");

    Choice b("", "", "r.txt -c-max");
    EXPECT_FALSE(b.keepDirectory);
    EXPECT_FALSE(maxOption);
    EXPECT_STREQ(popupText, "-c-max");
}

TEST(OptionLoop, OptionFollowedByTabIsNotAnOption) {
    Choice c("", "", "r.txt -max\tx");
    EXPECT_FALSE(maxOption);
    EXPECT_STREQ(popupText, "-max\tx");
}

TEST(OptionLoop, SeveralBlanksBetweenOptionsAreSkipped) {
    Choice c("", "", "readme.txt -c  -min");
    EXPECT_TRUE(c.keepDirectory);
    EXPECT_TRUE(minOption);
    EXPECT_EQ(popupText, nullptr);
}

TEST(OptionLoop, LeadingBlanksOfTheMessageAreSkipped) {
    Choice c("", "", "readme.txt    see   manual  ");
    EXPECT_STREQ(popupText, "see   manual  ");
    EXPECT_STREQ(textAfterOptions, popupText);
}

TEST(OptionLoop, OnlyBlanksAfterTheTargetLeaveNoMessage) {
    Choice c("", "", "readme.txt     ");
    EXPECT_EQ(popupText, nullptr);
    EXPECT_EQ(textAfterOptions, nullptr);
}

TEST(OptionLoop, TextAfterOptionsIsTheMessageAfterTheOptions) {
    Choice c("", "", "r.txt -max -min Insert disc 2");
    EXPECT_STREQ(textAfterOptions, "Insert disc 2");
    EXPECT_EQ(textAfterOptions, popupText);
}

TEST(OptionLoop, RepeatedOptionsAreHarmless) {
    Choice c("", "", "r.txt -max -max -max");
    EXPECT_TRUE(maxOption);
    EXPECT_EQ(popupText, nullptr);
}

TEST(OptionLoop, MinAndMaxAreBothRecorded) {
    Choice c("", "", "r.txt -min -max go");
    EXPECT_TRUE(minOption);
    EXPECT_TRUE(maxOption);
    EXPECT_STREQ(popupText, "go");
}

TEST(OptionLoop, SecondCallStartsFromTheInitialState) {
    Choice a("", "", "r.txt -max -c");
    EXPECT_TRUE(maxOption);
    Choice b("", "", "");
    EXPECT_FALSE(maxOption);
    EXPECT_FALSE(targetGiven);
    Choice c("", "", "s.txt");
    EXPECT_TRUE(targetGiven);
    EXPECT_FALSE(c.keepDirectory);
}

// ---------------------------------------------------------------- status text

TEST(StatusText, WithTypeName) {
    char* text = BuildStatusText("My Doc.pdf", "Adobe Acrobat Document");
    ASSERT_NE(text, nullptr);
    EXPECT_STREQ(text, "Starting My Doc.pdf (Adobe Acrobat Document)... ");
    std::free(text);
}

TEST(StatusText, EmptyOrMissingTypeNameLeavesOutTheTypePart) {
    char* a = BuildStatusText("readme.xyz", "");
    char* b = BuildStatusText("readme.xyz", nullptr);
    EXPECT_STREQ(a, "Starting readme.xyz... ");
    EXPECT_STREQ(b, "Starting readme.xyz... ");
    std::free(a);
    std::free(b);
}

TEST(StatusText, NoTargetGivesAnEmptyTextAnEmptyTargetIsStillATarget) {
    char* a = BuildStatusText(nullptr, "Type");
    ASSERT_NE(a, nullptr);
    EXPECT_STREQ(a, "");
    std::free(a);
    // corvane.exe "" names a target, an empty one: the status text says so
    // rather than leaving an empty line.
    Choice c(nullptr, nullptr, "\"\"");
    ASSERT_NE(target, nullptr);
    EXPECT_STREQ(target, "");
    EXPECT_TRUE(targetGiven);
    EXPECT_EQ(popupText, nullptr);
    char* b = BuildStatusText(target, "");
    ASSERT_NE(b, nullptr);
    EXPECT_STREQ(b, "Starting ... ");
    std::free(b);
}

TEST(StatusText, LongTargetIsNotCut) {
    std::string longTarget(5000, 'x');
    char* text = BuildStatusText(longTarget.c_str(), "T");
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(std::string(text), "Starting " + longTarget + " (T)... ");
    std::free(text);
}

TEST(SetPopupText, KeepsTheLength) {
    SetPopupText("Installing viewer...");
    EXPECT_STREQ(popupText, "Installing viewer...");
    EXPECT_EQ(popupTextLength, 20u);
    SetPopupText("");
    EXPECT_STREQ(popupText, "");
    EXPECT_EQ(popupTextLength, 0u);
}

TEST(SetPopupText, MissingTextShowsTheStatusTextAgain) {
    // A Message made only of options leaves textAfterOptions none; restoring
    // it after an installer must still show something sensible.
    Choice c("guide.pdf", "-nomsg", nullptr);
    ASSERT_EQ(textAfterOptions, nullptr);
    SetPopupText(BuildStatusText(target, "PDF"));
    SetPopupText("Installing...");
    SetPopupText(textAfterOptions);
    EXPECT_STREQ(popupText, "Starting guide.pdf (PDF)... ");
    EXPECT_EQ(popupTextLength, std::string("Starting guide.pdf (PDF)... ").size());
}

TEST(SetPopupText, MissingTextWithoutStatusTextIsEmpty) {
    SetPopupText(nullptr);
    ASSERT_NE(popupText, nullptr);
    EXPECT_STREQ(popupText, "");
    EXPECT_EQ(popupTextLength, 0u);
}

}  // namespace
