// The example medium as a disc: scripts/make-iso built its image, xorriso
// read the image back (prepare_disc_image.sh, a ctest fixture), and that
// content, mapped to drive M: as a CD, runs the typical scenario with the
// command line its own autorun.inf gives.
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "accept_support.h"
#include "support/spy_log.h"

using namespace accept;

namespace {

std::string Lowered(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// <build>\acceptance\disc\content, beside the bin folder of this program.
std::string ContentFolder() { return TestBinFolder() + "..\\acceptance\\disc\\content\\"; }

// The Unix path behind a Z: path, for the mount manager.
std::string UnixPath(const std::string& windowsPath) {
    char full[MAX_PATH];
    DWORD n = GetFullPathNameA(windowsPath.c_str(), sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full || (full[0] != 'Z' && full[0] != 'z') || full[1] != ':') return std::string();
    std::string unix(full + 2);
    for (char& c : unix) c = c == '\\' ? '/' : c;
    while (unix.size() > 1 && unix.back() == '/') unix.pop_back();
    return unix;
}

}  // namespace

TEST(DiscImage, TheImagesContentStartsFromItsAutorunEntryAndRunsTheTypicalScenario) {
    UseGalleryDesktop();
    RegisterPcClasses();
    DeleteMemory("CorvaneExampleDisc");  // the example's do-not-show-again memory, left by an earlier run
    const std::string work = WorkFolder("disc");
    ASSERT_FALSE(work.empty());
    const std::string log = UseSpyLog(work + "spy.log");

    // The drive holds exactly what the image held.
    const std::string unix = UnixPath(ContentFolder());
    ASSERT_FALSE(unix.empty()) << ContentFolder();
    ASSERT_NE(GetFileAttributesA((ContentFolder() + "corvane.exe").c_str()), INVALID_FILE_ATTRIBUTES)
        << "no image content: the fixture acceptance.disc_image.prepare did not run";
    RemoveDrive('M');
    ASSERT_TRUE(DefineDrive('M', unix)) << unix;
    struct Unmap {
        ~Unmap() { RemoveDrive('M'); }
    } unmap;

    // What Windows would run: the root and the image's open= entry.
    char open[512] = "";
    GetPrivateProfileStringA("autorun", "open", "", open, sizeof open, "M:\\autorun.inf");
    char label[64] = "";
    GetPrivateProfileStringA("autorun", "label", "", label, sizeof label, "M:\\autorun.inf");
    EXPECT_STREQ(open, "corvane.exe readme.htm");
    EXPECT_STREQ(label, "Corvane Example Disc");

    GalleryEntry g("disc-image", "The example medium's disc image: its content on drive M:");
    Program run;
    ASSERT_TRUE(run.Start(std::string("M:\\") + open, "M:\\"));
    // The button row comes with the start, a moment after the popup shows.
    PopupView view = WaitForView(
        run.Pid(), [](const PopupView& v, int id) { return v.visible && v.Find(id) != nullptr; }, 4, 5000);
    ASSERT_TRUE(view.present && view.visible) << "no visible popup";
    g.Shot("The popup of the example disc, started from the image's autorun entry");
    EXPECT_EQ(view.title, "Corvane Example Disc");
    EXPECT_EQ(view.rect.left, view.work.left);
    EXPECT_EQ(view.rect.top, view.work.top);
    // The example's DoNotRepeatId gives the row with the unticked check box.
    const Control* box = view.Find(4);
    ASSERT_NE(box, nullptr);
    EXPECT_FALSE(box->checked);

    std::vector<SpyRecord> r = WaitForSpyRecords(log, 1);
    ASSERT_EQ(r.size(), 1u) << "readme.htm was not opened through its association";
    EXPECT_EQ(r[0].exeName, "viewer.exe");
    EXPECT_NE(Lowered(r[0].commandLine).find("m:\\readme.htm"), std::string::npos) << r[0].commandLine;

    // ShowTime=8: open at 6 s, closed by itself soon after 8 s, exit code 0.
    Sleep(6000 > run.ElapsedMs() ? 6000 - run.ElapsedMs() : 0);
    EXPECT_TRUE(run.Running()) << "closed before ShowTime";
    ASSERT_TRUE(run.WaitExit(8000)) << "still open " << run.ElapsedMs() << " ms after the start";
    EXPECT_GE(run.ElapsedMs(), 8000u);
    EXPECT_EQ(run.ExitCode(), 0u);
    g.Note(Format("M:\\%s opened %s and closed after %lu ms", open, r[0].commandLine.c_str(), run.ElapsedMs()));
    g.Finish(!::testing::Test::HasFailure(), "");
    RemoveFolderTree(work);
}
