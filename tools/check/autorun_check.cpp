#include "tools/check/autorun_check.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

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
const size_t kIconReadLimit = 16u << 20;

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

std::string Quoted(const std::string& s) { return "'" + s + "'"; }

class AutorunChecker {
public:
    AutorunChecker(const Medium* medium, const std::string& settingsFilename)
        : medium_(medium), filename_(settingsFilename) {}
    Report Run(const char* data, size_t size);

private:
    void Add(Severity s, int line, int column, const char* code, const std::string& key, const std::string& message);
    void CheckSections();
    void CheckSection(const AutorunSection& s);
    void CheckKeys(const AutorunSection& s);
    void CheckCommand(const AutorunEntry& e, bool entryPoint);
    void CheckCorvaneLine(const AutorunEntry& e, const std::string& programDir, const std::string& line, size_t at);
    void CheckIcon(const AutorunEntry& e);
    void CheckLabel(const AutorunEntry& e);
    int Column(const AutorunEntry& e, size_t byteOffset) const;
    size_t Characters(const std::string& s) const;

    const Medium* medium_;
    std::string filename_;
    AutorunIni ini_;
    Report report_;
};

void AutorunChecker::Add(Severity s, int line, int column, const char* code, const std::string& key,
                         const std::string& message) {
    report_.Add(s, line, column, code, key, message);
}

