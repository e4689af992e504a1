// The findings engine of corvane-check: reads a settings file with the
// program's own reader, key table and value parsers, and lists every place
// where the program would not do what the file seems to ask. Platform-free;
// the medium's files are reached only through the Medium interface.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace corvcheck {

enum class Severity { Note, Warning, Error };
const char* SeverityName(Severity severity);

// How a file's text is stored: ANSI (a Windows code page, or UTF-8 without the
// byte-order mark), UTF-8 with the mark, UTF-16 with its mark.
enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };
const char* EncodingName(Encoding encoding);  // "ansi", "utf-8", "utf-16le", "utf-16be"

struct Finding {
    Severity severity;
    int line;             // 1-based; 0 for the file as a whole
    int column;           // 1-based; 0 when the whole line is meant
    std::string code;     // stable short name of the kind of finding, e.g. "unknown-key"
    std::string key;      // the key concerned, or empty
    std::string message;
    // The settings section the finding concerns: "Info", "Info.<tag>" for a
    // language section (its tag as written), another section's name, or
    // empty for the file as a whole (and for autorun.inf's findings).
    std::string section;
};

// One key the program reads, as --explain shows it.
struct SettingRow {
    std::string key;
    std::string value;      // the text (or number) the reader handed to the program
    std::string effective;  // what the program makes of it, when that says more
    bool isDefault;         // the key is not in the file (or, for a number, empty)
    bool integer;           // read as a number
    int line;               // 0 when not in the file
    std::string section;    // "Info" or "Info.<tag>" the value came from; empty when not in the file
};

// The files of the medium. Paths are the settings' own texts in UTF-8:
// Windows paths relative to the program folder (the folder holding Corva.INF).
class Medium {
public:
    enum Kind { Missing, File, Folder, NotChecked };
    virtual ~Medium() = default;
    // NotChecked for texts that name nothing on the medium (web addresses,
    // absolute paths, environment variables). `found` receives a path that
    // Read accepts.
    virtual Kind Look(const std::string& path, std::string* found) const = 0;
    // Reads at most `limit` bytes; false when the file cannot be read.
    virtual bool Read(const std::string& found, std::vector<unsigned char>& bytes, size_t limit) const = 0;
};

struct Report {
    std::vector<Finding> findings;  // by line, file-wide findings first
    std::vector<SettingRow> settings;
    bool utf8 = false;  // the program reads the texts as UTF-8
    Encoding encoding = Encoding::Ansi;
    // With the user's display languages given: those languages, and the
    // language section they get over [Info] ("Info.de"; empty for none).
    std::vector<std::string> languages;
    std::string languageSection;
    int errors = 0, warnings = 0, notes = 0;
    int ExitStatus() const { return errors ? 2 : (warnings ? 1 : 0); }
    void Add(Severity s, int line, int column, const char* code, const std::string& key, const std::string& message,
             const std::string& section = std::string()) {
        Finding f;
        f.severity = s;
        f.line = line;
        f.column = column;
        f.code = code;
        f.key = key;
        f.message = message;
        f.section = section;
        findings.push_back(f);
    }
    // Once the checks are done: findings in line order (file-wide ones first,
    // those of one line as found) and the counts by severity.
    void Finish();
};

// Checks the bytes of a settings file; a null `medium` skips every file check.
// ANSI texts are decoded in `codePage` for the messages and the look-ups on
// the medium (whose names are UTF-8). One check at a time: the settings record
// it fills is kept for the process.
//
// Without `languages`, [Info] is checked as every user without a language
// section sees it, then each language section on its own, as its users see
// it over [Info]; of those, only what [Info] alone does not show is told,
// named after the section. With `languages` (a user's display languages,
// most preferred first, as Windows names them), the settings are checked as
// that user sees them: the language section chosen for them over [Info].
Report CheckSettings(const char* data, size_t size, const Medium* medium, int codePage = 1252,
                     const std::vector<std::string>& languages = std::vector<std::string>());

// A language tag as Windows names display languages ("de", "de-AT",
// "sr-Latn", "ca-ES-valencia"), letter case aside.
bool IsLanguageTag(const std::string& tag);

// Output in the form compilers use: "<file>:<line>[:<col>]: <severity>: <message> [<code>]"
// and a closing count.
std::string FormatText(const Report& report, const std::string& fileName);
// The effective settings table.
std::string FormatExplain(const Report& report, const std::string& fileName);
// The same findings (and, with `withSettings`, the settings table) as JSON.
// With `autorun`, its report is the member "autorun" and "exitStatus" is the
// worse of the two.
std::string FormatJson(const Report& report, const std::string& fileName, bool withSettings,
                       const Report* autorun = nullptr, const std::string& autorunFile = std::string());

// Text helpers, exposed for the tests.
std::string JsonString(const std::string& bytes);  // quoted, escaped, valid UTF-8
int EditDistance(const std::string& a, const std::string& b);  // ignores ASCII case; a swap costs 1

}  // namespace corvcheck
