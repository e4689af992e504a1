// The checker's findings, on settings texts in memory and on fixture media
// under tests/check/fixtures/<case>/ (each holds a Corva.INF and its files).
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/check/check_engine.h"
#include "tools/check/check_files.h"
#include "tools/check/text_encoding.h"

using corvcheck::Finding;
using corvcheck::Report;
using corvcheck::Severity;

namespace {

const std::string kFixtures = std::string(CORVANE_SOURCE_DIR) + "/tests/check/fixtures/";

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

Report CheckText(const std::string& text) { return corvcheck::CheckSettings(text.data(), text.size(), nullptr); }

struct Fixture {
    std::string text;
    Report report;
};

Fixture CheckFixture(const std::string& name) {
    Fixture f;
    f.text = ReadFile(kFixtures + name + "/Corva.INF");
    corvcheck::FolderMedium medium(kFixtures + name);
    f.report = corvcheck::CheckSettings(f.text.data(), f.text.size(), &medium);
    return f;
}

// Line number (1-based) of the first line of `text` that starts with `start`.
int LineOf(const std::string& text, const std::string& start) {
    std::istringstream in(text);
    std::string line;
    for (int n = 1; std::getline(in, line); ++n)
        if (line.compare(0, start.size(), start) == 0) return n;
    ADD_FAILURE() << "no line starts with " << start;
    return -1;
}

// The one finding of `code` at `line`; fails the test when there is none.
const Finding* At(const Report& r, const std::string& code, int line) {
    for (const Finding& f : r.findings)
        if (f.code == code && f.line == line) return &f;
    std::string all;
    for (const Finding& f : r.findings) all += std::to_string(f.line) + " " + f.code + ": " + f.message + "\n";
    ADD_FAILURE() << "no finding " << code << " at line " << line << "; findings:\n" << all;
    return nullptr;
}

int Count(const Report& r, const std::string& code) {
    int n = 0;
    for (const Finding& f : r.findings) n += f.code == code;
    return n;
}

// The findings but the note on the default message colour, which every file
// that leaves the colours alone gets.
std::vector<Finding> Others(const Report& r) {
    std::vector<Finding> others;
    for (const Finding& f : r.findings)
        if (!(f.code == "low-contrast" && f.severity == Severity::Note)) others.push_back(f);
    return others;
}

bool Contains(const Finding* f, const std::string& part) {
    return f && f->message.find(part) != std::string::npos;
}

}  // namespace

TEST(CheckKeys, UnknownMisplacedDuplicateAndUnreadKeys) {
    Fixture f = CheckFixture("keys");
    const Report& r = f.report;
    EXPECT_TRUE(Contains(At(r, "unknown-key", LineOf(f.text, "Tilte=")), "did you mean 'Title'?"));
    EXPECT_TRUE(Contains(At(r, "unknown-key", LineOf(f.text, "#Display=")), "only ';' starts a comment"));
    At(r, "key-outside-info", LineOf(f.text, "Filename=readme.htm"));
    // The first Title wins: a warning on the second and a note on the first.
    const int first = LineOf(f.text, "Title=First");
    const Finding* dup = At(r, "duplicate-key", LineOf(f.text, "Title=Second"));
    EXPECT_TRUE(Contains(dup, "line " + std::to_string(first)));
    const Finding* winner = At(r, "duplicate-key", first);
    EXPECT_TRUE(winner && winner->severity == Severity::Note);
    At(r, "no-equals", LineOf(f.text, "Message"));
    EXPECT_TRUE(Contains(At(r, "not-read", LineOf(f.text, "NoBrowser=")), "NoViewerCmd is given"));
    EXPECT_TRUE(Contains(At(r, "not-read", LineOf(f.text, "DoNotRepeatText=")), "DoNotRepeatId"));
    EXPECT_TRUE(Contains(At(r, "not-read", LineOf(f.text, "yPos=")), "keyword 'center'"));
    const Finding* eleven = At(r, "number-out-of-range", LineOf(f.text, "Filename11="));
    EXPECT_TRUE(eleven && eleven->severity == Severity::Error);
    At(r, "other-section", LineOf(f.text, "[Other]"));
    // Only known keys in another section are named one by one.
    At(r, "key-outside-info", LineOf(f.text, "Display=in the wrong"));
    for (const Finding& x : r.findings) EXPECT_NE(x.key, "Unrelated");
    // The second [Info] and the key in it.
    const int second = LineOf(f.text, "Web=") - 1;
    EXPECT_TRUE(Contains(At(r, "duplicate-section", second), "(line 3)"));
    At(r, "key-outside-info", second + 1);
    // Keys that are read and well formed give nothing: NoViewerCmd, xPos, ShowTime.
    for (const Finding& x : r.findings) {
        EXPECT_NE(x.key, "NoViewerCmd");
        EXPECT_NE(x.key, "xPos");
        EXPECT_NE(x.key, "ShowTime");
    }
    EXPECT_EQ(r.ExitStatus(), 2);
}

