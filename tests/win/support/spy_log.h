// Test helpers: the spy program's log, temporary folders, and file classes
// registered under HKEY_CLASSES_ROOT.
//
// The spy (tests/tools/spy.cpp, built as spy.exe beside the test programs)
// appends one line per start to the file named by CORVANE_SPY_LOG:
//   exe name TAB command line TAB current directory TAB show command TAB ms CR LF
// Environment the spy reads: CORVANE_SPY_LOG (log path), CORVANE_SPY_HOLD
// (stay alive until that file is deleted, at most 60 s), CORVANE_SPY_EXIT
// (exit code). A started program inherits the test's environment, so setting
// these in the test before the start is enough.
//
// Typical use:
//   std::string dir = MakeTempFolder("verb");            // "C:\...\cv-verb-1a2b\"
//   std::string log = UseSpyLog(dir + "spy.log");        // sets CORVANE_SPY_LOG
//   RegisterFileClass(".cvt1", "CvT1File", "Cv Test", "open",
//                     "\"" + TestToolPath("spy.exe") + "\" \"%1\"");
//   ... start something ...
//   std::vector<SpyRecord> r = WaitForSpyRecords(log, 1);
//   EXPECT_EQ(r.size(), 1u);
//   UnregisterFileClass(".cvt1", "CvT1File");
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

struct SpyRecord {
    std::string exeName;           // file name of the started copy, e.g. "spy.exe"
    std::string commandLine;       // GetCommandLineA() exactly
    std::string currentDirectory;  // as GetCurrentDirectoryW gave it, in UTF-8 (no trailing "\" except a root)
    int showCommand = -1;          // STARTUPINFO wShowWindow, -1 when not given
    uint64_t timeMs = 0;           // GetSystemTimeAsFileTime in milliseconds
};

// Folder of the running test program, with a trailing backslash; the helper
// programs of tests/tools are built there.
std::string TestBinFolder();
// TestBinFolder() + name, e.g. TestToolPath("spy.exe").
std::string TestToolPath(const char* name);

// Creates a new, empty, uniquely named folder under the temp folder and
// returns its full path with a trailing backslash ("" on failure). The name
// holds `tag`, the process id and a counter.
std::string MakeTempFolder(const char* tag);
// Deletes a folder and everything in it (best effort).
void RemoveFolderTree(const std::string& folder);
// Creates (or truncates) a file with the given content; true on success.
bool WriteTextFile(const std::string& path, const std::string& content);
// The whole file, shared with its writers; false when it cannot be opened.
bool ReadWholeFile(const std::string& path, std::string* content);

// Points CORVANE_SPY_LOG at `logPath` (deleting an old file there) and
// returns `logPath`.
std::string UseSpyLog(const std::string& logPath);
// Parses every complete line of the log; a missing log gives no records.
std::vector<SpyRecord> ReadSpyLog(const std::string& logPath);
// Polls the log (every 20 ms, up to `timeoutMs`) until it holds at least
// `count` records, and returns what it holds then (possibly fewer).
std::vector<SpyRecord> WaitForSpyRecords(const std::string& logPath, size_t count, DWORD timeoutMs = 5000);

// Default value of HKEY_CLASSES_ROOT\<keyPath> (creating the key); true on success.
bool SetClassesRootDefault(const std::string& keyPath, const std::string& value);
// Deletes HKEY_CLASSES_ROOT\<keyPath> with all its subkeys (best effort).
void DeleteClassesRootTree(const std::string& keyPath);
// Registers a file class: <extension> -> <className>, the class's default value
// = <typeName>, <className>\shell\<verb>\command = <command>. `extension` may be
// empty to register the class alone. True when every value was written.
// Keep class names short (say under 40 characters): Wine's SHGetFileInfoA
// gives "<class> file" instead of the type name for long ones.
bool RegisterFileClass(const std::string& extension, const std::string& className, const std::string& typeName,
                       const std::string& verb, const std::string& command);
// Removes what RegisterFileClass wrote (the extension key and the class tree).
void UnregisterFileClass(const std::string& extension, const std::string& className);

// Texts outside ASCII, independent of the PC's ANSI code page: a word with
// letters beyond ASCII that the ANSI code page holds exactly ("café" on a
// Western PC, a Cyrillic or Greek word on others); empty when none fits, and
// the caller skips then.
std::wstring AccentedWord();
std::string Utf8Of(const std::wstring& text);
std::wstring WideOf(const std::string& utf8);
std::string AnsiOf(const std::wstring& text);  // the ANSI code page's bytes
