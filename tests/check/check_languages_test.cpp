// Language sections in the checker: tags no user gets, each section checked
// over [Info] without repeating [Info]'s findings, the code page a section's
// users read it in, and the settings as one user sees them.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/check/check_engine.h"

using corvcheck::Finding;
using corvcheck::Report;

namespace {

Report Check(const std::string& text, int codePage = 1252, const std::vector<std::string>& languages = {}) {
    return corvcheck::CheckSettings(text.data(), text.size(), nullptr, codePage, languages);
}

// "line code section" of every finding but the default colour's note.
std::vector<std::string> Summary(const Report& r) {
    std::vector<std::string> all;
    for (const Finding& f : r.findings)
        if (f.code != "low-contrast") all.push_back(std::to_string(f.line) + " " + f.code + " " + f.section);
    return all;
}

const Finding* Find(const Report& r, const std::string& code) {
    for (const Finding& f : r.findings)
        if (f.code == code) return &f;
    return nullptr;
}

}  // namespace

TEST(LanguageSections, TagsThatNoUserGets) {
    Report r = Check(
        "[Info]\nTitle=Disc\n"
        "[Info.de_AT]\nTitle=a\n"             // 3: malformed, mended
        "[Info.]\nTitle=b\n"                  // 5: malformed
        "[Info.jp-JP]\nTitle=c\n"             // 7: no such language, likely ja-JP
        "[Info.xx]\nTitle=d\n"                // 9: no such language
        "[ info.DE ]\nTitle=e\nTilte=f\n"     // 11: fine (its misspelt key is told)
        "[Info.de]\nTitle=g\nTilte=h\n"       // 14: a second [Info.de]: never read, its keys not told
        "[Info.ca-ES-valencia]\nTitle=i\n"    // 17: a Windows display language with a variant
        "[Info.no]\nTitle=j\n");              // 19: Norwegian is nb to Windows
    EXPECT_EQ(Summary(r), (std::vector<std::string>{"3 language-tag Info.de_AT", "5 language-tag Info.",
                                                    "7 unknown-language Info.jp-JP", "9 unknown-language Info.xx",
                                                    "13 unknown-key Info.DE", "14 duplicate-section Info.de",
                                                    "19 unknown-language Info.no"}));
    EXPECT_NE(r.findings[1].message.find("did you mean [Info.de-AT]?"), std::string::npos) << r.findings[1].message;
    EXPECT_NE(Find(r, "unknown-language")->message.find("did you mean [Info.ja-JP]?"), std::string::npos);
    EXPECT_NE(r.findings.back().message.find("did you mean [Info.nb]?"), std::string::npos);
    EXPECT_NE(Find(r, "duplicate-section")->message.find("only the first one (line 11)"), std::string::npos);
    EXPECT_EQ(Find(r, "unknown-key")->message.find("[Info.DE] unknown key 'Tilte'"), 0u);
    EXPECT_EQ(r.ExitStatus(), 1);
}

// Each section is read over [Info] as its users read it: what [Info] alone
// shows is told once, what a section brings about in its name, even on a
// line of [Info].
TEST(LanguageSections, EachCheckedOverInfoWithoutRepeatingIt) {
    Report r = Check(
        "[Info]\nTitle=Disc\nTilte=x\nFilename1=a\nFilename2=b\nFilename3=c\nShowTime=3\n"  // 1-7
        "[Info.de]\nTitle=Scheibe\nFilename2=\nShowTime=8\n"                              // 8-11
        "[Info.fr]\nTitle=Disque\nInfoColor=1\nMessage=Bonjour\n");                        // 12-15
    EXPECT_EQ(Summary(r), (std::vector<std::string>{"3 unknown-key Info", "6 gap Info.de", "7 showtime-raised Info",
                                                    "14 bad-colour Info.fr", "14 language-only Info.fr",
                                                    "15 language-only Info.fr"}));
    const Finding* gap = Find(r, "gap");
    EXPECT_EQ(gap->message.find("[Info.de] menu entry 3 is never read"), 0u) << gap->message;
    EXPECT_EQ(Find(r, "language-only")->message,
              "[Info.fr] 'InfoColor' is set here but not in [Info]: users of other languages get its default, "
              "'0,0,255'");

    // Without [Info], each language's users get their section and nobody else anything.
    Report only = Check("[Info.de]\nTitle=Scheibe\nTitel=x\n");
    EXPECT_EQ(Summary(only), (std::vector<std::string>{"0 no-info-section ", "3 unknown-key Info.de"}));
    EXPECT_EQ(only.ExitStatus(), 1);
}

