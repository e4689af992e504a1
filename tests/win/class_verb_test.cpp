#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "run/run_state.h"
#include "launch/launch.h"
#include "base/wide_text.h"
#include "support/spy_log.h"

namespace {

std::string WithoutTrailingSlash(std::string s) {
    if (s.size() > 3 && s.back() == '\\') s.pop_back();
    return s;
}

std::string Lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

// A fresh program folder with its own spy log and a test class whose commands
// start the spy. Class names carry the process id so parallel runs do not meet.
class ClassVerbTest : public ::testing::Test {
protected:
    std::string folder;
    std::string log;
    std::string spy;
    std::string cls;
    std::vector<std::string> classes;
    StartOutcome outcome;

    void SetUp() override {
        folder = MakeTempFolder("verb");
        ASSERT_FALSE(folder.empty());
        log = UseSpyLog(folder + "spy.log");
        spy = TestToolPath("spy.exe");
        ASSERT_NE(GetFileAttributesA(spy.c_str()), INVALID_FILE_ATTRIBUTES) << spy;
        SetStartupPaths((folder + "corvane.exe").c_str());  // the program runs from the folder
        cls = NewClass("Main");
    }
    void TearDown() override {
        for (const std::string& c : classes) DeleteClassesRootTree(c);
        SetCurrentDirectoryA(TestBinFolder().c_str());
        RemoveFolderTree(folder);
    }
    std::string NewClass(const char* tag) {
        std::string c = std::string("CvVerbTest") + tag + std::to_string(GetCurrentProcessId());
        classes.push_back(c);
        return c;
    }
    void SetCommand(const std::string& c, const std::string& verb, const std::string& command) {
        ASSERT_TRUE(SetClassesRootDefault(c + "\\Shell\\" + verb + "\\command", command));
    }
    INT_PTR Open(const std::string& text) {
        outcome = OpenClassVerb(nullptr, text.c_str());
        // The cases read the cause as the popup does; a text that is no verb
        // target leaves it alone.
        if (outcome.kind != StartOutcome::NotTried) SetLastError(outcome.error);
        return outcome.code;
    }
    SpyRecord OneRecord() {
        std::vector<SpyRecord> records = WaitForSpyRecords(log, 1);
        EXPECT_EQ(records.size(), 1u);
        return records.empty() ? SpyRecord() : records[0];
    }
    std::string Quoted(const std::string& s) { return "\"" + s + "\""; }
};

TEST_F(ClassVerbTest, NotAVerbTarget) {
    SetLastError(12345);
    EXPECT_EQ(Open("readme.txt"), 0);
    EXPECT_EQ(outcome.kind, StartOutcome::NotTried);
    EXPECT_EQ(GetLastError(), 12345u);
}

TEST_F(ClassVerbTest, ClassAndVerbWithoutOperandUsesTheProgramFolder) {
    SetCommand(cls, "print", Quoted(spy) + " /p %1");
    INT_PTR rc = Open("~" + cls + "~print");
    EXPECT_GT(rc, 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.exeName, "spy.exe");
    EXPECT_EQ(r.commandLine, Quoted(spy) + " /p " + folder);
    EXPECT_EQ(Lower(r.currentDirectory), Lower(WithoutTrailingSlash(folder)));
    EXPECT_EQ(r.showCommand, SW_SHOWNORMAL);
}

TEST_F(ClassVerbTest, ClassOnlyUsesOpenAndFollowsCurVer) {
    std::string current = NewClass("Cur");
    SetCommand(cls, "open", Quoted(spy) + " old %1");
    ASSERT_TRUE(SetClassesRootDefault(cls + "\\CurVer", current));
    SetCommand(current, "open", Quoted(spy) + " new %1");
    SetCommand(current, "print", Quoted(spy) + " print %1");
    EXPECT_GT(Open("~" + cls), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.commandLine, Quoted(spy) + " new " + folder);
}

TEST_F(ClassVerbTest, CurVerIsFollowedOnceOnly) {
    std::string second = NewClass("Second");
    std::string third = NewClass("Third");
    ASSERT_TRUE(SetClassesRootDefault(cls + "\\CurVer", second));
    ASSERT_TRUE(SetClassesRootDefault(second + "\\CurVer", third));
    SetCommand(second, "open", Quoted(spy) + " second");
    SetCommand(third, "open", Quoted(spy) + " third");
    EXPECT_GT(Open("~" + cls), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " second");
}

TEST_F(ClassVerbTest, ClassWithoutCurVerKeepsItsOwnCommand) {
    SetCommand(cls, "open", Quoted(spy) + " own");
    EXPECT_GT(Open("~" + cls), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " own");
}

TEST_F(ClassVerbTest, ExtensionAsClass) {
    // A file extension with its dot names a class too (its own key).
    std::string ext = "." + NewClass("Ext");
    classes.push_back(ext);
    SetCommand(ext, "open", Quoted(spy) + " ext %1");
    EXPECT_GT(Open("~" + ext + "~open~x.txt"), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " ext x.txt");
}

TEST_F(ClassVerbTest, QuotedProgramWithBlanksAndQuotedOperand) {
    std::string spyFolder = folder + "Spy Folder\\";
    ASSERT_TRUE(CreateDirectoryA(spyFolder.c_str(), nullptr));
    std::string copy = spyFolder + "spy copy.exe";
    ASSERT_TRUE(CopyFileA(spy.c_str(), copy.c_str(), FALSE));
    std::string operandFolder = folder + "Docs Here";
    ASSERT_TRUE(CreateDirectoryA(operandFolder.c_str(), nullptr));

    SetCommand(cls, "open", Quoted(copy) + " \"%1\"");
    EXPECT_GT(Open("~" + cls + "~open~" + operandFolder), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.exeName, "spy copy.exe");
    EXPECT_EQ(r.commandLine, Quoted(copy) + " " + Quoted(operandFolder));
    EXPECT_EQ(Lower(r.currentDirectory), Lower(operandFolder));
}

TEST_F(ClassVerbTest, DocumentOperandWorksInItsOwnFolder) {
    std::string docs = folder + "docs";
    ASSERT_TRUE(CreateDirectoryA(docs.c_str(), nullptr));
    std::string file = docs + "\\report.txt";
    ASSERT_TRUE(WriteTextFile(file, "x"));
    SetCommand(cls, "print", Quoted(spy) + " /p \"%1\"");
    EXPECT_GT(Open("~" + cls + "~print~" + file), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.commandLine, Quoted(spy) + " /p " + Quoted(file));
    EXPECT_EQ(Lower(r.currentDirectory), Lower(docs));
}

TEST_F(ClassVerbTest, UnquotedProgram) {
    ASSERT_EQ(spy.find(' '), std::string::npos) << "the build folder must have no blanks for this case";
    SetCommand(cls, "open", spy + " -x %1");
    EXPECT_GT(Open("~" + cls + "~open~" + folder), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.exeName, "spy.exe");
    EXPECT_NE(r.commandLine.find(" -x " + folder), std::string::npos) << r.commandLine;
}

TEST_F(ClassVerbTest, OnlyAQuotedProgramFailsWithInvalidParameter) {
    SetCommand(cls, "open", Quoted(spy));
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls + "~open~" + folder), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    EXPECT_TRUE(WaitForSpyRecords(log, 1, 300).empty());
}