TEST(CheckKeys, SuggestionsOnlyForNearMisses) {
    EXPECT_EQ(corvcheck::EditDistance("Tilte", "title"), 1);
    EXPECT_EQ(corvcheck::EditDistance("ShowTim", "ShowTime"), 1);
    EXPECT_EQ(corvcheck::EditDistance("", "abc"), 3);
    Report r = CheckText("[Info]\nViewrFile1=x\nCompletelyDifferent=1\nFilename01=x\n");
    ASSERT_EQ(Count(r, "unknown-key"), 3);
    const std::vector<Finding> f = Others(r);
    EXPECT_NE(f[0].message.find("did you mean 'ViewerFile1'?"), std::string::npos);
    EXPECT_EQ(f[1].message.find("did you mean"), std::string::npos);
    // The reader writes numbers without leading zeros, so Filename01 is never asked for.
    EXPECT_NE(f[2].message.find("did you mean 'Filename1'?"), std::string::npos);
}

// A file of thousands of unknown keys (a misnamed section pasted in, a
// generated file) is checked in moments: the nearest-key search once took
// seconds for 2,000 of them. Near misses among them still get their hint.
TEST(CheckKeys, ThousandsOfUnknownKeysStayFast) {
    std::string text = "[Info]\nTilte=x\n";
    for (int i = 0; i < 2000; ++i) text += "Setting" + std::to_string(i) + "Value=x\n";
    const auto start = std::chrono::steady_clock::now();
    Report r = CheckText(text);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(Count(r, "unknown-key"), 2001);
    EXPECT_NE(Others(r)[0].message.find("did you mean 'Title'?"), std::string::npos);
    EXPECT_LT(seconds, 1.5);  // under 0.1 s with the sanitizers; it was several seconds
}

TEST(CheckNumbering, GapsAndMissingViewerMsg) {
    Fixture f = CheckFixture("numbering");
    const Report& r = f.report;
    const Finding* gap = At(r, "gap", LineOf(f.text, "Filename4="));
    EXPECT_TRUE(Contains(gap, "Filename3 is missing"));
    EXPECT_TRUE(gap && gap->severity == Severity::Error);
    At(r, "orphan-key", LineOf(f.text, "Filename4Menu="));
    EXPECT_TRUE(Contains(At(r, "viewer-msg-missing", LineOf(f.text, "ViewerFile2=")),
                         "\"ViewerMsg2 parameter not given\""));
    At(r, "orphan-key", LineOf(f.text, "ViewerCmd2="));
    EXPECT_TRUE(Contains(At(r, "gap", LineOf(f.text, "ViewerFile3=")), "no ViewerMsg2"));
    At(r, "orphan-key", LineOf(f.text, "ViewerMsg3="));
    // Entries 1, 2 and rule 1 are read and their files exist.
    EXPECT_EQ(Count(r, "missing-file"), 0);
    EXPECT_EQ(r.errors, 3);
}

