// The key table drives the reader: for a file that makes every key count,
// the reader asks for exactly the table's keys, in the table's order, with
// each row's capacity and default. The reader's structural listing and
// look-up log (used by the settings checker) must describe the file as the
// reader sees it.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Every key the reader asks for while reading `text`.
std::set<std::string> Asked(const std::string& text, IniFile::LookupLog& log) {
    IniFile ini;
    ini.Load(text.data(), text.size());
    ini.SetLookupLog(&log);
    std::unique_ptr<Settings> s(new Settings());
    ReadSettings(ini, *s, 0x00FFFFFF);
    ReleaseSettingsTexts(*s);
    std::set<std::string> keys;
    for (size_t i = 0; i < log.count; ++i) keys.insert(Lower(log.items[i].key));
    return keys;
}

}  // namespace

TEST(SettingsKeys, TheReaderAsksForTheTableInItsOrder) {
    // All entries and rules given, NoViewerCmd missing (so NoBrowser is read),
    // numeric xPos/xSplash (so the y keys are read), DoNotRepeatId given and
    // InfoSize/InfoFace set, so that the Msg* defaults differ from the table's.
    std::string text = "[Info]\nxPos=1\nyPos=2\nxSplash=1\nySplash=2\nDoNotRepeatId=x\n"
                       "InfoSize=9\nInfoWeight=9\nInfoItalic=9\nInfoFace=Tahoma\n";
    for (int n = 1; n <= 10; ++n) {
        text += "Filename" + std::to_string(n) + "=f\n";
        text += "ViewerFile" + std::to_string(n) + "=v\nViewerMsg" + std::to_string(n) + "=m\n";
    }
    std::unique_ptr<IniFile::LookupLog> log(new IniFile::LookupLog());
    Asked(text, *log);
    EXPECT_FALSE(log->overflow);

    // The table's rows in order, a numbered list's rows once for each number.
    struct Expected { const SettingKey* row; std::string name; };
    std::vector<Expected> expected;
    char name[64];
    for (size_t i = 0; i < kSettingKeyCount;) {
        const SettingKey& k = kSettingKeys[i];
        size_t last = i + 1;
        while (last < kSettingKeyCount && k.place != PlaceSettings && kSettingKeys[last].place == k.place) ++last;
        for (int n = 1; n <= (k.place == PlaceSettings ? 1 : 10); ++n) {
            for (size_t j = i; j < last; ++j) {
                SettingKeyName(kSettingKeys[j], n, name, sizeof name);
                expected.push_back(Expected{&kSettingKeys[j], name});
            }
        }
        i = last;
    }
    ASSERT_EQ(log->count, expected.size());
    for (size_t i = 0; i < log->count; ++i) {
        const IniFile::Lookup& l = log->items[i];
        const SettingKey& row = *expected[i].row;
        ASSERT_EQ(std::string(l.key), expected[i].name) << "look-up " << i;
        int number = 0;
        EXPECT_EQ(FindSettingKey(l.key, std::strlen(l.key), &number), &row) << l.key;
        EXPECT_EQ(l.integer, row.capacity == 0) << l.key;
        if (!l.integer) {
            EXPECT_EQ(l.capacity, row.capacity) << l.key;
        }
        // A Msg* key's default is its Info key's value; WebMsg's is its own
        // (Web is not given here).
        const SettingKey& source = (&row)[-row.from];
        if (l.integer) {
            EXPECT_EQ(l.intDefault, row.from ? 9 : row.def.number) << l.key;
        } else if (row.from && row.kind == SettingText) {
            EXPECT_STREQ(l.def, "Tahoma") << l.key << " follows " << source.name;
        } else {
            EXPECT_STREQ(l.def, row.def.text ? row.def.text : "") << l.key;
        }
    }
}

TEST(SettingsKeys, ConditionalKeysAreAskedForOnlyWhenTheyCount) {
    std::unique_ptr<IniFile::LookupLog> log(new IniFile::LookupLog());
    std::set<std::string> asked = Asked("[Info]\nNoViewerCmd=x\nxPos=center\nFilename1=a\nFilename3=c\n", *log);
    EXPECT_FALSE(asked.count("nobrowser"));
    EXPECT_FALSE(asked.count("ypos"));
    EXPECT_FALSE(asked.count("donotrepeattext"));
    EXPECT_TRUE(asked.count("filename2"));
    EXPECT_FALSE(asked.count("filename3"));
    EXPECT_TRUE(asked.count("viewerfile1"));
    EXPECT_FALSE(asked.count("viewermsg1"));
}

