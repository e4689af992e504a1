// corvane-check: reports every place where the program would not do what a
// medium's Corva.INF seems to ask, and, for a medium folder, whether its
// autorun.inf starts the program as meant. Exit status 0 clean, 1 warnings only,
// 2 errors (or the file could not be checked at all).
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "tools/check/autorun_check.h"
#include "tools/check/check_engine.h"
#include "tools/check/check_files.h"

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: corvane-check [--explain] [--json] [MEDIUM-FOLDER | path/to/Corva.INF]\n"
    "Checks the settings file of a medium the way the program reads it and, given the medium's\n"
    "folder, its autorun.inf: the program it starts, the document, the icon and the label.\n"
    "  --explain  also print every key the program reads, its value and whether it is the default\n"
    "  --json     print the report as JSON\n"
    "Exit status: 0 clean, 1 warnings only, 2 errors.\n";

struct Options {
    bool explain = false, json = false;
    std::string target;
};

// The options and the one medium given; -1 to go on, else the exit status.
int ParseArguments(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if (a == "--explain") options.explain = true;
        else if (a == "--json") options.json = true;
        else if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        } else if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "corvane-check: unknown option '%s'\n%s", a.c_str(), kUsage);
            return 2;
        } else if (options.target.empty()) {
            options.target = a;
        } else {
            std::fprintf(stderr, "corvane-check: more than one medium given\n%s", kUsage);
            return 2;
        }
    }
    if (options.target.empty()) options.target = ".";
    return -1;
}

// The settings file and the program folder beside it, for a medium folder or
// a file named directly; false (told) when a folder has no Corva.INF.
bool LocateSettings(const std::string& target, std::string& folder, std::string& file) {
    std::error_code ec;
    if (fs::is_directory(target, ec)) {
        folder = target;
        std::string name = corvcheck::FindNoCase(folder, "Corva.INF");
        if (name.empty()) {
            std::fprintf(stderr, "corvane-check: %s: no Corva.INF in this folder\n", target.c_str());
            return false;
        }
        file = (fs::path(folder) / name).string();
    } else {
        file = target;
        folder = fs::path(target).parent_path().string();
        if (folder.empty()) folder = ".";
    }
    return true;
}

// The whole file; false (told) when it cannot be opened.
bool ReadWholeFile(const std::string& file, std::vector<char>& bytes) {
    std::FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) {
        std::fprintf(stderr, "corvane-check: %s: cannot open: %s\n", file.c_str(), std::strerror(errno));
        return false;
    }
    char chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
    return true;
}

// The medium's autorun.inf, checked against the Filename the settings give;
// false (told) when it is there but cannot be read.
bool CheckMediumAutorun(const std::string& folder, const corvcheck::FolderMedium& medium,
                        const corvcheck::Report& report, corvcheck::Report& autorun, std::string& autorunFile) {
    std::string filename;
    for (const corvcheck::SettingRow& row : report.settings)
        if (row.key == "Filename") filename = row.value;
    std::string name = corvcheck::FindNoCase(folder, "autorun.inf");
    autorunFile = (fs::path(folder) / (name.empty() ? "autorun.inf" : name)).string();
    std::vector<unsigned char> inf;
    if (!name.empty() && !medium.Read(autorunFile, inf, 1u << 20)) {
        std::fprintf(stderr, "corvane-check: %s: cannot read\n", autorunFile.c_str());
        return false;
    }
    autorun = corvcheck::CheckAutorun(name.empty() ? nullptr : reinterpret_cast<const char*>(inf.data()), inf.size(),
                                      &medium, filename);
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    const int status = ParseArguments(argc, argv, options);
    if (status >= 0) return status;
    const std::string& target = options.target;

    std::string folder, file;
    if (!LocateSettings(target, folder, file)) return 2;
    std::vector<char> bytes;
    if (!ReadWholeFile(file, bytes)) return 2;

    corvcheck::FolderMedium medium(folder);
    corvcheck::Report report = corvcheck::CheckSettings(bytes.data(), bytes.size(), &medium);

    // A folder is a medium's root: its autorun.inf is checked too.
    corvcheck::Report autorun;
    std::string autorunFile;
    std::error_code ec;
    const bool withAutorun = fs::is_directory(target, ec);
    if (withAutorun && !CheckMediumAutorun(folder, medium, report, autorun, autorunFile)) return 2;

    std::string out;
    if (options.json) {
        out = corvcheck::FormatJson(report, file, options.explain, withAutorun ? &autorun : nullptr, autorunFile);
    } else {
        if (options.explain) out = corvcheck::FormatExplain(report, file) + "\n";
        out += corvcheck::FormatText(report, file);
        if (withAutorun) out += corvcheck::FormatText(autorun, autorunFile);
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fflush(stdout);
    return withAutorun && autorun.ExitStatus() > report.ExitStatus() ? autorun.ExitStatus() : report.ExitStatus();
}