TEST_F(ClassVerbTest, QuoteNotClosedFailsWithInvalidParameter) {
    SetCommand(cls, "open", "\"" + spy + " %1");
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(ClassVerbTest, MissingClassFailsWithNoAssociation) {
    SetLastError(0);
    EXPECT_EQ(Open("~CvVerbTestNoSuchClass" + std::to_string(GetCurrentProcessId()) + "~print~x.txt"), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
}

TEST_F(ClassVerbTest, MissingVerbFailsWithNoAssociation) {
    SetCommand(cls, "open", Quoted(spy) + " %1");
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls + "~print"), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls + "~"), -2);  // an empty verb is not "open"
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
    // A class's default value is its display name, not a class to look in,
    // even when a class of that name exists.
    const std::string other = NewClass("Display");
    SetCommand(other, "print", Quoted(spy) + " other");
    ASSERT_TRUE(SetClassesRootDefault(cls, other));
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls + "~print"), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
}

TEST_F(ClassVerbTest, CommandKeyWithoutValueFailsWithNoAssociation) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (cls + "\\Shell\\open\\command").c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
}

TEST_F(ClassVerbTest, LongPlaceholderGivesTheFullLongPath) {
    std::string sub = folder + "Long Folder Name";
    ASSERT_TRUE(CreateDirectoryA(sub.c_str(), nullptr));
    std::string file = sub + "\\A Rather Long Document Name.txt";
    ASSERT_TRUE(WriteTextFile(file, "x"));
    char shortPath[MAX_PATH];
    DWORD n = GetShortPathNameA(file.c_str(), shortPath, sizeof shortPath);
    ASSERT_GT(n, 0u);
    ASSERT_LT(n, sizeof shortPath);

    // Relative operand in its short form, from the folder it lies in.
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    std::string shortText(shortPath);
    std::string relativeShort = shortText.substr(shortText.find_last_of('\\', shortText.find_last_of('\\') - 1) + 1);
    SetCommand(cls, "open", Quoted(spy) + " \"%L\" [%1]");
    EXPECT_GT(Open("~" + cls + "~open~" + relativeShort), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(Lower(r.commandLine), Lower(Quoted(spy) + " " + Quoted(file) + " [" + relativeShort + "]"));
}

TEST_F(ClassVerbTest, SystemRootInAnyLetterCase) {
    char windows[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    SetCommand(cls, "open", Quoted(spy) + " %systemroot%\\a %SYSTEMROOT%\\b %SystemRoot%");
    EXPECT_GT(Open("~" + cls), 32);
    std::string w(windows);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " " + w + "\\a " + w + "\\b " + w);
}

TEST_F(ClassVerbTest, ExpandableStringCommandIsRead) {
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (cls + "\\Shell\\open\\command").c_str(), 0, nullptr, 0, KEY_WRITE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    std::string command = Quoted(spy) + " expand %1";
    RegSetValueExA(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    EXPECT_GT(Open("~" + cls + "~open~y"), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " expand y");
}

TEST_F(ClassVerbTest, CommandThatWouldOutgrowItsBufferIsRefused) {
    // 20 operands of 60 characters make well over 1024 characters.
    std::string command = Quoted(spy);
    for (int i = 0; i < 20; ++i) command += " %1";
    SetCommand(cls, "open", command);
    std::string operand(60, 'o');
    SetLastError(0);
    EXPECT_EQ(Open("~" + cls + "~open~" + operand), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_TRUE(WaitForSpyRecords(log, 1, 300).empty());
}

TEST_F(ClassVerbTest, ProgramThatDoesNotExistGivesTheShellCode) {
    SetCommand(cls, "open", Quoted(folder + "absent.exe") + " %1");
    INT_PTR rc = Open("~" + cls);
    EXPECT_GE(rc, 0);
    EXPECT_LE(rc, 32);
}

TEST_F(ClassVerbTest, RegisteredCommandsAsRealPcsHaveThem) {
    // As on a PC: the extension names its class, whose current version holds
    // the verbs in expandable values with %* and further operands.
    std::string ext = "." + NewClass("X");
    classes.push_back(ext);
    std::string current = NewClass("V2");
    ASSERT_TRUE(SetClassesRootDefault(ext, cls));
    ASSERT_TRUE(SetClassesRootDefault(cls + "\\CurVer", current));
    const std::string spyFolder = spy.substr(0, spy.find_last_of('\\') + 1);
    SetEnvironmentVariableA("CvSpyFolder", spyFolder.c_str());
    SetEnvironmentVariableA("CvTag", "tag");
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, (current + "\\Shell\\print\\command").c_str(), 0, nullptr, 0,
                              KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const std::string command = "\"%CvSpyFolder%spy.exe\" /p \"%1\" %*%2[%9] %CvTag% %NoSuchCvVariable%";
    RegSetValueExA(key, nullptr, 0, REG_EXPAND_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                   static_cast<DWORD>(command.size() + 1));
    RegCloseKey(key);
    // The extension's own command, a plain string, wins for its verb and is
    // not expanded.
    SetCommand(ext, "open", Quoted(spy) + " open %1 %CvTag% %*");

    // An operand holding placeholder text is passed as written.
    EXPECT_GT(Open("~" + ext + "~print~a%2b%*c"), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spyFolder + "spy.exe") + " /p \"a%2b%*c\" [] tag %NoSuchCvVariable%");
    UseSpyLog(log);
    EXPECT_GT(Open("~" + ext + "~open~x"), 32);
    EXPECT_EQ(OneRecord().commandLine, Quoted(spy) + " open x %CvTag% ");
    // The named class is followed once only: its own default value names no
    // further class to look in.
    SetLastError(0);
    EXPECT_EQ(Open("~" + ext + "~edit~x"), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_ASSOCIATION));
    // A variable that would outgrow the command line is refused.
    SetEnvironmentVariableA("CvTag", std::string(1100, 't').c_str());
    SetLastError(0);
    EXPECT_EQ(Open("~" + ext + "~print~x"), -2);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    SetEnvironmentVariableA("CvSpyFolder", nullptr);
    SetEnvironmentVariableA("CvTag", nullptr);
}

TEST_F(ClassVerbTest, AnOperandInAnyScriptReachesTheCommandAsWritten) {
    const std::string word = "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC";  // Ελληνικά
    const std::string document = folder + word + ".txt";
    ASSERT_TRUE(WriteTextFile(document, "x"));
    SetCommand(cls, "print", Quoted(spy) + " /p \"%1\" \"%L\"");
    EXPECT_GT(Open("~" + cls + "~print~" + document), 32);
    SpyRecord r = OneRecord();
    EXPECT_EQ(r.commandLine, Quoted(spy) + " /p " + Quoted(document) + " " + Quoted(document));
    // A document operand works in its own folder.
    EXPECT_EQ(Lower(r.currentDirectory), Lower(WithoutTrailingSlash(folder)));
}

// ---------------------------------------------------------------- special parameters

TEST(SpecialParameters, AsWrittenAndFullPath) {
    std::string folder = MakeTempFolder("special");
    ASSERT_FALSE(folder.empty());
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));
    HeapText p = BuildSpecialParameters("/f=%f /F=\"%F\" %f", "docs\\a.pdf");
    ASSERT_NE(p.get(), nullptr);
    EXPECT_EQ(std::string(p), "/f=docs\\a.pdf /F=\"" + folder + "docs\\a.pdf\" docs\\a.pdf");
    SetCurrentDirectoryA(TestBinFolder().c_str());
    RemoveFolderTree(folder);
}

TEST(SpecialParameters, TargetHoldingAPlaceholderIsNotExpandedAgain) {
    HeapText p = BuildSpecialParameters("%f", "C:\\odd%Fname.pdf");
    ASSERT_NE(p.get(), nullptr);
    EXPECT_STREQ(p.get(), "C:\\odd%Fname.pdf");
}

TEST(SpecialParameters, LongResultIsCutWithinTheBuffer) {
    std::string longTarget(700, 'x');
    HeapText p = BuildSpecialParameters("%f %f", longTarget.c_str());
    ASSERT_NE(p.get(), nullptr);
    std::string s(p);
    EXPECT_EQ(s.size(), 1023u);
    EXPECT_EQ(s.substr(0, 701), longTarget + " ");
}

TEST(SpecialParameters, EmptyTargetAndTemplate) {
    HeapText p = BuildSpecialParameters("[%f][%F]", "");
    ASSERT_NE(p.get(), nullptr);
    EXPECT_STREQ(p.get(), "[][]");
    p = BuildSpecialParameters("", "a.pdf");
    ASSERT_NE(p.get(), nullptr);
    EXPECT_STREQ(p.get(), "");
}

}  // namespace