// In a file without a byte-order mark each PC reads a section in its own
// ANSI code page; the checker reads the file in the one given to it.
TEST(LanguageSections, TextTheLanguagesCodePageCannotHold) {
    struct Case {
        int codePage;
        std::string text;
        const char* says;  // null: nothing to say
    } cases[] = {
        {1252, "[Info.de]\nTitle=Scheibe \xE4\n", nullptr},
        {1252, "[Info.ru]\nTitle=\xD0\xF3\xF1\n", "code page 1251: they show 'Title=\u0420\u0443\u0441', not "
                                                  "'Title=\u00D0\u00F3\u00F1' as read in code page 1252"},
        {1251, "[Info.de-AT]\nTitle=\xE4\nDisplay=\xE4\nWeb=\xE4\n", "code page 1252: they show 'Title=\u00E4', "
                                                                     "not 'Title=\u0434' as read in code page 1251 "
                                                                     "(and 2 more lines)"},
        {1252, "[Info.sr-Cyrl]\nTitle=\xE4\n", "code page 1251"},
        {1252, "[Info.zh-TW]\nTitle=\xA4\xA4\n", "read it in code page 950, which this check cannot read"},
        {1252, "[Info.ja]\nTitle=Atlas\n", nullptr},
        {1252, "[Info.hi]\nTitle=\xE4\n", "Windows has no ANSI code page for this language"},
        {1252, "\xEF\xBB\xBF[Info.ru]\nTitle=\xD0\xA0\n", nullptr},  // UTF-8 with its mark: every PC alike
    };
    for (const Case& c : cases) {
        Report r = Check("[Info]\nTitle=x\n" + c.text, c.codePage);
        const Finding* f = Find(r, "language-codepage");
        if (!c.says) {
            EXPECT_FALSE(f) << c.text << ": " << f->message;
            continue;
        }
        ASSERT_TRUE(f) << c.text;
        EXPECT_EQ(f->line, 4) << c.text;
        EXPECT_NE(f->message.find(c.says), std::string::npos) << f->message;
        EXPECT_NE(f->message.find("save the file as UTF-8 with byte-order mark"), std::string::npos);
    }
}

TEST(LanguageSections, TheSettingsAsOneUserSeesThem) {
    const std::string file =
        "[Info]\nTitle=Disc\nFilename1=a\nFilename2=b\nFilename3=c\n[Info.de]\nTitle=Scheibe\nFilename2=\n"
        "[Info.sr]\nTitle=Disk\n";
    Report de = Check(file, 1252, {"fr-FR", "de-AT"});
    EXPECT_EQ(de.languageSection, "Info.de");
    // Its empty Filename2 ends the entries: told in its name on [Info]'s line.
    EXPECT_EQ(Summary(de), (std::vector<std::string>{"5 gap Info.de", "6 language-section Info.de"}));
    EXPECT_EQ(Find(de, "language-section")->message,
              "[Info.de] is what a user of (in this order) fr-FR, de-AT gets: its keys replace those of [Info], the "
              "others come from [Info]");
    std::string sources;  // where each value the program took came from
    for (const corvcheck::SettingRow& row : de.settings)
        if (!row.isDefault) sources += row.key + "@" + row.section + std::to_string(row.line) + " ";
    EXPECT_EQ(sources, "Title@Info.de7 Filename1@Info3 Filename2@Info.de8 ");
    const std::string explained = corvcheck::FormatExplain(de, "C");
    EXPECT_NE(explained.find("for a user of fr-FR, de-AT, [Info.de] over [Info]"), std::string::npos);
    EXPECT_NE(explained.find("(line 7, [Info.de])"), std::string::npos) << explained;

    Report none = Check(file, 1252, {"ja-JP"});
    EXPECT_EQ(none.languageSection, "");
    EXPECT_NE(Find(none, "language-section")->message.find("gets no language section, only [Info] (the file has "
                                                           "[Info.de], [Info.sr])"),
              std::string::npos);
}

// A section per country on a disc sold in many: each one read, up to a
// bound, since each is a reading of the whole file.
TEST(LanguageSections, ManySectionsStayBounded) {
    std::string text = "[Info]\nTitle=Disc\n";
    for (int i = 0; i < 70; ++i) text += "[Info.en-" + std::to_string(100 + i) + "]\nTilte=x\nTitle=Disc\n";
    Report r = Check(text);
    int unknown = 0;
    for (const Finding& f : r.findings) unknown += f.code == "unknown-key";
    EXPECT_EQ(unknown, 64);
    const Finding* bound = Find(r, "language-not-checked");
    ASSERT_TRUE(bound);
    EXPECT_EQ(bound->section, "Info.en-164");
}