TEST(CheckNumbering, AnEmptyNumberEndsTheListToo) {
    Report r = CheckText("[Info]\nFilename1=a\nFilename2=\nFilename3=c\n");
    ASSERT_EQ(Count(r, "gap"), 1);
    EXPECT_NE(Others(r)[0].message.find("Filename2 is empty"), std::string::npos);
    EXPECT_EQ(Others(r)[0].line, 4);
}

// The program counts characters: 700 Cyrillic letters (1400 bytes of UTF-8)
// fit in Message's 1023, 1100 of them are cut at 1023 characters.
TEST(CheckValues, LongTextsAreCountedInCharacters) {
    std::string letters;
    for (int i = 0; i < 1100; ++i) letters += "\xD0\xB4";
    Report r = CheckText("\xEF\xBB\xBF[Info]\nMessage=" + letters.substr(0, 1400) + "\nTitle=" + letters + "\n");
    ASSERT_EQ(Count(r, "cut"), 1);
    const Finding* cut = At(r, "cut", 3);
    EXPECT_TRUE(Contains(cut, "value has 1100 characters; the program keeps the first 1023")) << cut->message;
}

TEST(CheckValues, EveryKindOfMalformedOrAdjustedValue) {
    Fixture f = CheckFixture("values");
    const Report& r = f.report;
    const std::string& t = f.text;
    At(r, "special-no-comma", LineOf(t, "SpecialParam="));
    const Finding* main = At(r, "bad-condition", LineOf(t, "FilenameCondition="));
    EXPECT_TRUE(Contains(main, "Invalid conditional at term 2 'F?b.txt'"));
    EXPECT_TRUE(Contains(main, "instead of starting the target"));
    if (main) {
        EXPECT_EQ(main->column, 19 + 8);  // after "FilenameCondition=" and "f?a.txt?"
    }
    At(r, "retry-word", LineOf(t, "NoViewerCmdClickRetryShow="));
    At(r, "bad-version", LineOf(t, "NoViewerVersion="));
    EXPECT_TRUE(Contains(At(r, "showtime-raised", LineOf(t, "ShowTime=")), "raised to 5 seconds"));
    EXPECT_TRUE(Contains(At(r, "bad-colour", LineOf(t, "InfoColor=")), "stays 0,0,255"));
    EXPECT_TRUE(Contains(At(r, "colour-read-as", LineOf(t, "MsgColor=")), "read as 44,0,0"));
    EXPECT_TRUE(Contains(At(r, "weight-clamped", LineOf(t, "InfoWeight=")), "clamped to 9"));
    EXPECT_TRUE(Contains(At(r, "bad-position", LineOf(t, "xPos=")), "did you mean 'center'?"));
    EXPECT_TRUE(Contains(At(r, "bad-position", LineOf(t, "xSplash=")), "ySplash is not given"));
    At(r, "unused-bits", LineOf(t, "SplashOptions="));
    At(r, "unused-bits", LineOf(t, "ShowOptions="));
    const Finding* cut = At(r, "cut", LineOf(t, "Filename1Param="));
    EXPECT_TRUE(Contains(cut, "300 characters") && Contains(cut, "first 259"));
    const Finding* entry = At(r, "bad-condition", LineOf(t, "Filename1Condition="));
    EXPECT_TRUE(Contains(entry, "Invalid filename 'version from' information at term 3 'v?5.0'"));
    EXPECT_TRUE(Contains(entry, "tested with the terms before it"));
    EXPECT_TRUE(Contains(At(r, "condition-too-long", LineOf(t, "Filename2Condition=")), "'|?f?3?f?4?'"));
    EXPECT_TRUE(Contains(At(r, "bad-hex", LineOf(t, "Filename2Condition=")), "Bad char"));
    EXPECT_TRUE(Contains(At(r, "not-a-number", LineOf(t, "yExit=")), "reads 12"));
    // Well-formed values give nothing: BkColor with blanks, the entry's SpecialParam.
    for (const Finding& x : r.findings) {
        EXPECT_NE(x.key, "BkColor");
        EXPECT_NE(x.key, "Filename1SpecialParam");
    }
}

