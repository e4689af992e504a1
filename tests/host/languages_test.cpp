// The language section a user sees, and the tags the settings checker takes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/ini_reader.h"
#include "settings/languages.h"
#include "settings/settings.h"

namespace {

std::vector<LanguageTag> Tags(const std::vector<const char*>& texts) {
    std::vector<LanguageTag> tags;
    for (const char* t : texts) tags.push_back({t, std::strlen(t)});
    return tags;
}

// The section chosen for the preferred list, by its tag; "" for none.
std::string Choose(const std::vector<const char*>& preferred, const std::vector<const char*>& present) {
    const std::vector<LanguageTag> p = Tags(preferred), s = Tags(present);
    const int i = ChooseLanguageSection(p.data(), p.size(), s.data(), s.size());
    return i < 0 ? "" : present[static_cast<size_t>(i)];
}

TEST(LanguageChoice, WholeTagThenShorterInThePreferredOrder) {
    EXPECT_EQ(Choose({"de-AT"}, {"de", "de-AT", "ja"}), "de-AT");
    EXPECT_EQ(Choose({"de-AT"}, {"ja", "de"}), "de");
    EXPECT_EQ(Choose({"DE-at"}, {"De-At"}), "De-At") << "letter case does not count";
    EXPECT_EQ(Choose({"sr-Latn-RS"}, {"sr", "sr-Latn"}), "sr-Latn") << "the script before the language alone";
    EXPECT_EQ(Choose({"fr-FR", "de-DE"}, {"de", "fr-CA"}), "de") << "a region of another country is no match";
    EXPECT_EQ(Choose({"fr-FR", "de-DE"}, {"de", "fr"}), "fr") << "the first preferred language wins";
    EXPECT_EQ(Choose({"fr-FR"}, {"de", "ja"}), "");
    EXPECT_EQ(Choose({}, {"de"}), "");
    EXPECT_EQ(Choose({"de"}, {"de-AT"}), "") << "a more special section does not serve the language alone";
    EXPECT_EQ(Choose({"d"}, {"de"}), "") << "no part of a word matches";
    EXPECT_EQ(Choose({"pt-BR"}, {"pt-br", "pt-BR"}), "pt-br") << "the first of equal sections";
}

TEST(LanguageTags, SectionNamesAndWellFormedTags) {
    const char* tag = nullptr;
    size_t length = 0;
    ASSERT_TRUE(LanguageSectionTag("info.zh-TW", 10, &tag, &length));
    EXPECT_EQ(std::string(tag, length), "zh-TW");
    EXPECT_TRUE(LanguageSectionTag("Info.", 5, &tag, &length));
    EXPECT_EQ(length, 0u);
    EXPECT_FALSE(LanguageSectionTag("Info", 4, &tag, &length));
    EXPECT_FALSE(LanguageSectionTag("Infos.de", 8, &tag, &length));

    for (const char* good : {"de", "DE", "fil", "de-AT", "sr-Latn", "zh-Hant-TW", "es-419", "sr-Latn-RS", "ca-ES-valencia"})
        EXPECT_TRUE(IsWellFormedLanguageTag(good, std::strlen(good))) << good;
    for (const char* bad : {"", "d", "deutsch", "de_AT", "de-", "-de", "de-AT-Latn", "de-Latn-Latn", "de-A1", "12", "de-AT-x", "ca-ES-val", "ca-ES-valencia-x"})
        EXPECT_FALSE(IsWellFormedLanguageTag(bad, std::strlen(bad))) << bad;
}

}  // namespace

namespace {

// What a user of `language` reads for `key` from the settings text; "-" when missing.
std::string ValueFor(const std::string& file, const char* language, const char* key) {
    LanguageTag tag = {language, std::strlen(language)};
    IniFile ini;
    ini.Load(file.data(), file.size(), "Info", false, &tag, *language ? 1 : 0);
    char buf[64];
    return ini.Find(key) ? (ini.GetString(key, "", buf, sizeof buf), std::string(buf)) : "-";
}

TEST(LanguageOverlay, OneSectionAnswersKeyByKeyOverInfo) {
    // The language sections stand before and after [Info]; their names keep
    // the profile rule's blanks and letter case.
    const std::string file =
        "[ info.DE-at ]\r\nC=5\r\n[Info]\r\nA=1\r\nB=2\r\nC=0\r\nD=7\r\n[Other]\r\nA=9\r\n[Info.de]\r\nB=3\r\nc=4\r\n"
        "D=\r\n[Info.de]\r\nA=8\r\n[Info]\r\nA=6\r\n";
    EXPECT_EQ(ValueFor(file, "", "B") + ValueFor(file, "", "C") + ValueFor(file, "", "D"), "207") << "no language: [Info]";
    EXPECT_EQ(ValueFor(file, "de-DE", "A"), "1") << "a second [Info.de] is not read, nor a second [Info]";
    EXPECT_EQ(ValueFor(file, "de-DE", "B"), "3");
    EXPECT_EQ(ValueFor(file, "de-DE", "C"), "4") << "key names ignore letter case across sections";
    EXPECT_EQ(ValueFor(file, "de-DE", "D"), "") << "an empty value in the language section is that language's value";
    EXPECT_EQ(ValueFor(file, "de-AT", "B"), "2") << "only one language section applies";
    EXPECT_EQ(ValueFor(file, "de-AT", "C"), "5");
    EXPECT_EQ(ValueFor(file, "fr-FR", "C"), "0");
}

// A file saved as UTF-8 with its mark, and one in a code page, overlay alike;
// the settings reader takes every key, numbered ones too, through the overlay.
TEST(LanguageOverlay, TheSettingsOfALanguageInEveryEncoding) {
    const std::string body =
        "[Info]\r\nTitle=Disc\r\nFilename1=a.htm\r\nFilename1Menu=A\r\nFilename2=b.htm\r\nFilename2Menu=B\r\n"
        "Filename3=c.htm\r\nFilename3Menu=C\r\nShowTime=9\r\n"
        "[Info.ja]\r\nTitle=\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF\r\nFilename2Menu=\xE3\x83\x93\r\n"
        "[Info.de]\r\nTitle=Scheibe \xE4\r\nFilename2=b-de.htm\r\nShowTime=-1\r\n";
    LanguageTag ja = {"ja-JP", 5}, de = {"de", 2};
    Settings* s = new Settings();
    IniFile ini;
    const std::string utf8 = "\xEF\xBB\xBF" + body;
    ini.Load(utf8.data(), utf8.size(), "Info", false, &ja, 1);
    ReadSettings(ini, *s, 0xFFFFFF);
    EXPECT_STREQ(s->Title, "\xE3\x83\x87\xE3\x82\xA3\xE3\x82\xB9\xE3\x82\xAF");
    EXPECT_STREQ(s->menu[2].Filename, "b.htm");
    EXPECT_STREQ(s->menu[2].Menu, "\xE3\x83\x93");
    EXPECT_STREQ(s->menu[3].Menu, "C");
    EXPECT_EQ(s->ShowTime, 9000);
    ini.Load(body.data(), body.size(), "Info", false, &de, 1);  // no mark: code-page bytes as they stand
    ReadSettings(ini, *s, 0xFFFFFF);
    EXPECT_STREQ(s->Title, "Scheibe \xE4");
    EXPECT_STREQ(s->menu[2].Filename, "b-de.htm");
    EXPECT_STREQ(s->menu[2].Menu, "B");
    EXPECT_EQ(s->ShowTime, -1);
    ReleaseSettingsTexts(*s);
    delete s;
}

}  // namespace
