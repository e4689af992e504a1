// One medium for every language: the suite runs this program once per
// display language, with LC_ALL set, from which Wine takes the display
// language of every process it starts. Each user sees the language section
// chosen for their language over [Info], opens that language's document and
// has their "Do not show again" remembered under that section's id.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

const std::string kJapaneseTitle = "\xE3\x82\xB5\xE3\x83\xB3\xE3\x83\x97\xE3\x83\xAB\xE3\x83\x87\xE3\x82\xA3"
                                   "\xE3\x82\xB9\xE3\x82\xAF";                             // サンプルディスク
const std::string kJapaneseCaption = "\xE3\x81\xAF\xE3\x81\x98\xE3\x82\x81\xE3\x81\xAB";  // はじめに
// File names stay ASCII: a locale Linux does not have (Wine takes the
// language from LC_ALL all the same) leaves Wine's file names in ASCII.
const std::string kJapaneseDocument = "hajimeni";

const std::string kJapaneseDisplay = "\xE3\x82\xA6\xE3\x82\xA7\xE3\x83\x96\xE3\x82\xB5\xE3\x82\xA4"
                                     "\xE3\x83\x88\xE3\x81\xB8";  // ウェブサイトへ
const std::string kJapaneseBox = "\xE4\xBB\x8A\xE5\xBE\x8C\xE8\xA1\xA8\xE7\xA4\xBA\xE3\x81\x97\xE3\x81\xAA"
                                 "\xE3\x81\x84";  // 今後表示しない

// The README's worked example: English in [Info]; German and Japanese in
// their sections. The German section has its own do-not-show id, the
// Japanese one shares [Info]'s and leaves the Exit caption to it.
std::string Settings(const std::string& id) {
    return "\xEF\xBB\xBF[Info]\r\nTitle=Example Disc\r\nDisplay=Visit the example web site\r\n"
           "Web=https://www.example.com/\r\nFilename=readme.htm\r\nFilenameMenu=Read me first\r\nDoNotRepeatId=" +
           id + "-en\r\nShowTime=-1\r\n\r\n"
           "[Info.de]\r\nTitle=Beispiel-CD\r\nDisplay=Besuchen Sie unsere Website\r\n"
           "Web=https://www.example.com/de/\r\nFilename=liesmich.htm\r\nFilenameMenu=Zuerst lesen\r\n"
           "ExitMsg=Beenden\r\nDoNotRepeatText=Nicht mehr anzeigen\r\nDoNotRepeatId=" + id + "-de\r\n\r\n"
           "[Info.ja]\r\nTitle=" + kJapaneseTitle + "\r\nDisplay=" + kJapaneseDisplay +
           "\r\nWeb=https://www.example.com/ja/\r\nFilename=" + kJapaneseDocument + ".htm\r\nFilenameMenu=" +
           kJapaneseCaption + "\r\nDoNotRepeatText=" + kJapaneseBox + "\r\n";
}

// What a user of the process's display language is to see.
struct Expected {
    const char* section;
    std::string title, display, caption, document, exit, idSuffix;
};

Expected ForThisUser() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    GetLocaleInfoW(MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT), LOCALE_SISO639LANGNAME, name,
                   LOCALE_NAME_MAX_LENGTH);
    const std::wstring language = name;
    if (language == L"de")
        return {"de", "Beispiel-CD", "Besuchen Sie unsere Website", "Zuerst lesen", "liesmich.htm", "Beenden", "-de"};
    if (language == L"ja")
        return {"ja", kJapaneseTitle, kJapaneseDisplay, kJapaneseCaption, kJapaneseDocument + ".htm", "Exit", "-en"};
    return {"none", "Example Disc", "Visit the example web site", "Read me first", "readme.htm", "Exit", "-en"};
}

class Languages : public ScenarioTest {
protected:
    Languages() : ScenarioTest("languages") {}
};

bool RowAndMenu(const PopupView& view, int) { return view.Find(10) && view.Find(4) && view.Find(2); }

TEST_F(Languages, EachUserSeesTheirSectionOpensTheirDocumentAndIsRememberedUnderItsId) {
    const Expected e = ForThisUser();
    wchar_t locale[LOCALE_NAME_MAX_LENGTH] = L"";
    GetUserDefaultLocaleName(locale, LOCALE_NAME_MAX_LENGTH);
    const std::string who = Utf8Of(locale);
    // The suite runs this program as a PC of one language: it must be that.
    char wanted[32] = "";
    GetEnvironmentVariableA("CORVANE_TEST_LANGUAGE", wanted, sizeof wanted);
    if (wanted[0]) ASSERT_EQ(who, wanted) << "this PC does not speak the language the suite asked for";
    GalleryEntry& g = Gallery(("50-languages-" + std::string(e.section)).c_str(),
                              ("The same medium for a user of " + who).c_str());
    Medium m("languages", 'L');
    const std::string id = Format("cv-languages-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    Author(m, Settings(id));
    ASSERT_TRUE(m.Put("liesmich.htm", "<html><body>Lies mich</body></html>\r\n"));
    ASSERT_TRUE(m.Put(kJapaneseDocument + ".htm", "<html><body>Japanese</body></html>\r\n"));
    DeleteMemory(id + "-en");
    DeleteMemory(id + "-de");

    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe", m.Root()));
    const PopupView view = WaitForView(run.Pid(), RowAndMenu, 0);
    ASSERT_TRUE(RowAndMenu(view, 0)) << who << ": no menu button and button row";
    const std::string section = std::string(e.section) == "none" ? "[Info] alone" : "[Info." + std::string(e.section) + "]";
    g.Shot(section + " as " + who + " sees it");
    EXPECT_EQ(view.title, e.title) << who;
    ASSERT_NE(view.Find(5), nullptr);
    EXPECT_EQ(view.Find(5)->caption, e.display) << who;
    EXPECT_EQ(view.Find(10)->caption, e.caption) << who;
    EXPECT_EQ(view.Find(2)->caption, e.exit) << who << ": a key the language section leaves out comes from [Info]";

    ASSERT_TRUE(Click(run.Pid(), 10));
    const std::vector<SpyRecord> r = Spied(1);
    ASSERT_EQ(r.size(), 1u) << who << ": the document was not opened";
    EXPECT_TRUE(ContainsNoCase(r[0].commandLine, m.Root() + e.document)) << who << ": " << r[0].commandLine;

    ASSERT_TRUE(Click(run.Pid(), 4));
    WaitForView(run.Pid(), Checked, 4, 3000);
    ASSERT_TRUE(Click(run.Pid(), 2));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_EQ(run.ExitCode(), 0u);
    DWORD type = 0, value = 0;
    EXPECT_TRUE(ReadMemory(id + e.idSuffix, &type, &value) && value == 1) << who << ": the choice under " << e.idSuffix;
    const std::string other = e.idSuffix == "-de" ? "-en" : "-de";
    EXPECT_FALSE(ReadMemory(id + other, &type, &value)) << who << ": nothing under the other language's id";
    DeleteMemory(id + "-en");
    DeleteMemory(id + "-de");
    g.Note(who + " read " + section);
}

}  // namespace
