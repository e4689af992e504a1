// Whole-program scenarios for inputs at their limits: a target longer than
// the shell takes, and do-not-show choices stored the ways earlier versions
// and administrators stored them. Observed from outside like the others.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

class Limits : public ScenarioTest {
protected:
    Limits() : ScenarioTest("limits") {}
};

bool RowReady(const PopupView& view, int) { return view.Find(2) && FocusOn(view, 2); }

// A name of `length` characters in the medium's root that is not there.
std::string LongName(const Medium& m, size_t length) {
    const std::string root = m.Root();
    return root + std::string(length - root.size() - 4, 'a') + ".htm";
}

// A missing target of 1,100 characters crashed inside the shell's start and
// left the popup hanging; 5,000 overflowed the stack and the program ended
// with 0 as if all had gone well. Both are refused before the shell is
// asked: the failure is told with the button row and Exit gives -1, the
// code of a start the shell never answered.
TEST_F(Limits, ATargetLongerThanTheShellTakesIsRefusedAndTold) {
    GalleryEntry& g = Gallery("40-long-target", "A target of 1,100 characters: refused and told");
    Medium m("longtarget", 'N');
    Author(m, "[Info]\r\nShowTime=5\r\n");
    for (size_t length : {size_t(1100), size_t(5000)}) {
        const std::string target = LongName(m, length);
        Program run;
        ASSERT_TRUE(run.Start(m.Root() + "corvane.exe " + target, m.Root()));
        const PopupView view = WaitForView(run.Pid(), RowReady, 0);
        ASSERT_NE(view.Find(2), nullptr) << length << ": no Exit button";
        ASSERT_NE(view.Find(6), nullptr);
        const std::string& status = view.Find(6)->caption;
        EXPECT_EQ(status.rfind("Could not start " + target + " (", 0), 0u) << status.substr(0, 80);
        EXPECT_EQ(status.back(), ')');
        // The popup stays on the work area however long the text.
        EXPECT_GE(view.rect.top, view.work.top);
        EXPECT_LE(view.rect.bottom, view.work.bottom);
        if (length == 1100) g.Shot("The refused target with the Exit button");
        ASSERT_TRUE(Click(run.Pid(), 2));
        ASSERT_TRUE(run.WaitExit(5000)) << length << ": Exit did not close the popup";
        EXPECT_EQ(run.ExitCode(), 0xFFFFFFFFu) << length;
    }
    EXPECT_TRUE(Spied(1, 500).empty()) << "something was started";
}

// What Windows' registry editor or an administrator's script leaves: a
// string "11" takes 3 bytes in its ANSI form, as earlier versions read it,
// and so is a choice not to show the popup; "1111" takes 5 and never was.
// A UTF-16 settings file's id with a character outside the ANSI code page
// reached earlier versions in its ANSI form: a choice stored under that name
// is found too. A run that honours a choice ends at once with 0.
TEST_F(Limits, ChoicesStoredAsStringsOrUnderAnEarlierNameAreHonoured) {
    ASSERT_EQ(GetACP(), 1252u) << "the case is written for the Western code page";
    Medium m("earlierchoices", 'P');
    Author(m, "");
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\QRN\\CorvaneCDs", 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string id = Format("cv-limits-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    ASSERT_TRUE(m.Put("Corva.INF", "[Info]\r\nShowTime=5\r\nDoNotRepeatId=" + id + "\r\n"));
    auto storeString = [&](const wchar_t* text) {
        RegSetValueExW(key, WideOf(id).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                       static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t)));
    };

    storeString(L"11");
    Program honoured;
    ASSERT_TRUE(honoured.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    ASSERT_TRUE(honoured.WaitExit(5000)) << "the string \"11\" was not taken as the choice";
    EXPECT_EQ(honoured.ExitCode(), 0u);
    DWORD type = 0, value = 0;
    EXPECT_TRUE(ReadMemory(id, &type, &value) && value == 1) << "the choice is kept";

    storeString(L"1111");
    Program shown;
    ASSERT_TRUE(shown.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    EXPECT_TRUE(WaitForPopup(shown.Pid(), 5000).visible) << "\"1111\" never counted as a choice";
    EXPECT_EQ(Spied(1).size(), 1u) << "readme.htm";
    ASSERT_TRUE(CloseRequest(shown.Pid()));
    ASSERT_TRUE(shown.WaitExit(5000));
    DeleteMemory(id);

    // U+03A9 is not in code page 1252: an earlier version got the name the
    // system's conversion made of it (its look-alike, or "?").
    const std::string unicodeId = id + "-\xCE\xA9";
    const std::wstring wideId = WideOf(unicodeId);
    char ansi[64] = "";
    WideCharToMultiByte(CP_ACP, 0, wideId.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    const std::string earlierName = ansi;
    ASSERT_NE(earlierName, unicodeId);
    const DWORD one = 1;
    ASSERT_EQ(RegSetValueExA(key, earlierName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one),
              ERROR_SUCCESS);
    std::string utf16 = "\xFF\xFE";
    for (wchar_t c : WideOf("[Info]\r\nShowTime=5\r\nDoNotRepeatId=" + unicodeId + "\r\n"))
        utf16 += std::string{static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
    ASSERT_TRUE(m.Put("Corva.INF", utf16));
    Program earlier;
    ASSERT_TRUE(earlier.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    ASSERT_TRUE(earlier.WaitExit(5000)) << "the choice under the earlier name was not found";
    EXPECT_EQ(earlier.ExitCode(), 0u);
    EXPECT_TRUE(ReadMemory(unicodeId, &type, &value) && type == REG_DWORD && value == 1) << "kept under the Unicode name";
    DeleteMemory(unicodeId);
    RegDeleteValueA(key, earlierName.c_str());
    RegCloseKey(key);
}

}  // namespace