TEST(CheckValues, TimesAndWeightsAtTheirEdges) {
    struct Case {
        const char* text;
        const char* code;  // null: no finding
    } cases[] = {
        {"ShowTime=4", "showtime-raised"}, {"ShowTime=5", nullptr},           {"ShowTime=-1", nullptr},
        {"ShowTime=0", "showtime-default"}, {"ShowTime=-5", "showtime-default"}, {"ShowTime=8000", "time-in-seconds"},
        {"SplashShowTime=2", nullptr},      {"SplashShowTime=0", "splashtime-default"},
        {"InfoWeight=9", nullptr},          {"InfoWeight=-3", "weight-clamped"}, {"MsgWeight=10", "weight-clamped"},
        {"InfoSize=abc", "not-a-number"},   {"InfoSize=99999999999", "number-wraps"}, {"InfoSize=-4", nullptr},
        {"ShowOptions=7", nullptr},         {"NoViewerCmdClickRetryShow=No", nullptr},
        {"NoViewerCmdClickRetryShow=yes", nullptr}, {"InfoColor=0,0,255,9", "colour-read-as"},
        {"InfoColor=red,green,blue", "colour-read-as"}, {"BkColor=255", "bad-colour"},
        {"xPos=10", "bad-position"},        {"xPos=-10", "bad-position"},        {"xPos=BOTTOMRIGHT", nullptr},
        {"NoViewerVersion=NOT,prog.exe", nullptr}, {"NoViewerVersion=5.0.0.70000", "bad-version"},
        {"ViewerFile1=a\nViewerMsg1=m\nViewerVersion1=5..0.0.1", nullptr},
        {"ViewerFile1=a\nViewerMsg1=m\nViewerVersion1=5", "bad-version"},
        {"FilenameCondition=!?f?a", nullptr}, {"FilenameCondition=r?HKEY_CURRENT_CONFIG\\X", "bad-condition"},
        {"Filename1=a\nFilename1SpecialParam=app.exe", "special-no-comma"},
        // The program's integer rule takes these prefixes; text after the digits is still reported.
        {"ShowOptions=0x7", nullptr},       {"InfoSize=0b1010", nullptr},        {"InfoSize=0x1Fpx", "not-a-number"},
        {"InfoSize=0xFFFFFFFFF", "number-wraps"},
    };
    for (const Case& c : cases) {
        Report r = CheckText(std::string("[Info]\n") + c.text + "\n");
        if (!c.code) {
            EXPECT_TRUE(Others(r).empty()) << c.text << ": " << (Others(r).empty() ? "" : Others(r)[0].message);
        } else {
            EXPECT_EQ(Count(r, c.code), 1) << c.text;
        }
    }
    // The colour a malformed MsgColor leaves, in red,green,blue as written: the model's 0x00FF8080.
    Report msg = CheckText("[Info]\nMsgColor=255\n");
    EXPECT_TRUE(Contains(At(msg, "bad-colour", 2), "stays 128,128,255 (light blue)"));
}

