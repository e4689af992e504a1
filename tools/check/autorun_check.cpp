#include "tools/check/autorun_check.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "settings/ini_reader.h"
#include "tools/check/autorun_ini.h"
#include "tools/check/pe_icons.h"
#include "tools/check/text_case.h"

namespace corvcheck {

namespace {

const char* const kKnownKeys[] = {"open", "shellexecute", "icon", "label", "action", "shell", "useautoplay",
                                  "customevent"};
// [autorun.<platform>] is read instead of [autorun] on that platform.
const char* const kPlatformSections[] = {"autorun.x86", "autorun.amd64", "autorun.ia64",
                                         "autorun.alpha", "autorun.mips", "autorun.ppc"};
const char* const kOtherSections[] = {"content", "exclusivecontentpaths", "ignorecontentpaths", "deviceinstall"};
const char* const kOptions[] = {"nomsg", "-nomsg", "-c", "-max", "-min"};
// Programs in Windows' own folders, which a bare name finds on every PC.
const char* const kWindowsPrograms[] = {"calc",    "cmd",     "control",  "cscript",    "explorer", "hh",
                                        "msiexec", "mshta",   "mspaint",  "notepad",    "powershell",
                                        "regedit", "regsvr32", "rundll32", "write",     "wscript"};
// Words of the command shell (cmd.exe) that no program file stands for.
const char* const kShellCommands[] = {"assoc", "break", "call",     "cd",    "chdir",  "cls",   "color",  "copy",
                                      "date",  "del",   "dir",      "echo",  "endlocal", "erase", "exit", "for",
                                      "ftype", "goto",  "if",       "md",    "mkdir",  "mklink", "move",  "path",
                                      "pause", "popd",  "prompt",   "pushd", "rd",     "rem",   "ren",    "rename",
                                      "rmdir", "set",   "setlocal", "shift", "start",  "time",  "title",  "type",
                                      "ver",   "verify", "vol"};
// What Windows starts as a program; any other extension names a document.
const char* const kProgramExtensions[] = {"exe", "com", "bat", "cmd", "pif", "scr"};
const size_t kIconReadLimit = 16u << 20;

template <size_t N>
bool In(const std::string& lower, const char* const (&names)[N]) {
    return std::find_if(std::begin(names), std::end(names), [&](const char* k) { return lower == k; }) !=
           std::end(names);
}

// The first words of a command line: the quoted or blank-ended word at
// `from`, and where the text after it (and its blanks) starts.
std::string Word(const std::string& text, size_t from, size_t* rest) {
    std::string word;
    size_t end;
    size_t close = text[from] == '"' ? text.find('"', from + 1) : std::string::npos;
    if (close != std::string::npos) {
        word = text.substr(from + 1, close - from - 1);
        end = close + 1;
    } else {
        end = text.find(' ', from);
        if (end == std::string::npos) end = text.size();
        word = text.substr(from, end - from);
    }
    while (end < text.size() && text[end] == ' ') ++end;
    *rest = end;
    return word;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The extension of a path's file name in lower case, without its dot; empty for none.
std::string Extension(const std::string& path) {
    const std::string name = BaseName(path);
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? std::string() : LowerText(name.substr(dot + 1));
}

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class AutorunChecker {
public:
    AutorunChecker(const Medium* medium, const std::string& settingsFilename, int codePage)
        : medium_(medium), filename_(settingsFilename), codePage_(codePage) {}
    Report Run(const char* data, size_t size);

private:
    // A program as Windows finds it: without an extension, with ".exe" added.
    struct Program {
        std::string name;
        Medium::Kind kind;
        std::string found;
    };

    void Add(Severity s, int line, int column, const char* code, const std::string& key, const std::string& message);
    void CheckUtf8WithoutBom(const char* data, size_t size);
    void CheckSections();
    void CheckSection(const AutorunSection& s);
    void CheckKeys(const AutorunSection& s);
    void CheckEntryPoint(const AutorunSection& s);
    void CheckCommand(const AutorunEntry& e, bool entryPoint);
    bool ExplainMissing(const AutorunEntry& e, const std::string& word, bool entryPoint);
    void CheckCorvaneLine(const AutorunEntry& e, const std::string& programDir, const std::string& line, size_t at);
    void CheckIcon(const AutorunEntry& e);
    void CheckLabel(const AutorunEntry& e);
    void CheckCustomEvent(const AutorunEntry& e);
    void CountOther(int line, const std::string& name, bool section);
    Program Find(const std::string& word) const;
    int Column(const AutorunEntry& e, size_t byteOffset) const;

    const Medium* medium_;
    std::string filename_;
    int codePage_;
    AutorunIni ini_;
    Report report_;
    bool standingNotesGiven_ = false;
    // Names Windows does not read that are no slip of the fingers: sections
    // and keys of the medium's other programs (a menu's buttons, a setup
    // program's texts, a driver list), told in one note.
    int otherSections_ = 0, otherKeys_ = 0, firstOtherLine_ = 0;
    std::string firstOther_;
};

void AutorunChecker::Add(Severity s, int line, int column, const char* code, const std::string& key,
                         const std::string& message) {
    report_.Add(s, line, column, code, key, message);
}

int AutorunChecker::Column(const AutorunEntry& e, size_t byteOffset) const {
    return e.valueColumn + static_cast<int>(Utf8Characters(e.value.substr(0, byteOffset)));
}

AutorunChecker::Program AutorunChecker::Find(const std::string& word) const {
    Program p;
    p.name = word;
    if (Extension(word).empty()) {
        p.kind = medium_->Look(word + ".exe", &p.found);
        if (p.kind == Medium::File) {
            p.name = word + ".exe";
            return p;
        }
    }
    p.kind = medium_->Look(word, &p.found);
    return p;
}

// The nearest of `names` within a slip of the fingers, or empty.
template <size_t N>
std::string Nearest(const std::string& word, const char* const (&names)[N], const char* also = nullptr) {
    if (word.size() > 64) return std::string();
    std::string best;
    int bestDistance = 1 << 30;
    for (size_t i = 0; i <= N; ++i) {
        const char* name = i < N ? names[i] : also;
        if (!name) continue;
        int d = EditDistance(word, name);
        if (d < bestDistance) bestDistance = d, best = name;
    }
    int allowed = word.size() <= 4 ? 1 : (word.size() <= 8 ? 2 : 3);
    return bestDistance <= allowed ? best : std::string();
}

void AutorunChecker::CountOther(int line, const std::string& name, bool section) {
    if (!otherSections_ && !otherKeys_) firstOtherLine_ = line, firstOther_ = name;
    ++(section ? otherSections_ : otherKeys_);
}

// Windows reads autorun.inf as ANSI text or as UTF-16; UTF-8 without the mark
// reaches it as the code page's characters for each byte.
void AutorunChecker::CheckUtf8WithoutBom(const char* data, size_t size) {
    if (ini_.utf8Lines.empty()) return;
    const std::string text(data, size);
    size_t at = 0;
    while (at < text.size() && static_cast<unsigned char>(text[at]) < 0x80) ++at;
    size_t from = text.find_last_of(" \t\r\n=\\\"", at), to = text.find_first_of(" \t\r\n\\\"", at);
    from = from == std::string::npos ? 0 : from + 1;
    if (to == std::string::npos) to = text.size();
    std::string word = text.substr(from, std::min<size_t>(to - from, 40));
    while (!word.empty() && !IsMultiByteUtf8(word.data(), word.size())) word.pop_back();  // not inside a character
    const size_t lines = ini_.utf8Lines.size();
    Add(Severity::Warning, ini_.utf8Lines[0], 0, "utf8-without-bom", "",
        "the file is UTF-8 without the byte-order mark and has text beyond ASCII on " + std::to_string(lines) +
            (lines == 1 ? " line" : " lines") +
            ": Windows reads autorun.inf in the ANSI code page (or as UTF-16 with its byte-order mark), so " +
            Quoted(word) + " arrives as " + Quoted(AnsiToUtf8(word, codePage_)) +
            " (code page " + std::to_string(codePage_) + "); save it as UTF-16 (\"Unicode\")");
}

void AutorunChecker::CheckSections() {
    for (int line : ini_.linesBeforeSections)
        Add(Severity::Warning, line, 1, "outside-section", "",
            "this line stands before any section; Windows reads keys only in [autorun]");
    for (size_t i = 0; i < ini_.sections.size(); ++i) {
        const AutorunSection& s = ini_.sections[i];
        std::string name = LowerText(s.name);
        if (!s.closed)
            Add(Severity::Warning, s.line, 1, "unclosed-section", "", "the section header lacks its closing ']'");
        const bool platform = In(name, kPlatformSections);
        if (name != "autorun" && !platform && !In(name, kOtherSections)) {
            std::string near = Nearest(s.name, kPlatformSections, "autorun");
            if (near.empty()) near = Nearest(s.name, kOtherSections);
            if (near.empty())
                CountOther(s.line, "[" + s.name + "]", true);
            else
                Add(Severity::Warning, s.line, 1, "unknown-section", "",
                    "Windows does not know the section [" + s.name + "]; did you mean [" + near + "]?");
            continue;
        }
        const AutorunSection* first = ini_.Find(s.name);
        if (first != &s) {
            Add(Severity::Warning, s.line, 1, "duplicate-section", "",
                "[" + s.name + "] again: Windows reads only the first one (line " + std::to_string(first->line) +
                    "); merge them");
            continue;
        }
        if (name == "autorun") {
            CheckSection(s);
        } else if (platform) {
            Add(Severity::Note, s.line, 1, "platform-section", "",
                "Windows on " + s.name.substr(8) + " reads [" + s.name +
                    "] instead of [autorun]; it is checked the same way");
            CheckSection(s);
        }
    }
    if (!ini_.Find("autorun"))
        Add(Severity::Error, 0, 0, "no-autorun-section", "",
            "no [autorun] section: Windows finds nothing to start, no icon and no label in this file");
    if (otherSections_ || otherKeys_) {
        std::string counts;
        if (otherSections_) counts = std::to_string(otherSections_) + (otherSections_ == 1 ? " section" : " sections");
        if (otherSections_ && otherKeys_) counts += " and ";
        if (otherKeys_) counts += std::to_string(otherKeys_) + (otherKeys_ == 1 ? " key" : " keys");
        Add(Severity::Note, firstOtherLine_, 0, "other-names", "",
            counts + " that Windows does not read here (the first: " + firstOther_ +
                "); if they are for another program on the medium, that program reads them");
    }
}

void AutorunChecker::CheckKeys(const AutorunSection& s) {
    for (const AutorunEntry& e : s.entries) {
        std::string key = LowerText(e.key);
        const AutorunEntry* first = AutorunIni::Find(s, e.key);
        if (first != &e) {
            Add(Severity::Warning, e.line, e.keyColumn, "duplicate-key", e.key,
                Quoted(e.key) + " is given again; Windows reads only the first, on line " +
                    std::to_string(first->line));
            continue;
        }
        bool known = In(key, kKnownKeys);
        if (key.compare(0, 6, "shell\\") == 0) {
            // shell\<verb> (its menu text) and shell\<verb>\command (what it runs).
            std::string verb = key.substr(6);
            size_t slash = verb.find('\\');
            known = !verb.empty() && (slash == std::string::npos || (slash > 0 && verb.substr(slash) == "\\command"));
        }
        if (known) continue;
        std::string near = Nearest(e.key, kKnownKeys);
        if (key.compare(0, 6, "shell\\") == 0) {
            // Meant for Windows, whatever else it is: shell\<verb>\comand and the like.
            const size_t slash = key.find('\\', 6);
            near = slash == std::string::npos ? std::string()
                                              : e.key.substr(0, slash) + "\\command";
            Add(Severity::Warning, e.line, e.keyColumn, "unknown-key", e.key,
                "Windows does not know the key " + Quoted(e.key) +
                    (near.empty() || slash == 6 ? std::string() : "; did you mean " + Quoted(near) + "?"));
            continue;
        }
        if (near.empty())
            CountOther(e.line, Quoted(e.key) + " in [" + s.name + "]", false);
        else
            Add(Severity::Warning, e.line, e.keyColumn, "unknown-key", e.key,
                "Windows does not know the key " + Quoted(e.key) + "; did you mean " + Quoted(near) + "?");
    }
    for (int line : s.linesWithoutEquals)
        Add(Severity::Warning, line, 1, "no-equals", "", "a line without '=' is not a key; Windows ignores it");
}

// open= and shellexecute=, and what decides whether either runs.
void AutorunChecker::CheckEntryPoint(const AutorunSection& s) {
    const AutorunEntry* open = AutorunIni::Find(s, "open");
    const AutorunEntry* shellExecute = AutorunIni::Find(s, "shellexecute");
    if (open) CheckCommand(*open, true);
    if (shellExecute) CheckCommand(*shellExecute, true);
    if (open && shellExecute) {
        size_t rest = 0;
        const std::string a = open->value.empty() ? std::string() : LowerText(Word(open->value, 0, &rest));
        const std::string b = shellExecute->value.empty() ? std::string() : LowerText(Word(shellExecute->value, 0, &rest));
        const bool same = !a.empty() && (a == b || (Extension(a).empty() && a + ".exe" == b) ||
                                         (Extension(b).empty() && b + ".exe" == a));
        if (same)
            Add(Severity::Note, shellExecute->line, shellExecute->keyColumn, "open-and-shellexecute", "shellexecute",
                "open= (line " + std::to_string(open->line) +
                    ") and shellexecute= start the same program: whichever one a Windows version reads, it runs "
                    "that program");
        else
            Add(Severity::Warning, shellExecute->line, shellExecute->keyColumn, "open-and-shellexecute",
                "shellexecute",
                "both open= (line " + std::to_string(open->line) +
                    ") and shellexecute= are given; Windows versions differ in which one they run: keep one");
    }
    const AutorunEntry* start = open ? open : shellExecute;
    if (!start) {
        Add(Severity::Error, s.line, 0, "no-open", "",
            "[" + s.name + "] has neither open= nor shellexecute=: nothing starts corvane.exe from this medium");
    } else if (!standingNotesGiven_) {
        // The same for every section of the file: said once.
        standingNotesGiven_ = true;
        Add(Severity::Note, start->line, start->keyColumn, "removable-drive", start->key,
            "Windows runs " + LowerText(start->key) +
                "= only from CD and DVD media: from a USB stick or another removable drive the program does not "
                "start by itself (icon= and label= still apply)");
        const AutorunEntry* action = AutorunIni::Find(s, "action");
        Add(Severity::Note, start->line, start->keyColumn, "autoplay", start->key,
            std::string("AutoPlay asks the user before it runs the program") +
                (action ? ", offering the action= text (line " + std::to_string(action->line) + ")"
                        : "; give action= to word the choice it offers"));
    }
    if (const AutorunEntry* autoPlay = AutorunIni::Find(s, "useautoplay")) {
        if (ProfileInteger(autoPlay->value.c_str(), autoPlay->value.size()) == 1) {
            size_t rest = 0;
            const std::string program =
                start && !start->value.empty() ? Quoted(Word(start->value, 0, &rest)) : std::string("corvane.exe");
            Add(Severity::Warning, autoPlay->line, autoPlay->keyColumn, "useautoplay", autoPlay->key,
                "UseAutoPlay=1: Windows offers AutoPlay's choices for the medium's content and runs neither open= nor "
                "shellexecute=, so nothing starts " +
                    program);
        }
    }
}

void AutorunChecker::CheckSection(const AutorunSection& s) {
    CheckKeys(s);
    CheckEntryPoint(s);
    for (const AutorunEntry& e : s.entries) {
        std::string key = LowerText(e.key);
        if (AutorunIni::Find(s, e.key) != &e) continue;
        if (key.size() > 8 && key.compare(0, 6, "shell\\") == 0 &&
            key.compare(key.size() - 8, 8, "\\command") == 0)
            CheckCommand(e, false);
    }
    if (const AutorunEntry* verb = AutorunIni::Find(s, "shell")) {
        if (!AutorunIni::Find(s, "shell\\" + verb->value + "\\command"))
            Add(Severity::Warning, verb->line, verb->valueColumn, "shell-verb-missing", "shell",
                "shell= names the verb " + Quoted(verb->value) + ", but no shell\\" + verb->value +
                    "\\command= says what it runs");
    }
    if (const AutorunEntry* icon = AutorunIni::Find(s, "icon")) CheckIcon(*icon);
    if (const AutorunEntry* label = AutorunIni::Find(s, "label")) CheckLabel(*label);
    if (const AutorunEntry* event = AutorunIni::Find(s, "customevent")) CheckCustomEvent(*event);
}

// open=, shellexecute= and shell\<verb>\command=: the program is on the
// medium (or is one of Windows' own, for a verb) and, for the entry point,
// is corvane.exe.
void AutorunChecker::CheckCommand(const AutorunEntry& e, bool entryPoint) {
    if (e.value.empty()) {
        Add(Severity::Error, e.line, e.keyColumn, "empty-command", e.key, Quoted(e.key) + " names no program");
        return;
    }
    size_t rest = 0;
    std::string word = Word(e.value, 0, &rest);
    if (!medium_) return;
    const Program program = Find(word);
    const std::string extension = Extension(word);
    if (SameNoCase(e.key, "open") && program.kind != Medium::NotChecked && !extension.empty() &&
        !In(extension, kProgramExtensions)) {
        Add(Severity::Error, e.line, e.valueColumn, "open-document", e.key,
            "open= starts programs, and " + Quoted(word) +
                " is a document: Windows does not run it; shellexecute= opens a document with its program");
        if (program.kind == Medium::File) return;
    }
    if (program.kind == Medium::NotChecked) {
        if (entryPoint)
            Add(Severity::Warning, e.line, e.valueColumn, "program-off-medium", e.key,
                Quoted(word) + " is not a path on the medium; the medium should start its own corvane.exe");
        return;
    }
    if (program.kind != Medium::File) {
        if (program.kind == Medium::Missing && ExplainMissing(e, word, entryPoint)) return;
        Add(Severity::Error, e.line, e.valueColumn, "program-missing", e.key,
            Quoted(word) + (program.kind == Medium::Folder ? " is a folder, not a program"
                            : extension.empty()        ? " is not on the medium, nor " + Quoted(word + ".exe") +
                                                      " (Windows adds .exe to a name without extension)"
                                                       : std::string(" is not on the medium")));
        return;
    }
    const bool corvane = LowerText(BaseName(program.name)) == "corvane.exe";
    if (!corvane) {
        if (entryPoint)
            Add(Severity::Warning, e.line, e.valueColumn, "not-corvane", e.key,
                Quoted(e.key) + " starts " + Quoted(word) + ", not corvane.exe");
        return;
    }
    size_t slash = word.find_last_of("\\/");
    CheckCorvaneLine(e, slash == std::string::npos ? std::string() : word.substr(0, slash + 1), e.value, rest);
}

// A program that is not on the medium but that Windows may still find or
// that the author meant otherwise; true when told.
bool AutorunChecker::ExplainMissing(const AutorunEntry& e, const std::string& word, bool entryPoint) {
    // Windows drops the quotes around a whole value, so a name with a blank
    // is cut at it.
    if (e.quoted && word != e.value && Find(e.value).kind == Medium::File) {
        Add(Severity::Error, e.line, e.valueColumn, "quoted-program", e.key,
            "Windows drops the quotes around the whole value and cuts the name at its first blank: it looks for " +
                Quoted(word) + ", which is not on the medium; write " + LowerText(e.key) + "=\"\"" + e.value +
                "\"\" so that one pair of quotes stays around the name");
        return true;
    }
    if (word.find_first_of("\\/") != std::string::npos) return false;
    const std::string name = LowerText(word), extension = Extension(word);
    const std::string stem = extension.empty() ? name : name.substr(0, name.size() - extension.size() - 1);
    if (extension.empty() && In(name, kShellCommands)) {
        Add(Severity::Error, e.line, e.valueColumn, "shell-command", e.key,
            Quoted(word) + " is a command of the command shell (cmd.exe), not a program: Windows finds nothing to "
                           "run; name the program itself, or use shellexecute= for a document");
        return true;
    }
    if (stem == "command" && (extension.empty() || extension == "com")) {
        Add(Severity::Warning, e.line, e.valueColumn, "windows-program", e.key,
            Quoted(word) + " is the MS-DOS command shell of old Windows; 64-bit Windows does not have it: use cmd");
        return true;
    }
    if (!In(stem, kWindowsPrograms) || !(extension.empty() || extension == "exe")) return false;
    if (entryPoint)
        Add(Severity::Warning, e.line, e.valueColumn, "not-corvane", e.key,
            Quoted(e.key) + " starts " + Quoted(word) + ", a program of Windows, not corvane.exe");
    else
        Add(Severity::Note, e.line, e.valueColumn, "windows-program", e.key,
            Quoted(e.key) + " starts " + Quoted(word) + ", a program of Windows (not on the medium; Windows finds "
                                                        "it in its own folder)");
    return true;
}

// The command line corvane.exe gets, read as the program reads it: a target
// (unless the settings name one), then options, then a message.
void AutorunChecker::CheckCorvaneLine(const AutorunEntry& e, const std::string& programDir, const std::string& line,
                                      size_t at) {
    if (!programDir.empty()) {
        std::string found;
        if (medium_->Look(programDir + "Corva.INF", &found) == Medium::Missing)
            Add(Severity::Warning, e.line, e.valueColumn, "settings-elsewhere", e.key,
                "the program reads its settings from " + programDir +
                    "Corva.INF, which is not on the medium; this check read the settings beside autorun.inf");
    }
    std::string target;
    size_t afterTarget = at;
    if (filename_.empty() && at < line.size()) target = Word(line, at, &afterTarget);
    // Options come first in the text after the target, each ended by a blank or the end.
    bool keepDirectory = false;
    size_t p = afterTarget;
    for (;;) {
        while (p < line.size() && line[p] == ' ') ++p;
        bool matched = false;
        for (const char* option : kOptions) {
            std::string o = option;
            if (LowerText(line.substr(p, o.size())) == o && (p + o.size() == line.size() || line[p + o.size()] == ' ')) {
                keepDirectory = keepDirectory || o == "-c";
                p += o.size();
                matched = true;
                break;
            }
        }
        if (!matched) break;
    }
    const std::string message = line.substr(std::min(p, line.size()));
    if (!filename_.empty()) {
        if (!message.empty())
            Add(Severity::Warning, e.line, Column(e, p), "target-ignored", e.key,
                "Corva.INF names Filename=" + filename_ + ", so corvane.exe starts that and shows " + Quoted(message) +
                    " from this command line as its message");
        return;
    }
    if (at >= line.size()) {
        Add(Severity::Warning, e.line, e.valueColumn, "no-target", e.key,
            "corvane.exe gets no document to open and Corva.INF names no Filename: the popup shows \"No parameter "
            "given\" and starts nothing");
        return;
    }
    // Without -c the program moves to its own folder before it starts the
    // target; with it the target is found from the root, where Windows runs it.
    std::string path = keepDirectory ? target : programDir + target;
    std::string found;
    Medium::Kind kind = medium_->Look(path, &found);
    if (kind == Medium::Missing)
        Add(Severity::Error, e.line, Column(e, at), "target-missing", e.key,
            "corvane.exe is started with " + Quoted(target) + ", which is not on the medium" +
                (path != target ? " (looked for " + Quoted(path) + ")" : std::string()));
}

void AutorunChecker::CheckIcon(const AutorunEntry& e) {
    std::string file = e.value;
    long index = 0;
    size_t comma = file.find_last_of(',');
    if (comma != std::string::npos) {
        std::string number = file.substr(comma + 1);
        while (!number.empty() && number[0] == ' ') number.erase(0, 1);
        char* end = nullptr;
        long n = std::strtol(number.c_str(), &end, 10);
        if (!number.empty() && end && *end == '\0' && number.size() < 8) {
            index = n;
            file.erase(comma);
            while (!file.empty() && file.back() == ' ') file.pop_back();
        }
    }
    if (file.size() >= 2 && file[0] == '"' && file.back() == '"') file = file.substr(1, file.size() - 2);
    if (file.empty()) {
        Add(Severity::Warning, e.line, e.keyColumn, "icon-missing", "icon", "icon= names no file");
        return;
    }
    if (!medium_) return;
    std::string found;
    Medium::Kind kind = medium_->Look(file, &found);
    if (kind == Medium::NotChecked) return;
    if (kind != Medium::File) {
        Add(Severity::Warning, e.line, e.valueColumn, "icon-missing", "icon",
            "the icon file " + Quoted(file) + " is not on the medium; Explorer shows the drive's standard icon");
        return;
    }
    std::vector<unsigned char> bytes;
    if (!medium_->Read(found, bytes, kIconReadLimit)) {
        Add(Severity::Warning, e.line, e.valueColumn, "icon-unreadable", "icon", "cannot read " + Quoted(file));
        return;
    }
    IconSource icons = ReadIconSource(bytes.data(), bytes.size());
    if (icons.kind == IconSource::NotIcons) {
        Add(Severity::Warning, e.line, e.valueColumn, "icon-not-icons", "icon",
            Quoted(file) + " is neither an icon file nor a program with icons");
        return;
    }
    if (HasIconAt(icons, index)) return;
    std::string has = icons.groupIds.empty()    ? std::string("has no icon")
                      : icons.groupIds.size() == 1 ? std::string("has one icon, index 0")
                                                   : "has " + std::to_string(icons.groupIds.size()) +
                                                         " icons, index 0 to " +
                                                         std::to_string(icons.groupIds.size() - 1);
    if (icons.damaged) has += " in the part that could be read";
    Add(Severity::Warning, e.line, e.valueColumn, icons.groupIds.empty() ? "icon-none" : "icon-index", "icon",
        Quoted(file) + " " + has +
            (index < 0 ? "; no icon has the number " + std::to_string(-index)
                       : (index ? "; index " + std::to_string(index) + " shows no icon" : std::string())) +
            ": Explorer shows the drive's standard icon");
}

void AutorunChecker::CheckLabel(const AutorunEntry& e) {
    const size_t n = Utf8Characters(e.value);
    if (n <= kMaxLabelCharacters) return;
    std::string shown = e.value;
    for (size_t count = 0, i = 0; i < shown.size(); ++i) {
        if ((static_cast<unsigned char>(shown[i]) & 0xC0) != 0x80 && count++ == kMaxLabelCharacters) {
            shown.resize(i);
            break;
        }
    }
    Add(Severity::Warning, e.line, e.valueColumn, "label-too-long", "label",
        "label= has " + std::to_string(n) + " characters; it is not the volume label, and Explorer shows only the first " +
            std::to_string(kMaxLabelCharacters) + " as the drive's name: " + Quoted(shown));
}

void AutorunChecker::CheckCustomEvent(const AutorunEntry& e) {
    bool name = !e.value.empty() && e.value.size() <= kMaxCustomEventCharacters;
    for (char c : e.value)
        name = name && ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'));
    if (!name)
        Add(Severity::Warning, e.line, e.valueColumn, "bad-customevent", e.key,
            "CustomEvent= " + Quoted(e.value) + " is not a name of letters and digits of at most " +
                std::to_string(kMaxCustomEventCharacters) + " characters: Windows ignores it");
}

Report AutorunChecker::Run(const char* data, size_t size) {
    if (!data) {
        Add(Severity::Warning, 0, 0, "no-autorun", "",
            "the medium has no autorun.inf: nothing starts corvane.exe when the disc is inserted, and the drive "
            "shows no icon or label of its own");
    } else {
        ini_ = ReadAutorunIni(data, size, codePage_);
        report_.encoding = ini_.encoding;
        report_.utf8 = ini_.encoding == Encoding::Utf8;
        CheckUtf8WithoutBom(data, size);
        CheckSections();
    }
    report_.Finish();
    return report_;
}

}  // namespace

Report CheckAutorun(const char* data, size_t size, const Medium* medium, const std::string& settingsFilename,
                    int codePage) {
    AutorunChecker checker(medium, settingsFilename, codePage);
    return checker.Run(data, size);
}

}  // namespace corvcheck
