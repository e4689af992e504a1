// corvane-check: reports every place where the program would not do what a
// medium's Corva.INF seems to ask, and, for a medium folder, whether its
// autorun.inf starts the program as meant. Exit status 0 clean, 1 warnings only,
// 2 errors (or the file could not be checked at all).
//
// Every text inside is UTF-8: the arguments (on Windows taken from the wide
// command line), the paths (opened through the wide file functions there) and
// the report, which a Windows console gets through WriteConsoleW.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

#include "tools/check/autorun_check.h"
#include "tools/check/check_engine.h"
#include "tools/check/check_files.h"
#include "tools/check/text_case.h"
#include "tools/check/text_encoding.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: corvane-check [--explain] [--json] [--codepage N] [--language TAG[,TAG...]] [MEDIUM-FOLDER | "
    "path/to/Corva.INF | path/to/autorun.inf]\n"
    "Checks the settings file of a medium the way the program reads it and, given the medium's\n"
    "folder, its autorun.inf: the program it starts, the document, the icon and the label.\n"
    "Given an autorun.inf, checks that file alone, with its folder as the medium's root.\n"
    "  --explain     also print every key the program reads, its value and whether it is the default\n"
    "  --json        print the report as JSON\n"
    "  --codepage N  the Windows code page ANSI files are written in (default 1252; also\n"
    "                874, 1250, 1251, 1253 to 1258)\n"
    "  --language TAG[,TAG...]\n"
    "                check the settings as a user of these display languages (most preferred\n"
    "                first, as Windows names them: de-AT, pt-BR) sees them: the language\n"
    "                section [Info.<tag>] chosen for them over [Info]\n"
    "Exit status: 0 clean, 1 warnings only, 2 errors.\n";

const size_t kMaxAutorunBytes = 1u << 20;

// UTF-8 to the standard stream: a Windows console gets the characters
// themselves, anything else (a file, a pipe, a Linux terminal) the bytes.
void Print(const std::string& text, bool error = false) {
#ifdef _WIN32
    HANDLE h = GetStdHandle(error ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    if (h != INVALID_HANDLE_VALUE && GetConsoleMode(h, &mode)) {
        int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
        std::wstring wide(n > 0 ? static_cast<size_t>(n) : 0, L'\0');
        if (n > 0) MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &wide[0], n);
        for (size_t at = 0; at < wide.size();) {  // the console takes a bounded amount per call
            DWORD chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 8192)), written = 0;
            if (!WriteConsoleW(h, wide.data() + at, chunk, &written, nullptr) || written == 0) break;
            at += written;
        }
        return;
    }
#endif
    std::FILE* stream = error ? stderr : stdout;
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fflush(stream);
}

struct Options {
    bool explain = false, json = false;
    int codePage = corvcheck::kDefaultCodePage;
    std::vector<std::string> languages;
    std::string target;
};

// "de-AT,en" into its tags; false (told) for one that is no language tag.
bool ParseLanguages(const std::string& list, std::vector<std::string>& tags) {
    tags.clear();
    for (size_t start = 0; start <= list.size();) {
        size_t comma = list.find(',', start);
        if (comma == std::string::npos) comma = list.size();
        const std::string tag = list.substr(start, comma - start);
        if (!corvcheck::IsLanguageTag(tag)) {
            Print("corvane-check: '" + tag +
                      "' is not a language tag as Windows names display languages (de, de-AT, sr-Latn, zh-TW)\n",
                  true);
            return false;
        }
        tags.push_back(tag);
        start = comma + 1;
    }
    return true;
}

// The options and the one medium given; -1 to go on, else the exit status.
int ParseArguments(const std::vector<std::string>& args, Options& options) {
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a == "--explain") {
            options.explain = true;
        } else if (a == "--json") {
            options.json = true;
        } else if (a == "--codepage" || a.compare(0, 11, "--codepage=") == 0) {
            std::string number = a.size() > 10 ? a.substr(11) : (i + 1 < args.size() ? args[++i] : std::string());
            char* end = nullptr;
            long n = std::strtol(number.c_str(), &end, 10);
            std::string known;
            if (number.empty() || *end || !corvcheck::KnownCodePage(static_cast<int>(n), &known)) {
                Print("corvane-check: unknown code page '" + number + "'; known: " + known + "\n", true);
                return 2;
            }
            options.codePage = static_cast<int>(n);
        } else if (a == "--language" || a.compare(0, 11, "--language=") == 0) {
            const std::string list = a.size() > 10 ? a.substr(11) : (i + 1 < args.size() ? args[++i] : std::string());
            if (!ParseLanguages(list, options.languages)) return 2;
        } else if (a == "--help" || a == "-h") {
            Print(kUsage);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            Print("corvane-check: unknown option '" + a + "'\n" + kUsage, true);
            return 2;
        } else if (options.target.empty()) {
            options.target = a;
        } else {
            Print(std::string("corvane-check: more than one medium given\n") + kUsage, true);
            return 2;
        }
    }
    if (options.target.empty()) options.target = ".";
    return -1;
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return fs::is_directory(fs::u8path(path), ec);
}