// Text colours on their background, as the program derives them: MsgColor
// follows a changed InfoColor, the window colour is taken as white, and the
// "Do not show again" colour counts only when the box is shown.
TEST(CheckValues, TextColoursAgainstTheirBackground) {
    struct Case {
        const char* text;
        int count;             // low-contrast findings
        const char* key;       // of the first one
        Severity severity;
        int line;
        const char* says;
    } cases[] = {
        {"", 1, "MsgColor", Severity::Note, 0, "128,128,255 (the default light blue) on the window colour"},
        {"MsgColor=0,0,128", 0, nullptr, Severity::Note, 0, nullptr},
        {"BkColor=255,255,255", 1, "MsgColor", Severity::Note, 2, "light blue) on BkColor 255,255,255 has a contrast of 3.26:1"},
        {"BkColor=0,0,0", 1, "InfoColor", Severity::Warning, 2, "0,0,255 (the default) on BkColor 0,0,0 has a contrast of 2.44:1"},
        {"InfoColor=200,200,200", 1, "InfoColor", Severity::Warning, 2, "1.67:1, below the 4.5:1 that text needs to be easy to read; MsgColor is not given"},
        {"InfoColor=200,200,200\nMsgColor=0,0,0", 1, "InfoColor", Severity::Warning, 2, "200,200,200 on the window"},
        {"BkColor=0,0,128\nInfoColor=0,0,255", 1, "InfoColor", Severity::Warning, 3, "on BkColor 0,0,128 has a contrast of 1.86:1"},
        {"DoNotRepeatId=x\nDoNotRepeatColor=255,255,0\nMsgColor=0,0,0", 1, "DoNotRepeatColor", Severity::Warning, 3, "1.07:1"},
        {"DoNotRepeatColor=255,255,0\nMsgColor=0,0,0", 0, nullptr, Severity::Note, 0, nullptr},  // no box, no text
    };
    for (const Case& c : cases) {
        Report r = CheckText(std::string("[Info]\n") + c.text + "\n");
        ASSERT_EQ(Count(r, "low-contrast"), c.count) << c.text;
        if (!c.count) continue;
        const Finding* f = At(r, "low-contrast", c.line);
        ASSERT_TRUE(f) << c.text;
        EXPECT_EQ(f->key, c.key) << c.text;
        EXPECT_EQ(f->severity, c.severity) << c.text;
        EXPECT_TRUE(Contains(f, c.says)) << c.text << ": " << f->message;
    }
}

TEST(CheckFiles, MissingFilesBitmapsAndCaseInsensitiveNames) {
    Fixture f = CheckFixture("files");
    const Report& r = f.report;
    const std::string& t = f.text;
    // Docs\ReadMe.HTM and Pictures/Logo.BMP exist in other letter case: fine.
    for (const Finding& x : r.findings) {
        EXPECT_NE(x.key, "Filename");
        EXPECT_NE(x.key, "icon");
        // A web address, a verb target, an absolute path and a folder are not files to look for.
        EXPECT_NE(x.key, "Filename2");
        EXPECT_NE(x.key, "Filename3");
        EXPECT_NE(x.key, "Filename4");
    }
    EXPECT_TRUE(Contains(At(r, "bad-bitmap", LineOf(t, "splash=")), "bad bit count"));
    const Finding* missing = At(r, "missing-file", LineOf(t, "Filename1="));
    EXPECT_TRUE(missing && missing->severity == Severity::Error);
    const Finding* test = At(r, "missing-file", LineOf(t, "Filename5Condition="));
    EXPECT_TRUE(Contains(test, "setup\\missing.exe") && test->severity == Severity::Warning);
    EXPECT_EQ(Count(r, "missing-file"), 4);  // Filename1, the f? test, ViewerFile1, ViewerCmdClick1
    At(r, "missing-file", LineOf(t, "ViewerFile1="));
    At(r, "missing-file", LineOf(t, "ViewerCmdClick1="));
}

TEST(CheckFiles, NamesThatAreNotOnTheMedium) {
    using corvcheck::FolderMedium;
    EXPECT_TRUE(FolderMedium::NamesNothingOnMedium("https://example.com/"));
    EXPECT_TRUE(FolderMedium::NamesNothingOnMedium("mailto:someone@example.com"));
    EXPECT_TRUE(FolderMedium::NamesNothingOnMedium("C:\\Windows\\notepad.exe"));
    EXPECT_TRUE(FolderMedium::NamesNothingOnMedium("\\\\server\\share\\x"));
    EXPECT_TRUE(FolderMedium::NamesNothingOnMedium("%SystemRoot%\\notepad.exe"));
    EXPECT_FALSE(FolderMedium::NamesNothingOnMedium("docs\\readme.htm"));
    EXPECT_FALSE(FolderMedium::NamesNothingOnMedium("..\\other\\x.htm"));
    FolderMedium m(kFixtures + "files");
    EXPECT_EQ(m.Look("DOCS\\README.HTM", nullptr), corvcheck::Medium::File);
    EXPECT_EQ(m.Look(".\\docs\\..\\Docs/readme.htm", nullptr), corvcheck::Medium::File);
    EXPECT_EQ(m.Look("docs", nullptr), corvcheck::Medium::Folder);
    EXPECT_EQ(m.Look("docs\\nothing.htm", nullptr), corvcheck::Medium::Missing);
}

