// The language section a user sees, and the tags the settings checker takes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "settings/languages.h"

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

    for (const char* good : {"de", "DE", "fil", "de-AT", "sr-Latn", "zh-Hant-TW", "es-419", "sr-Latn-RS"})
        EXPECT_TRUE(IsWellFormedLanguageTag(good, std::strlen(good))) << good;
    for (const char* bad : {"", "d", "deutsch", "de_AT", "de-", "-de", "de-AT-Latn", "de-Latin", "de-A1", "12", "de-AT-x"})
        EXPECT_FALSE(IsWellFormedLanguageTag(bad, std::strlen(bad))) << bad;
}

}  // namespace
