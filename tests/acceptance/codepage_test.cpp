// Scenarios on a PC whose ANSI code page is 1251 (Cyrillic): the suite runs
// this program with LC_ALL=ru_RU.UTF-8, from which Wine takes the code page
// of every process it starts. A settings file without the byte-order mark
// is read in that code page, cut by its bytes as the ANSI profile functions
// cut it, then shown in Unicode.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "accept_support.h"
#include "scenario_fixture.h"

using namespace accept;

namespace {

class CodePage : public ScenarioTest {
protected:
    CodePage() : ScenarioTest("codepage") {}
};

// 700 Cyrillic letters are 700 bytes in code page 1251: the Message is shown
// whole, as its letters, in the status window a screen reader reads.
TEST_F(CodePage, ACyrillicFileWithoutMarkShowsItsLongMessageWhole) {
    ASSERT_EQ(GetACP(), 1251u) << "the suite runs this program with LC_ALL=ru_RU.UTF-8";
    Medium m("codepage", 'N');
    Author(m, "[Info]\r\nShowTime=-1\r\nTitle=" + CyrillicLetters(6, true) + "\r\nMessage=" + CyrillicLetters(700, true) +
                  "\r\nFilename1=readme.htm\r\nFilename1Menu=Open\r\n");
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    const PopupView view = WaitForView(run.Pid(), StatusAndButton, kEntry1);
    ASSERT_TRUE(StatusAndButton(view, kEntry1)) << "no status text or no menu button";
    EXPECT_EQ(view.title, CyrillicLetters(6, false));
    ExpectWholeText(view.Find(kStatus)->caption, CyrillicLetters(700, false));
    ASSERT_TRUE(CloseRequest(run.Pid()));
    ASSERT_TRUE(run.WaitExit(5000));
}

}  // namespace