// The settings file and the program folder beside it, for a medium folder or
// a file named directly; false (told) when a folder has no Corva.INF.
bool LocateSettings(const std::string& target, std::string& folder, std::string& file) {
    if (IsFolder(target)) {
        folder = target;
        std::string name = corvcheck::FindNoCase(folder, "Corva.INF");
        if (name.empty()) {
            Print("corvane-check: " + target +
                      ": no Corva.INF in this folder (name its autorun.inf to check that alone)\n", true);
            return false;
        }
        file = (fs::u8path(folder) / fs::u8path(name)).u8string();
    } else {
        file = target;
        folder = fs::u8path(target).parent_path().u8string();
        if (folder.empty()) folder = ".";
    }
    return true;
}

// The whole file; false (told) when it cannot be read.
bool ReadWholeFile(const std::string& file, std::vector<unsigned char>& bytes, size_t limit) {
    if (corvcheck::ReadFileBytes(file, bytes, limit)) return true;
    Print("corvane-check: " + file + ": cannot read\n", true);
    return false;
}

// The Filename that the settings beside autorun.inf give, or empty.
std::string SettingsFilename(const corvcheck::Report& settings) {
    for (const corvcheck::SettingRow& row : settings.settings)
        if (row.key == "Filename") return row.value;
    return std::string();
}

// The medium's autorun.inf, checked against the Filename the settings give;
// false (told) when it is there but cannot be read.
bool CheckMediumAutorun(const std::string& folder, const corvcheck::FolderMedium& medium,
                        const std::string& filename, int codePage, corvcheck::Report& autorun,
                        std::string& autorunFile) {
    std::string name = corvcheck::FindNoCase(folder, "autorun.inf");
    autorunFile = (fs::u8path(folder) / fs::u8path(name.empty() ? "autorun.inf" : name)).u8string();
    std::vector<unsigned char> inf;
    if (!name.empty() && !ReadWholeFile(autorunFile, inf, kMaxAutorunBytes)) return false;
    autorun = corvcheck::CheckAutorun(name.empty() ? nullptr : reinterpret_cast<const char*>(inf.data()), inf.size(),
                                      &medium, filename, codePage);
    return true;
}

// An autorun.inf named directly: that file alone, its folder the medium's
// root, with the Filename of a Corva.INF beside it.
int CheckAutorunOnly(const Options& options, const std::string& folder, const std::string& file) {
    corvcheck::FolderMedium medium(folder);
    std::string filename;
    std::string settingsName = corvcheck::FindNoCase(folder, "Corva.INF");
    std::vector<unsigned char> bytes;
    if (!settingsName.empty() &&
        corvcheck::ReadFileBytes((fs::u8path(folder) / fs::u8path(settingsName)).u8string(), bytes, ~size_t(0)))
        filename = SettingsFilename(corvcheck::CheckSettings(reinterpret_cast<const char*>(bytes.data()),
                                                             bytes.size(), nullptr, options.codePage,
                                                             options.languages));
    if (!ReadWholeFile(file, bytes, kMaxAutorunBytes)) return 2;
    corvcheck::Report autorun = corvcheck::CheckAutorun(reinterpret_cast<const char*>(bytes.data()), bytes.size(),
                                                        &medium, filename, options.codePage);
    Print(options.json ? corvcheck::FormatJson(autorun, file, false) : corvcheck::FormatText(autorun, file));
    return autorun.ExitStatus();
}

int Main(const std::vector<std::string>& args) {
    Options options;
    const int status = ParseArguments(args, options);
    if (status >= 0) return status;
    const std::string& target = options.target;

    std::string folder, file;
    if (!LocateSettings(target, folder, file)) return 2;
    if (corvcheck::SameNoCase(fs::u8path(file).filename().u8string(), "autorun.inf"))
        return CheckAutorunOnly(options, folder, file);
    std::vector<unsigned char> bytes;
    if (!ReadWholeFile(file, bytes, ~size_t(0))) return 2;

    corvcheck::FolderMedium medium(folder);
    corvcheck::Report report = corvcheck::CheckSettings(reinterpret_cast<const char*>(bytes.data()), bytes.size(),
                                                        &medium, options.codePage, options.languages);

    // A folder is a medium's root: its autorun.inf is checked too.
    corvcheck::Report autorun;
    std::string autorunFile;
    const bool withAutorun = IsFolder(target);
    if (withAutorun &&
        !CheckMediumAutorun(folder, medium, SettingsFilename(report), options.codePage, autorun, autorunFile))
        return 2;

    std::string out;
    if (options.json) {
        out = corvcheck::FormatJson(report, file, options.explain, withAutorun ? &autorun : nullptr, autorunFile);
    } else {
        if (options.explain) out = corvcheck::FormatExplain(report, file) + "\n";
        out += corvcheck::FormatText(report, file);
        if (withAutorun) out += corvcheck::FormatText(autorun, autorunFile);
    }
    Print(out);
    return withAutorun && autorun.ExitStatus() > report.ExitStatus() ? autorun.ExitStatus() : report.ExitStatus();
}

}  // namespace

#ifdef _WIN32
// The wide command line, so that a folder named in any script reaches the checker whole.
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> args;
    for (int i = 0; i < argc; ++i) {
        int n = WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(n > 1 ? static_cast<size_t>(n - 1) : 0, '\0');
        if (n > 1) WideCharToMultiByte(CP_UTF8, 0, argv[i], -1, &arg[0], n, nullptr, nullptr);
        args.push_back(arg);
    }
    return Main(args);
}
#else
int main(int argc, char** argv) { return Main(std::vector<std::string>(argv, argv + argc)); }
#endif
