// Time for every person: the popup does not close under a user who is still
// reading or acting. Driven by what a user does (the pointer moved by real
// input, keys typed), observed from outside like the other scenarios. That a
// popup nobody touches closes on time is the typical run's check.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "accept_support.h"
#include "scenario_fixture.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

class Time : public ScenarioTest {
protected:
    Time() : ScenarioTest("time") {}
    // Where no popup of these scenarios stands: the pointer is "away" there.
    static void PointerAway() { MovePointer(1000, 740); }
};

void SleepUntil(const Program& run, DWORD ms) {
    if (run.ElapsedMs() < ms) Sleep(ms - run.ElapsedMs());
}

// ShowTime is 5 s. The pointer comes to rest on the popup, which has grown
// its button row (the box) and stays on top (ShowOptions=1): 12 s later it is
// still there; once the pointer leaves, it closes after the time that was
// left, at least 5 s.
TEST_F(Time, APointerRestingOnThePopupKeepsItOpenAndItClosesSoonAfterItLeaves) {
    GalleryEntry& g = Gallery("60-time-pointer", "The pointer rests on the popup: its time does not run out");
    Medium m("timepointer", 'T');
    const std::string id = Format("cv-time-%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    Author(m, "[Info]\r\nTitle=Take your time\r\nShowTime=5\r\nShowOptions=1\r\nDoNotRepeatId=" + id + "\r\n");
    PointerAway();
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    PopupView view = WaitForView(run.Pid(), [](const PopupView& v, int) { return v.visible && v.Find(4); }, 0);
    ASSERT_TRUE(view.visible && view.Find(4)) << "no popup with its button row";
    ASSERT_TRUE(MovePointer((view.rect.left + view.rect.right) / 2, view.rect.top + 20));
    g.Shot("The pointer on the popup's information line");

    SleepUntil(run, 12000);
    ASSERT_TRUE(run.Running()) << "closed under the pointer after " << run.ElapsedMs() << " ms";
    EXPECT_TRUE(Look(run.Pid()).visible);

    PointerAway();
    const DWORD left = run.ElapsedMs();
    ASSERT_TRUE(run.WaitExit(10000)) << "still open 10 s after the pointer left";
    const DWORD after = run.ElapsedMs() - left;
    EXPECT_GE(after, 4000u) << "the time left after the user is at least 5 s";
    EXPECT_LE(after, 8000u);
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_EQ(Spied(1).size(), 1u) << "readme.htm was opened";
    g.Note(Format("open 12 s under the pointer; closed %lu ms after it left", after));
    DeleteMemory(id);
}

// The time is only the user's when the popup itself is under the pointer:
// a pointer that lay where the popup appeared and was never moved holds
// nothing (the popup closes on time), nor does one moved over the document
// that the start opened over the popup.
TEST_F(Time, APointerThatOnlyLayThereOrRestsOnADocumentOverThePopupHoldsNothing) {
    Medium m("timecover", 'T');
    Author(m, "[Info]\r\nShowTime=5\r\n");
    ASSERT_TRUE(MovePointer(60, 50));  // where the popup will stand, at the top left
    Program untouched;
    ASSERT_TRUE(untouched.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    const PopupView view = WaitForPopup(untouched.Pid(), 5000);
    ASSERT_TRUE(view.visible);
    ASSERT_TRUE(view.rect.left < 60 && view.rect.right > 60 && view.rect.top < 50 && view.rect.bottom > 50);
    ASSERT_TRUE(untouched.WaitExit(8000)) << "held by a pointer that never moved";
    EXPECT_GE(untouched.ElapsedMs(), 4500u);

    // The document opens in a window over the whole screen; the user moves
    // the pointer in it, over where the popup stands below.
    const std::string hold = work_ + "hold";
    ASSERT_TRUE(WriteTextFile(hold, "x"));
    SetEnvironmentVariableA("CORVANE_SPY_HOLD", hold.c_str());
    SetEnvironmentVariableA("CORVANE_SPY_COVER", "1");
    Program covered;
    ASSERT_TRUE(covered.Start(m.Root() + "corvane.exe readme.htm", m.Root()));
    ASSERT_EQ(Spied(1).size(), 1u) << "the document did not open";
    Sleep(500);
    ASSERT_TRUE(MovePointer(80, 60));
    ASSERT_TRUE(covered.WaitExit(8000)) << "held by a pointer on the document over it";
    EXPECT_EQ(covered.ExitCode(), 0u);
    SetEnvironmentVariableA("CORVANE_SPY_COVER", nullptr);
    DeleteFileA(hold.c_str());
}

// A keyboard user walks the menu with Tab every two seconds: the popup keeps
// the focus after a key was used, so ShowTime (5 s) does not run out; Escape
// leaves as Exit does.
TEST_F(Time, AKeyboardUserTabbingThroughAMenuKeepsItOpen) {
    Medium m("timekeys", 'T');
    Author(m, "[Info]\r\nShowTime=5\r\nFilename=readme.htm\r\nFilenameMenu=Read me\r\nFilename1=readme.htm\r\n"
              "Filename1Menu=Read it again\r\n");
    PointerAway();
    Program run;
    ASSERT_TRUE(run.Start(m.Root() + "corvane.exe", m.Root()));
    ASSERT_TRUE(WaitForPopup(run.Pid(), 5000).visible);
    for (int i = 0; i < 6; ++i) {
        ASSERT_TRUE(Keys(run.Pid(), "tab"));
        Sleep(2000);
        ASSERT_TRUE(run.Running()) << "closed under a keyboard user after " << run.ElapsedMs() << " ms";
    }
    EXPECT_GE(run.ElapsedMs(), 12000u);
    ASSERT_TRUE(Keys(run.Pid(), "escape"));
    ASSERT_TRUE(run.WaitExit(5000));
    EXPECT_EQ(run.ExitCode(), 0u);
    EXPECT_TRUE(Spied(1, 500).empty()) << "nothing was pressed";
}

}  // namespace
