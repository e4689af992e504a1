#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "app/target_select.h"
#include "run/run_state.h"
#include "popup_harness.h"

namespace {

std::string CurrentFolder() {
    char dir[MAX_PATH];
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    std::string s(dir, n);
    if (s.empty() || s.back() != '\\') s += '\\';
    return s;
}

// Each test works in two fresh folders: the "program folder" holding a
// document of a registered test class, and a separate start folder.
class SettleTargetTest : public ::testing::Test {
protected:
    std::string programDir;
    std::string startDir;
    std::string ext;
    std::string cls;

    void SetUp() override {
        // Unique per test so that parallel test processes do not share a class.
        ext = std::string(".cvsel") + std::to_string(GetCurrentProcessId());
        cls = std::string("CvSelectTest") + std::to_string(GetCurrentProcessId());
        ASSERT_TRUE(RegisterFileClass(ext, cls, "Corvane Select Sample", "open", "notepad.exe \"%1\""));
        programDir = MakeTempFolder("prog");
        startDir = MakeTempFolder("start");
        ASSERT_FALSE(programDir.empty());
        ASSERT_FALSE(startDir.empty());
        ASSERT_TRUE(WriteTextFile(programDir + "doc" + ext, "x"));
        ASSERT_TRUE(WriteTextFile(programDir + "My Doc" + ext, "x"));
        ASSERT_TRUE(SetCurrentDirectoryA(startDir.c_str()));
        SetStartupPaths((programDir + "corvane.exe").c_str());
    }
    void TearDown() override {
        SetCurrentDirectoryA(TestBinFolder().c_str());
        UnregisterFileClass(ext, cls);
        RemoveFolderTree(programDir);
        RemoveFolderTree(startDir);
    }
    // The text the popup shows first.
    std::string Settle(const std::string& commandLine) {
        const char* text = harness::Settle(commandLine);
        EXPECT_NE(text, nullptr);
        return text ? text : "";
    }
};

TEST_F(SettleTargetTest, StatusTextHasTheShellTypeNameAndDirectoryMoves) {
    EXPECT_EQ(Settle("doc" + ext), "Starting doc" + ext + " (Corvane Select Sample)... ");
    EXPECT_EQ(CurrentFolder(), programDir);
    EXPECT_TRUE(run.targetGiven);
    EXPECT_STREQ(run.statusText, ("Starting doc" + ext + " (Corvane Select Sample)... ").c_str());
}

TEST_F(SettleTargetTest, QuotedTargetWithNomsg) {
    EXPECT_EQ(Settle("\"My Doc" + ext + "\" -nomsg"), "Starting My Doc" + ext + " (Corvane Select Sample)... ");
    EXPECT_STREQ(run.target, ("My Doc" + ext).c_str());
    EXPECT_TRUE(run.nomsgOption);
}

TEST_F(SettleTargetTest, MissingFileLeavesOutTheTypePart) {
    EXPECT_EQ(Settle("missing" + ext), "Starting missing" + ext + "... ");
}

TEST_F(SettleTargetTest, TypeIsLookedUpInTheProgramFolder) {
    // The document exists only in the program folder; the start folder does
    // not have it, so the type name proves the lookup ran after the move.
    harness::UseSettings("Filename=doc" + ext + "\n");
    EXPECT_EQ(Settle(""), "Starting doc" + ext + " (Corvane Select Sample)... ");
    EXPECT_STREQ(run.target, ("doc" + ext).c_str());
}

TEST_F(SettleTargetTest, KeepDirectoryOptionResolvesAgainstTheStartFolder) {
    harness::UseSettings("Filename=doc" + ext + "\n");
    // The document is not in the start folder: no type part.
    EXPECT_EQ(Settle("-c"), "Starting doc" + ext + "... ");
    EXPECT_EQ(CurrentFolder(), startDir);
}

TEST_F(SettleTargetTest, UnknownProgramFolderKeepsTheDirectory) {
    SetStartupPaths(nullptr);
    Settle("doc" + ext);
    EXPECT_EQ(CurrentFolder(), startDir);
}

TEST_F(SettleTargetTest, FailedMoveIsIgnored) {
    SetStartupPaths((programDir + "gone\\corvane.exe").c_str());
    EXPECT_EQ(Settle("doc" + ext + " Hello"), "Hello");
    EXPECT_EQ(CurrentFolder(), startDir);
}

TEST_F(SettleTargetTest, MessageIsShownInsteadOfStatusText) {
    harness::UseSettings("Message=Welcome to the disc\n");
    EXPECT_EQ(Settle("doc" + ext), "Welcome to the disc");
    EXPECT_EQ(CurrentFolder(), programDir);
}

TEST_F(SettleTargetTest, NoParameterGiven) {
    EXPECT_EQ(Settle(""), "No parameter given");
    EXPECT_EQ(run.target, nullptr);
    EXPECT_FALSE(run.targetGiven);
}

TEST_F(SettleTargetTest, EmptyTargetIsStillATarget) {
    EXPECT_EQ(Settle("\"\""), "Starting ... ");
    ASSERT_NE(run.target, nullptr);
    EXPECT_STREQ(run.target, "");
}

// Anything but a plain file is named as the shell names the object itself:
// a folder, a drive root, a shell namespace name that has no attributes at
// all (the quick answer from attributes would give it no type name).
TEST_F(SettleTargetTest, FoldersRootsAndNamespaceNamesAreNamedAsThemselves) {
    const std::string computer = "::{20D04FE0-3AEA-1069-A2D8-08002B30309D}";
    ASSERT_EQ(GetFileAttributesA(computer.c_str()), INVALID_FILE_ATTRIBUTES);
    for (const std::string& target : {programDir.substr(0, 3), programDir, computer}) {
        SHFILEINFOA itself = {};
        ASSERT_TRUE(SHGetFileInfoA(target.c_str(), 0, &itself, sizeof itself, SHGFI_TYPENAME)) << target;
        ASSERT_NE(itself.szTypeName[0], '\0') << target;
        EXPECT_EQ(Settle("\"" + target + "\""), "Starting " + target + " (" + itself.szTypeName + ")... ");
    }
}

// The command line arrives as UTF-8 (the entry converts the wide line) and
// the shell names the type in UTF-16: the status text holds both in any
// script.
TEST_F(SettleTargetTest, StatusTextJoinsNamesInAnyScript) {
    const std::wstring word = L"\x0395\x03BB\x03BB\x03B7\x03BD\x03B9\x03BA\x03AC";  // Ελληνικά
    const std::wstring typeName = word + L" Sample";
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CLASSES_ROOT, cls.c_str(), 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(typeName.c_str()),
                   static_cast<DWORD>((typeName.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
    const std::wstring file = std::wstring(programDir.begin(), programDir.end()) + word + std::wstring(ext.begin(), ext.end());
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    CloseHandle(h);
    EXPECT_EQ(Settle(Utf8Of(word) + ext + " -max"),
              "Starting " + Utf8Of(word) + ext + " (" + Utf8Of(typeName) + ")... ");
    EXPECT_TRUE(run.maxOption);
    DeleteFileW(file.c_str());
}

}  // namespace