TEST(CheckEncoding, Utf8WithoutAndWithTheByteOrderMark) {
    Fixture plain = CheckFixture("utf8nobom");
    At(plain.report, "utf8-without-bom", LineOf(plain.text, "Title="));
    // ANSI text that is not UTF-8 is what a file without the mark should hold.
    EXPECT_EQ(Count(plain.report, "utf8-without-bom"), 1);
    EXPECT_EQ(plain.report.ExitStatus(), 1);

    Fixture bom = CheckFixture("utf8bom");
    EXPECT_TRUE(bom.report.utf8);
    const Finding* bad = At(bom.report, "invalid-utf8", 3);
    EXPECT_TRUE(Contains(bad, "0xE9"));
    if (bad) {
        EXPECT_EQ(bad->column, 12);  // "Message=caf" then the byte
    }
    // A name beyond ASCII reaches Windows as written: nothing to say about it.
    EXPECT_EQ(Count(bom.report, "utf8-path"), 0);
    EXPECT_EQ(Count(bom.report, "invalid-utf8"), 1);  // the Greek title is valid
}

TEST(CheckEncoding, FilesTheProgramFindsNothingIn) {
    // A UTF-16 file is read since the program converts it (see Utf16FilesAndAnsiCodePages).
    std::string utf16("\xFF\xFE[\0I\0n\0f\0o\0]\0", 14);
    EXPECT_EQ(Count(CheckText(utf16), "no-info-section") + Count(CheckText(utf16), "utf16-file"), 0);
    Fixture none = CheckFixture("noinfo");
    EXPECT_EQ(Count(none.report, "no-info-section"), 1);
    Report empty = CheckText("");
    EXPECT_EQ(Count(empty, "no-settings"), 1);
    EXPECT_EQ(empty.ExitStatus(), 0);  // a note only
}

// The program reads a UTF-16 file whole, as UTF-8: so does the checker, with
// no word of lost characters. ANSI names are decoded in the code page given.
TEST(CheckEncoding, Utf16FilesAndAnsiCodePages) {
    const std::u16string text = u"[Info]\r\nTitle=\u0394\u03AF\u03C3\u03BA\u03BF\u03C2 caf\u00E9\r\nTilte=x\r\n";
    for (bool big : {false, true}) {
        std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
        for (char16_t c : text) {
            const char hi = static_cast<char>(c >> 8), lo = static_cast<char>(c & 0xFF);
            bytes += big ? hi : lo;
            bytes += big ? lo : hi;
        }
        Report r = corvcheck::CheckSettings(bytes.data(), bytes.size(), nullptr);
        EXPECT_EQ(r.encoding, big ? corvcheck::Encoding::Utf16Be : corvcheck::Encoding::Utf16Le);
        EXPECT_FALSE(r.utf8);
        EXPECT_TRUE(Contains(At(r, "unknown-key", 3), "did you mean 'Title'?"));
        EXPECT_EQ(r.errors + r.warnings + Count(r, "utf8-without-bom"), 1) << "the misspelt key only";
        for (const corvcheck::SettingRow& row : r.settings) {
            if (row.key == "Title") {
                EXPECT_EQ(row.value, "\u0394\u03AF\u03C3\u03BA\u03BF\u03C2 caf\u00E9");
            }
        }
    }
    // "Τίτλος" in Greek ANSI: shown as such in 1253, as Western letters in 1252.
    const std::string ansi = "[Info]\n\xD4\xDF\xF4\xEB\xEF\xF2=x\n";
    Report greek = corvcheck::CheckSettings(ansi.data(), ansi.size(), nullptr, 1253);
    EXPECT_TRUE(Contains(At(greek, "unknown-key", 2), "'\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2'"));
    EXPECT_EQ(At(greek, "unknown-key", 2)->key, "\u03A4\u03AF\u03C4\u03BB\u03BF\u03C2");
    EXPECT_TRUE(Contains(At(CheckText(ansi), "unknown-key", 2), "'\u00D4\u00DF\u00F4\u00EB\u00EF\u00F2'"));
}