size_t AutorunChecker::Characters(const std::string& s) const {
    if (ini_.encoding == AutorunIni::Ansi) return s.size();
    size_t n = 0;
    for (char c : s) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

int AutorunChecker::Column(const AutorunEntry& e, size_t byteOffset) const {
    return e.valueColumn + static_cast<int>(Characters(e.value.substr(0, byteOffset)));
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

void AutorunChecker::CheckSections() {
    for (int line : ini_.linesBeforeSections)
        Add(Severity::Warning, line, 1, "outside-section", "",
            "this line stands before any section; Windows reads keys only in [autorun]");
    for (size_t i = 0; i < ini_.sections.size(); ++i) {
        const AutorunSection& s = ini_.sections[i];
        std::string name = LowerText(s.name);
        if (!s.closed)
            Add(Severity::Warning, s.line, 1, "unclosed-section", "", "the section header lacks its closing ']'");
        const AutorunSection* first = ini_.Find(s.name);
        if (first != &s) {
            Add(Severity::Warning, s.line, 1, "duplicate-section", "",
                "[" + s.name + "] again: Windows reads only the first one (line " + std::to_string(first->line) +
                    "); merge them");
            continue;
        }
        bool platform = std::find_if(std::begin(kPlatformSections), std::end(kPlatformSections),
                                     [&](const char* k) { return name == k; }) != std::end(kPlatformSections);
        bool other = std::find_if(std::begin(kOtherSections), std::end(kOtherSections),
                                  [&](const char* k) { return name == k; }) != std::end(kOtherSections);
        if (name == "autorun") {
            CheckSection(s);
        } else if (platform) {
            Add(Severity::Note, s.line, 1, "platform-section", "",
                "Windows on " + s.name.substr(8) + " reads [" + s.name +
                    "] instead of [autorun]; it is checked the same way");
            CheckSection(s);
        } else if (!other) {
            std::string near = Nearest(s.name, kPlatformSections, "autorun");
            if (near.empty()) near = Nearest(s.name, kOtherSections);
            Add(Severity::Warning, s.line, 1, "unknown-section", "",
                "Windows does not know the section [" + s.name + "]" +
                    (near.empty() ? std::string() : "; did you mean [" + near + "]?"));
        }
    }
    if (!ini_.Find("autorun"))
        Add(Severity::Error, 0, 0, "no-autorun-section", "",
            "no [autorun] section: Windows finds nothing to start, no icon and no label in this file");
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
        bool known = std::find_if(std::begin(kKnownKeys), std::end(kKnownKeys),
                                  [&](const char* k) { return key == k; }) != std::end(kKnownKeys);
        if (key.compare(0, 6, "shell\\") == 0) {
            // shell\<verb> (its menu text) and shell\<verb>\command (what it runs).
            std::string verb = key.substr(6);
            size_t slash = verb.find('\\');
            known = !verb.empty() && (slash == std::string::npos || (slash > 0 && verb.substr(slash) == "\\command"));
        }
        if (!known) {
            std::string near = Nearest(e.key, kKnownKeys);
            Add(Severity::Warning, e.line, e.keyColumn, "unknown-key", e.key,
                "Windows does not know the key " + Quoted(e.key) +
                    (near.empty() ? std::string() : "; did you mean " + Quoted(near) + "?"));
        }
    }
    for (int line : s.linesWithoutEquals)
        Add(Severity::Warning, line, 1, "no-equals", "", "a line without '=' is not a key; Windows ignores it");
}

void AutorunChecker::CheckSection(const AutorunSection& s) {
    CheckKeys(s);
    const AutorunEntry* open = AutorunIni::Find(s, "open");
    const AutorunEntry* shellExecute = AutorunIni::Find(s, "shellexecute");
    if (open) CheckCommand(*open, true);
    if (shellExecute) CheckCommand(*shellExecute, true);
    if (open && shellExecute)
        Add(Severity::Warning, shellExecute->line, shellExecute->keyColumn, "open-and-shellexecute", "shellexecute",
            "both open= (line " + std::to_string(open->line) +
                ") and shellexecute= are given; Windows versions differ in which one they run: keep one");
    const AutorunEntry* start = open ? open : shellExecute;
    if (!start) {
        Add(Severity::Error, s.line, 0, "no-open", "",
            "[" + s.name + "] has neither open= nor shellexecute=: nothing starts corvane.exe from this medium");
    } else {
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
}

// open=, shellexecute= and shell\<verb>\command=: the program is on the
// medium and, for the entry point, is corvane.exe.
void AutorunChecker::CheckCommand(const AutorunEntry& e, bool entryPoint) {
    if (e.value.empty()) {
        Add(Severity::Error, e.line, e.keyColumn, "empty-command", e.key, Quoted(e.key) + " names no program");
        return;
    }
    size_t rest = 0;
    std::string program = Word(e.value, 0, &rest);
    if (!medium_) return;
    std::string found;
    Medium::Kind kind = medium_->Look(program, &found);
    if (kind == Medium::NotChecked) {
        Add(Severity::Warning, e.line, e.valueColumn, "program-off-medium", e.key,
            Quoted(program) + " is not a path on the medium; the medium should start its own corvane.exe");
        return;
    }
    if (kind != Medium::File) {
        Add(Severity::Error, e.line, e.valueColumn, "program-missing", e.key,
            Quoted(program) + (kind == Medium::Folder ? " is a folder, not a program" : " is not on the medium"));
        return;
    }
    const bool corvane = LowerText(BaseName(program)) == "corvane.exe";
    if (!corvane) {
        if (entryPoint)
            Add(Severity::Warning, e.line, e.valueColumn, "not-corvane", e.key,
                Quoted(e.key) + " starts " + Quoted(program) + ", not corvane.exe");
        return;
    }
    size_t slash = program.find_last_of("\\/");
    CheckCorvaneLine(e, slash == std::string::npos ? std::string() : program.substr(0, slash + 1), e.value, rest);
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
    size_t n = Characters(e.value);
    if (n > kMaxLabelCharacters)
        Add(Severity::Warning, e.line, e.valueColumn, "label-too-long", "label",
            "label= has " + std::to_string(n) + " characters; a volume label keeps at most " +
                std::to_string(kMaxLabelCharacters) + " (ISO 9660 and NTFS), a Joliet disc's 16 and FAT's 11");
}

Report AutorunChecker::Run(const char* data, size_t size) {
    if (!data) {
        Add(Severity::Warning, 0, 0, "no-autorun", "",
            "the medium has no autorun.inf: nothing starts corvane.exe when the disc is inserted, and the drive "
            "shows no icon or label of its own");
    } else {
        ini_ = ReadAutorunIni(data, size);
        report_.utf8 = ini_.encoding != AutorunIni::Ansi;
        CheckSections();
    }
    report_.Finish();
    return report_;
}

}  // namespace

Report CheckAutorun(const char* data, size_t size, const Medium* medium, const std::string& settingsFilename) {
    AutorunChecker checker(medium, settingsFilename);
    return checker.Run(data, size);
}

}  // namespace corvcheck