TEST(SettingsKeys, NumberedNamesMatchOnlyAsTheReaderWritesThem) {
    int n = 0;
    const SettingKey* k = FindSettingKey("FILENAME3param", 14, &n);
    ASSERT_TRUE(k);
    EXPECT_STREQ(k->name, "Filename%dParam");
    EXPECT_EQ(n, 3);
    k = FindSettingKey("ViewerFile12", 12, &n);
    ASSERT_TRUE(k);
    EXPECT_EQ(n, 12);  // found, but outside 1..10
    EXPECT_FALSE(FindSettingKey("Filename01", 10, &n));
    EXPECT_FALSE(FindSettingKey("FilenameXParam", 14, &n));
    EXPECT_STREQ(FindSettingKey("filenamemenu", 12, &n)->name, "FilenameMenu");
    char name[32];
    SettingKeyName(*FindSettingKey("ViewerCmdClickMsg7", 18, &n), 10, name, sizeof name);
    EXPECT_STREQ(name, "ViewerCmdClickMsg10");
}

TEST(IniListing, SectionsAndKeyLinesOfTheWholeFile) {
    const std::string text =
        "Before=1\r\n[Other]\r\nA=1\r\n[info]\r\n  Title = x\r\nNoEquals\r\n; comment\r\nTitle=y\r\n[Info]\r\nB=2";
    IniFile ini;
    ini.Load(text.data(), text.size(), "Info", true);
    ASSERT_EQ(ini.SectionCount(), 3u);
    EXPECT_EQ(std::string(ini.SectionAt(0).name, ini.SectionAt(0).nameLength), "Other");
    EXPECT_FALSE(ini.SectionAt(0).read);
    EXPECT_TRUE(ini.SectionAt(1).read);
    EXPECT_EQ(ini.SectionAt(1).line, 4);
    EXPECT_FALSE(ini.SectionAt(2).read);  // the second [Info] is never read
    EXPECT_EQ(ini.SectionAt(2).line, 9);

    ASSERT_EQ(ini.KeyLineCount(), 6u);
    const IniFile::KeyLine& before = ini.KeyLineAt(0);
    EXPECT_EQ(before.section, -1);
    EXPECT_EQ(before.kept, nullptr);
    const IniFile::KeyLine& title = ini.KeyLineAt(2);
    EXPECT_EQ(title.section, 1);
    EXPECT_EQ(title.entry.line, 5);
    EXPECT_EQ(title.entry.value - title.lineStart, 10);  // "  Title = " before the value
    EXPECT_EQ(title.kept, ini.Find("title"));
    EXPECT_EQ(ini.KeyLineAt(3).entry.value, nullptr);    // NoEquals
    EXPECT_NE(ini.KeyLineAt(4).kept, nullptr);           // the duplicate Title is kept...
    EXPECT_NE(ini.KeyLineAt(4).kept, ini.Find("Title"));  // ...but does not win
    EXPECT_EQ(ini.KeyLineAt(5).section, 2);
    EXPECT_EQ(ini.KeyLineAt(5).kept, nullptr);

    // The look-ups answer the same with and without the listing.
    IniFile plain;
    plain.Load(text.data(), text.size());
    char a[16], b[16];
    for (const char* key : {"Title", "B", "A", "Before", "NoEquals"}) {
        EXPECT_EQ(ini.GetString(key, "-", a, sizeof a), plain.GetString(key, "-", b, sizeof b)) << key;
        EXPECT_STREQ(a, b) << key;
    }
    EXPECT_EQ(plain.SectionCount(), 0u);
    EXPECT_EQ(plain.KeyLineCount(), 0u);
}

TEST(IniListing, LookupLogRecordsEveryReadUpToItsBound) {
    IniFile ini;
    const std::string text = "[Info]\nShowTime=3\n";
    ini.Load(text.data(), text.size());
    std::unique_ptr<IniFile::LookupLog> log(new IniFile::LookupLog());
    ini.SetLookupLog(log.get());
    char buf[8];
    ini.GetString("Title", "a default longer than the buffer", buf, sizeof buf);
    EXPECT_EQ(ini.GetInt("showtime", 15), 3);
    ASSERT_EQ(log->count, 2u);
    EXPECT_STREQ(log->items[0].key, "Title");
    EXPECT_EQ(log->items[0].capacity, 8u);
    EXPECT_STREQ(log->items[0].def, "a default longer than the buffer");
    EXPECT_EQ(log->items[0].entry, nullptr);
    EXPECT_TRUE(log->items[1].integer);
    EXPECT_EQ(log->items[1].intDefault, 15);
    ASSERT_NE(log->items[1].entry, nullptr);
    EXPECT_EQ(log->items[1].entry->line, 2);
    for (int i = 0; i < IniFile::kMaxLookups + 5; ++i) ini.GetInt("x", 0);
    EXPECT_EQ(log->count, static_cast<size_t>(IniFile::kMaxLookups));
    EXPECT_TRUE(log->overflow);
    ini.SetLookupLog(nullptr);
    ini.GetInt("x", 0);  // no log, nothing recorded and nothing breaks
    EXPECT_EQ(log->count, static_cast<size_t>(IniFile::kMaxLookups));
}