// The code page tables against letters every reader of those scripts knows,
// and the bytes no code page defines.
TEST(CheckEncoding, CodePageTablesAndUtf16) {
    using corvcheck::AnsiToUtf8;
    EXPECT_EQ(AnsiToUtf8("\x80 caf\xE9 \x9C", 1252), "\u20AC caf\u00E9 \u0153");
    EXPECT_EQ(AnsiToUtf8("\xC0\xE1\xE2", 1251), "\u0410\u0431\u0432");
    EXPECT_EQ(AnsiToUtf8("\xC4\xDF\xF3\xEA\xEF\xF2", 1253), "\u0394\u03AF\u03C3\u03BA\u03BF\u03C2");
    EXPECT_EQ(AnsiToUtf8("\x8A\xB9", 1250), "\u0160\u0105");
    EXPECT_EQ(AnsiToUtf8("\xF9\xE0", 1255), "\u05E9\u05D0");
    EXPECT_EQ(AnsiToUtf8("\xC7\xE1", 1256), "\u0627\u0644");
    EXPECT_EQ(AnsiToUtf8("\xA1", 874), "\u0E01");
    EXPECT_EQ(AnsiToUtf8("\x81", 1252), "\uFFFD");  // undefined there
    EXPECT_EQ(AnsiToUtf8("\xE9", 437), AnsiToUtf8("\xE9", 1252));  // no table: read as 1252
    std::string known;
    EXPECT_TRUE(corvcheck::KnownCodePage(1258, &known));
    EXPECT_EQ(known, "874, 1250, 1251, 1252, 1253, 1254, 1255, 1256, 1257, 1258");
    EXPECT_FALSE(corvcheck::KnownCodePage(65001));
    // A surrogate pair, a lone surrogate and an odd last byte.
    const unsigned char le[] = {0x3D, 0xD8, 0x00, 0xDE, 0x00, 0xD8, 0x41, 0x00, 0x42};
    EXPECT_EQ(corvcheck::Utf16ToUtf8(le, sizeof le, false), "\U0001F600\uFFFDA");
    EXPECT_EQ(corvcheck::Utf8Characters("\u0394x\xFF"), 3u);
}

TEST(CheckClean, ExampleMediumAndCleanFixtureHaveNoFindings) {
    for (const std::string& path : {std::string(CORVANE_SOURCE_DIR) + "/examples/medium", kFixtures + "clean"}) {
        std::string text = ReadFile(path + "/Corva.INF");
        ASSERT_FALSE(text.empty()) << path;
        corvcheck::FolderMedium medium(path);
        Report r = corvcheck::CheckSettings(text.data(), text.size(), &medium);
        for (const Finding& x : Others(r)) ADD_FAILURE() << path << ":" << x.line << ": " << x.message;
        EXPECT_EQ(r.ExitStatus(), 0);
        // The example keeps the default colours; the clean fixture's green reads well.
        EXPECT_EQ(r.notes, path == kFixtures + "clean" ? 0 : 1) << path;
    }
}

TEST(CheckExplain, RowsFollowTheReaderAndTheModel) {
    Report r = CheckText(
        "[Info]\nShowTime=3\nInfoWeight=12\nInfoColor=0,128,0\nxPos=CENTER\nWeb=help.htm\nNoBrowser=old.exe\n"
        "Filename1=a.htm\nFilename1SpecialParam=app.exe,%f\nViewerFile1=s.pdf\nViewerMsg1=m\nViewerVersion1=NOT,x.exe\n");
    auto row = [&](const std::string& key) -> const corvcheck::SettingRow* {
        for (const auto& s : r.settings)
            if (s.key == key) return &s;
        ADD_FAILURE() << "no row " << key;
        return nullptr;
    };
    const auto* showTime = row("ShowTime");
    ASSERT_TRUE(showTime);
    EXPECT_EQ(showTime->value, "3");
    EXPECT_EQ(showTime->effective, "5000 ms");
    EXPECT_EQ(showTime->line, 2);
    EXPECT_FALSE(showTime->isDefault);
    EXPECT_EQ(row("InfoWeight")->effective, "weight 900");
    EXPECT_EQ(row("MsgWeight")->effective, "weight 900");  // takes the clamped InfoWeight
    EXPECT_TRUE(row("MsgWeight")->isDefault);
    EXPECT_EQ(row("MsgColor")->effective, "0,128,0");
    EXPECT_EQ(row("xPos")->effective, "center");
    EXPECT_EQ(row("WebMsg")->effective, "Starting help.htm");
    EXPECT_EQ(row("NoBrowser")->value, "old.exe");  // read in place of the missing NoViewerCmd
    EXPECT_EQ(row("NoViewerCmd")->effective, "old.exe");
    EXPECT_EQ(row("Filename1SpecialParam")->effective, "program 'app.exe', parameters '%f'");
    EXPECT_EQ(row("ViewerVersion1")->effective, "not for x.exe");
    EXPECT_TRUE(row("Title")->isDefault);
    EXPECT_EQ(row("Title")->value, "Corvane 3.2");
    // Reading order: the table ends with the entries, the rules and the do-not-show-again keys.
    ASSERT_FALSE(r.settings.empty());
    EXPECT_EQ(r.settings.front().key, "Filename");
    EXPECT_EQ(r.settings.back().key, "DoNotRepeatId");
}

TEST(CheckOutput, CompilerFormAndJsonEscapes) {
    Report r = CheckText("[Info]\nTilte=x\nInfoColor=1\n");
    std::string text = corvcheck::FormatText(r, "Corva.INF");
    EXPECT_NE(text.find("Corva.INF:2: warning: unknown key 'Tilte' is never read; did you mean 'Title'? [unknown-key]\n"),
              std::string::npos);
    EXPECT_NE(text.find("Corva.INF:3: error: malformed colour"), std::string::npos);
    EXPECT_NE(text.find("Corva.INF: 1 error, 1 warning, 1 note\n"), std::string::npos);  // the default MsgColor
    EXPECT_EQ(corvcheck::JsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000A\"");
    EXPECT_EQ(corvcheck::JsonString("caf\xE9"), "\"caf\\u00E9\"");          // ANSI byte as Latin-1
    EXPECT_EQ(corvcheck::JsonString("\xCE\x95"), "\"\xCE\x95\"");            // valid UTF-8 kept
    EXPECT_EQ(corvcheck::JsonString("\xED\xA0\x80"), "\"\\u00ED\\u00A0\\u0080\"");  // a surrogate is not UTF-8
    // The text form stays UTF-8: a byte that is not UTF-8 is shown by its value.
    Report bom = CheckText("\xEF\xBB\xBF[Info]\nTilte=caf\xE9 \xCE\x94\n");
    EXPECT_NE(corvcheck::FormatText(bom, "C").find("'Tilte' is never read"), std::string::npos);
    bom.findings[0].message = "caf\xE9 \xCE\x94";
    EXPECT_NE(corvcheck::FormatText(bom, "C").find(": caf\\xE9 \xCE\x94 ["), std::string::npos);
}
