// The findings engine. Everything the program would do with the file is
// learnt from the program's own code: the reader (IniFile, with its
// structural listing and look-up log), ReadSettings itself, the key table and
// the value parsers. The checker only compares what the file says with what
// those functions made of it.
#include "tools/check/check_engine.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <unordered_map>
#include <utility>

#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings/value_parsers.h"
#include "conditions/condition.h"
#include "conditions/version_bound.h"
#include "splash/bmp_check.h"
#include "tools/check/text_case.h"

namespace corvcheck {

const char* SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Note: return "note";
    case Severity::Warning: return "warning";
    case Severity::Error: return "error";
    }
    return "note";
}

void Report::Finish() {
    std::stable_sort(findings.begin(), findings.end(), [](const Finding& a, const Finding& b) { return a.line < b.line; });
    errors = warnings = notes = 0;
    for (const Finding& f : findings) {
        if (f.severity == Severity::Error) ++errors;
        else if (f.severity == Severity::Warning) ++warnings;
        else ++notes;
    }
}

namespace {

// Stands in for the system window colour: no parsed colour has a high byte.
const Colour kWindowColourMark = 0xFF000000u;
const Colour kBlue = 0x00FF0000u;
const size_t kMaxBitmapBytes = 64u * 1024 * 1024;

// A value as quoted in a message: cut when long, control bytes made visible.
std::string Quote(const std::string& s, size_t limit = 60) {
    std::string r = "'";
    size_t n = s.size() < limit ? s.size() : limit;
    for (size_t i = 0; i < n; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            r += hex;
        } else {
            r += static_cast<char>(c);
        }
    }
    if (n < s.size()) r += "...";
    return r + "'";
}

std::string ColourText(Colour c) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%u,%u,%u", c & 0xFFu, (c >> 8) & 0xFFu, (c >> 16) & 0xFFu);
    return buf;
}

std::string KeyOf(const IniFile::Entry& e) { return std::string(e.key, e.keyLength); }

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True for blanks, an optional sign, digits, blanks: a number and nothing else.
bool IsPlainNumber(const char* p, bool allowSign) {
    while (*p == ' ' || *p == '\t') ++p;
    if (allowSign && (*p == '-' || *p == '+')) ++p;
    if (!IsDigit(*p)) return false;
    while (IsDigit(*p)) ++p;
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

// UTF-8 well-formedness of one sequence at p (end exclusive); returns its
// length, or 0 when the bytes there are not valid UTF-8.
size_t Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    unsigned char c = p[0];
    if (c < 0x80) return 1;
    size_t n;
    unsigned lowest;
    if (c >= 0xC2 && c <= 0xDF) n = 2, lowest = 0x80;
    else if (c >= 0xE0 && c <= 0xEF) n = 3, lowest = 0x800;
    else if (c >= 0xF0 && c <= 0xF4) n = 4, lowest = 0x10000;
    else return 0;
    if (static_cast<size_t>(end - p) < n) return 0;
    unsigned cp = c & (0x7F >> n);
    for (size_t i = 1; i < n; ++i) {
        if ((p[i] & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (p[i] & 0x3Fu);
    }
    if (cp < lowest || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return n;
}

// The key table's row for a name the program asked for, remembered: it asks
// for the same few hundred names in every check, and the table is searched
// row by row.
const SettingKey* RowOf(const char* name, size_t length, int* number) {
    static std::unordered_map<std::string, std::pair<const SettingKey*, int>> known;
    static std::string key;  // reused, so that a look-up allocates nothing
    key.assign(name, length);
    auto it = known.find(key);
    if (it != known.end()) {
        *number = it->second.second;
        return it->second.first;
    }
    int n = 0;
    const SettingKey* row = FindSettingKey(name, length, &n);
    known.emplace(key, std::make_pair(row, n));
    *number = n;
    return row;
}

// The settings record and the look-up log are 40 to 50 KB each: one of each
// is kept for the process and reused (ReadSettings resets the record), since
// allocating and clearing them was a large part of checking a small file.
Settings& SharedSettings() {
    static Settings settings;
    return settings;
}

IniFile::LookupLog& SharedLog() {
    static IniFile::LookupLog log;
    return log;
}

const char* const kPositionKeywords[] = {"center", "topleft", "topright", "bottomleft", "bottomright",
                                         "top",    "bottom",  "left",     "right"};

class Checker {
public:
    Checker(const char* data, size_t size, const Medium* medium) : data_(data), size_(size), medium_(medium) {}
    Report Run();

private:
    struct Read {  // one key the reader asked for, with what it got
        const IniFile::Lookup* lookup;
        const SettingKey* row;
        int number;
        std::string value;  // as the program got it (cut to capacity)
        std::string full;   // the whole value in the file
    };

    void Add(Severity s, int line, int column, const char* code, const std::string& key, const std::string& message);
    void CheckEncoding();
    void CheckStructure();
    void CheckLinesOfReadSection();
    void ExplainUnread(const IniFile::KeyLine& k);
    void CheckValues();
    void CheckValue(const Read& r);
    void CheckInteger(const Read& r);
    void CheckColour(const Read& r);
    void CheckPosition(const Read& r);
    void CheckCondition(const Read& r);
    void CheckVersion(const Read& r);
    void CheckFiles();
    void CheckFile(const std::string& path, const IniFile::Entry* entry, const std::string& key, SettingFile kind,
                   bool inCondition);
    void CheckUtf8();
    void BuildSettingRows();
    std::string Effective(const Read& r) const;

    const Read* FindRead(const char* key) const;
    int LineOf(const char* key) const;
    int ColumnOf(const IniFile::Entry& e, const std::string& value, size_t offset) const;
    std::string Suggest(const std::string& key) const;
    int MenuStop() const;    // first entry number whose Filename<n> was not given, or 11
    int ViewerStop() const;  // first rule number not taken, or 11

    const char* data_;
    size_t size_;
    const Medium* medium_;
    IniFile ini_;
    Settings* s_ = &SharedSettings();
    IniFile::LookupLog* log_ = &SharedLog();
    int missingViewerMsg_ = 0;
    std::vector<Read> reads_;
    // By entry number (the entry's place among the reader's entries):
    std::vector<char> asked_;                      // the program asked for it
    std::vector<const IniFile::KeyLine*> lineOf_;  // its line in the listing
    size_t EntryNumber(const IniFile::Entry& e) const { return static_cast<size_t>(&e - &ini_.EntryAt(0)); }
    std::vector<std::pair<std::string, const IniFile::Entry*>> filePaths_;  // f? operands
    Report report_;
};

void Checker::Add(Severity s, int line, int column, const char* code, const std::string& key,
                  const std::string& message) {
    report_.Add(s, line, column, code, key, message);
}

const Checker::Read* Checker::FindRead(const char* key) const {
    for (const Read& r : reads_)
        if (EqualNoCase(r.lookup->key, key)) return &r;
    return nullptr;
}

int Checker::LineOf(const char* key) const {
    const IniFile::Entry* e = ini_.Find(key);
    return e ? e->line : 0;
}

int Checker::ColumnOf(const IniFile::Entry& e, const std::string& value, size_t offset) const {
    const IniFile::KeyLine* line = lineOf_[EntryNumber(e)];
    if (!line || !e.value) return 0;
    // The reader may have dropped an enclosing quote; find its text in the line.
    std::string raw(e.value, e.valueLength);
    size_t at = raw.find(value.substr(0, 16));
    if (at == std::string::npos) at = 0;
    return static_cast<int>(e.value - line->lineStart) + static_cast<int>(at + offset) + 1;
}

int Checker::MenuStop() const {
    for (int n = 1; n <= kMaxMenuEntries; ++n)
        if (!s_->menu[n].present) return n;
    return kMaxMenuEntries + 1;
}

int Checker::ViewerStop() const {
    for (int n = 1; n <= kMaxViewerRules; ++n)
        if (!s_->viewer[n].present) return n;
    return kMaxViewerRules + 1;
}

// Every key name the program reads, built once: the nearest-key search runs
// for each unknown key, and a file may hold thousands of them.
struct KnownName {
    std::string name;
    unsigned char counts[37];  // letters (any case), digits, everything else
};

void CountCharacters(const std::string& s, unsigned char* counts) {
    std::memset(counts, 0, 37);
    for (char c : s) {
        char l = LowerAscii(c);
        int slot = l >= 'a' && l <= 'z' ? l - 'a' : (l >= '0' && l <= '9' ? 26 + (l - '0') : 36);
        if (counts[slot] < 255) ++counts[slot];
    }
}

const std::vector<KnownName>& KnownNames() {
    static const std::vector<KnownName> names = [] {
        std::vector<KnownName> list;
        char name[64];
        for (size_t i = 0; i < kSettingKeyCount; ++i) {
            const SettingKey& row = kSettingKeys[i];
            bool numbered = std::strstr(row.name, "%d") != nullptr;
            for (int n = 1; n <= (numbered ? kLastSettingNumber : 1); ++n) {
                SettingKeyName(row, n, name, sizeof name);
                KnownName k;
                k.name = name;
                CountCharacters(k.name, k.counts);
                list.push_back(k);
            }
        }
        return list;
    }();
    return names;
}

std::string Checker::Suggest(const std::string& key) const {
    if (key.size() > 64) return std::string();  // no key is that long; spare the work
    // Close enough to be a slip of the fingers, not another word.
    const int allowed = key.size() <= 4 ? 1 : (key.size() <= 8 ? 2 : 3);
    unsigned char counts[37];
    CountCharacters(key, counts);
    std::string best;
    int bestDistance = allowed + 1;
    for (const KnownName& k : KnownNames()) {
        // Cheap bounds first: each edit changes the length by at most one
        // and moves at most one character in or out of the counts.
        const int lengthGap = static_cast<int>(key.size()) - static_cast<int>(k.name.size());
        if (lengthGap >= bestDistance || -lengthGap >= bestDistance) continue;
        int more = 0, fewer = 0;
        for (int c = 0; c < 37; ++c) {
            int gap = counts[c] - k.counts[c];
            if (gap > 0) more += gap;
            else fewer -= gap;
        }
        if (more >= bestDistance || fewer >= bestDistance) continue;
        // The first name at the smallest distance wins, as in table order.
        int d = EditDistance(key, k.name);
        if (d < bestDistance) bestDistance = d, best = k.name;
    }
    return best;
}

// ---------------------------------------------------------------- encoding

void Checker::CheckEncoding() {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data_);
    if (size_ >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF)))
        Add(Severity::Error, 0, 0, "utf16-file", "",
            "the file is saved as UTF-16; the program reads only single-byte text or UTF-8 with a byte-order mark, so "
            "it finds no setting in it");
    if (size_ > kMaxSettingsBytes)
        Add(Severity::Warning, 0, 0, "file-too-large", "",
            "the file is larger than 16 MiB; the program reads only the first 16 MiB");
}

void Checker::CheckUtf8() {
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (!k.kept) continue;
        const unsigned char* start = reinterpret_cast<const unsigned char*>(k.lineStart);
        const unsigned char* end = reinterpret_cast<const unsigned char*>(
            k.entry.value ? k.entry.value + k.entry.valueLength : k.entry.key + k.entry.keyLength);
        bool multiByte = false, invalid = false;
        const unsigned char* bad = nullptr;
        for (const unsigned char* p = start; p < end;) {
            size_t n = Utf8SequenceLength(p, end);
            if (n == 0) {
                invalid = true;
                bad = p;
                break;
            }
            if (n > 1) multiByte = true;
            p += n;
        }
        const std::string key = KeyOf(k.entry);
        if (ini_.HasBom() && invalid) {
            char msg[200];
            std::snprintf(msg, sizeof msg,
                          "invalid UTF-8 (byte 0x%02X) in a file with the UTF-8 byte-order mark: the popup shows a "
                          "replacement character or drops the text",
                          *bad);
            Add(Severity::Warning, k.entry.line, static_cast<int>(bad - start) + 1, "invalid-utf8", key, msg);
        } else if (!ini_.HasBom() && multiByte && !invalid) {
            Add(Severity::Warning, k.entry.line, 0, "utf8-without-bom", key,
                "UTF-8 text in a file without the UTF-8 byte-order mark: the program shows these bytes in the PC's "
                "ANSI code page (as 'Ã©' for 'é'); save the file as UTF-8 with byte-order mark");
        }
    }
}

// ---------------------------------------------------------------- structure

void Checker::CheckStructure() {
    int readSection = -1;
    for (size_t i = 0; i < ini_.SectionCount(); ++i)
        if (ini_.SectionAt(i).read) readSection = static_cast<int>(i);

    size_t keysWithValue = 0;
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i)
        if (ini_.KeyLineAt(i).entry.value) ++keysWithValue;
    if (readSection < 0) {
        if (keysWithValue)
            Add(Severity::Error, 0, 0, "no-info-section", "",
                "the file has no [Info] section: the program reads no setting, every key keeps its default");
        else
            Add(Severity::Note, 0, 0, "no-settings", "", "the file sets nothing: every key keeps its default");
    }

    // Sections other than the read one, and the keys in them.
    for (size_t i = 0; i < ini_.SectionCount(); ++i) {
        const IniFile::Section& sec = ini_.SectionAt(i);
        if (sec.read) continue;
        size_t keys = 0;
        for (size_t j = 0; j < ini_.KeyLineCount(); ++j)
            if (ini_.KeyLineAt(j).section == static_cast<int>(i) && ini_.KeyLineAt(j).entry.value) ++keys;
        std::string name(sec.name, sec.nameLength);
        if (SameNoCase(name, "Info") && readSection >= 0) {
            char msg[160];
            std::snprintf(msg, sizeof msg,
                          "second [Info] section: the program reads only the first one (line %d); the keys below "
                          "are never read",
                          ini_.SectionAt(static_cast<size_t>(readSection)).line);
            Add(Severity::Warning, sec.line, 0, "duplicate-section", "", msg);
        } else if (keys) {
            Add(Severity::Warning, sec.line, 0, "other-section", "",
                "section [" + name + "] is never read; the program reads only [Info]");
        }
    }
    for (size_t j = 0; j < ini_.KeyLineCount(); ++j) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(j);
        if (k.kept || !k.entry.value) continue;
        const std::string key = KeyOf(k.entry);
        int number = 0;
        const SettingKey* row = FindSettingKey(k.entry.key, k.entry.keyLength, &number);
        if (k.section < 0) {
            Add(Severity::Warning, k.entry.line, 0, "key-outside-info", key,
                "key " + Quote(key) + " stands before any section header and is never read; put it under [Info]");
        } else {
            const IniFile::Section& sec = ini_.SectionAt(static_cast<size_t>(k.section));
            std::string name(sec.name, sec.nameLength);
            if (SameNoCase(name, "Info"))
                Add(Severity::Warning, k.entry.line, 0, "key-outside-info", key,
                    "key " + Quote(key) + " is in a second [Info] section and is never read");
            else if (row)
                Add(Severity::Warning, k.entry.line, 0, "key-outside-info", key,
                    "key " + Quote(key) + " is in section [" + name + "]; the program reads it only in [Info]");
        }
    }
}

void Checker::CheckLinesOfReadSection() {
    std::set<const IniFile::Entry*> noted;
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (!k.kept) continue;
        // The entry the program gets for this name (names end at a NUL byte):
        // one it asked for is that entry by definition.
        const bool asked = asked_[EntryNumber(*k.kept)];
        if (asked && k.entry.value) continue;  // the usual line: nothing to say
        const IniFile::Entry* winner;
        char name[128];
        if (asked) {
            winner = k.kept;
        } else if (k.entry.keyLength < sizeof name) {
            std::memcpy(name, k.entry.key, k.entry.keyLength);
            name[k.entry.keyLength] = '\0';
            winner = ini_.Find(name);
        } else {
            winner = ini_.Find(KeyOf(k.entry).c_str());
        }
        const std::string key = KeyOf(k.entry);
        if (winner && winner != k.kept) {
            char msg[200];
            std::snprintf(msg, sizeof msg, "duplicate key: the program uses the first one (line %d); this line is ignored",
                          winner->line);
            Add(Severity::Warning, k.entry.line, 0, "duplicate-key", key, "'" + key + "': " + msg);
            if (noted.insert(winner).second)
                Add(Severity::Note, winner->line, 0, "duplicate-key", key, "'" + key + "' is given here first; this value wins");
            continue;
        }
        if (!k.entry.value) {
            int number = 0;
            if (FindSettingKey(k.entry.key, k.entry.keyLength, &number))
                Add(Severity::Warning, k.entry.line, 0, "no-equals", key,
                    "line has no '=': " + Quote(key) + " gets no value and keeps its default");
            else
                Add(Severity::Warning, k.entry.line, 0, "no-equals", key,
                    "line has no '=' and sets nothing (comments start with ';')");
            continue;
        }
        if (!asked) ExplainUnread(k);
    }
}

void Checker::ExplainUnread(const IniFile::KeyLine& k) {
    const std::string key = KeyOf(k.entry);
    const int line = k.entry.line;
    int n = 0;
    const SettingKey* row = FindSettingKey(k.entry.key, k.entry.keyLength, &n);
    char msg[300];
    if (!row) {
        std::string suggestion = Suggest(key);
        std::string text = "unknown key " + Quote(key) + " is never read";
        if (!key.empty() && (key[0] == '#' || key.compare(0, 2, "//") == 0))
            text += " (only ';' starts a comment)";
        if (!suggestion.empty()) text += "; did you mean '" + suggestion + "'?";
        Add(Severity::Warning, line, 0, "unknown-key", key, text);
        return;
    }
    const std::string pattern = row->name;
    const bool numbered = pattern.find("%d") != std::string::npos;
    if (numbered && (n < kFirstSettingNumber || n > kLastSettingNumber)) {
        std::snprintf(msg, sizeof msg, "'%s' is never read: only numbers %d to %d are read", key.c_str(),
                      kFirstSettingNumber, kLastSettingNumber);
        Add(pattern == "Filename%d" || pattern == "ViewerFile%d" ? Severity::Error : Severity::Warning, line, 0,
            "number-out-of-range", key, msg);
        return;
    }
    if (pattern.compare(0, 8, "Filename") == 0 && numbered) {
        int stop = MenuStop();
        const Read* stopRead = nullptr;
        char stopKey[32];
        std::snprintf(stopKey, sizeof stopKey, "Filename%d", stop);
        stopRead = FindRead(stopKey);
        const char* why = stopRead && stopRead->lookup->entry ? "is empty" : "is missing";
        if (pattern == "Filename%d") {
            std::snprintf(msg, sizeof msg,
                          "menu entry %d is never read: menu entries stop at the first missing number, and %s %s", n,
                          stopKey, why);
            Add(Severity::Error, line, 0, "gap", key, msg);
        } else if (n >= stop) {
            std::snprintf(msg, sizeof msg, "'%s' is never read: menu entry %d does not exist (%s %s)", key.c_str(), n,
                          stopKey, why);
            Add(Severity::Warning, line, 0, "orphan-key", key, msg);
        } else {
            Add(Severity::Warning, line, 0, "not-read", key, "'" + key + "' is not read");
        }
        return;
    }
    if (pattern.compare(0, 6, "Viewer") == 0) {
        int stop = ViewerStop();
        char why[160];
        if (missingViewerMsg_ && missingViewerMsg_ == stop)
            std::snprintf(why, sizeof why, "viewer rules stop at rule %d, which has no ViewerMsg%d", stop, stop);
        else
            std::snprintf(why, sizeof why, "viewer rules stop at the first missing number, and ViewerFile%d is not given",
                          stop);
        if (pattern == "ViewerFile%d") {
            std::snprintf(msg, sizeof msg, "viewer rule %d is never read: %s", n, why);
            Add(Severity::Error, line, 0, "gap", key, msg);
        } else {
            std::snprintf(msg, sizeof msg, "'%s' is never read: %s", key.c_str(), why);
            Add(Severity::Warning, line, 0, "orphan-key", key, msg);
        }
        return;
    }
    if (pattern == "NoBrowser") {
        Add(Severity::Warning, line, 0, "not-read", key,
            "'NoBrowser' is not read because NoViewerCmd is given (NoBrowser is only read in its place)");
    } else if (pattern == "DoNotRepeatText") {
        Add(Severity::Warning, line, 0, "not-read", key,
            "'DoNotRepeatText' is not read without DoNotRepeatId: there is no \"Do not show again\" box");
    } else if (row->kind == SettingPositionY) {
        const char* xKey = pattern == "yPos" ? "xPos" : "xSplash";
        const Read* x = FindRead(xKey);
        std::string text;
        if (!x || x->value.empty())
            text = "'" + key + "' is not read without " + xKey;
        else if (PositionKeyword(x->value.c_str()))
            text = "'" + key + "' is not read: " + xKey + " is the keyword " + Quote(x->value);
        else
            text = "'" + key + "' is not read because " + xKey + " is not a position";
        Add(Severity::Warning, line, 0, "not-read", key, text);
    } else {
        Add(Severity::Warning, line, 0, "not-read", key, "'" + key + "' is not read");
    }
}

// ---------------------------------------------------------------- values

void Checker::CheckValues() {
    if (missingViewerMsg_) {
        char fileKey[32], msgKey[32], msg[300];
        std::snprintf(fileKey, sizeof fileKey, "ViewerFile%d", missingViewerMsg_);
        std::snprintf(msgKey, sizeof msgKey, "ViewerMsg%d", missingViewerMsg_);
        std::snprintf(msg, sizeof msg,
                      "%s has no %s (or it is empty): the program shows the message box \"%s parameter not given\" "
                      "and ignores viewer rule %d and every later one",
                      fileKey, msgKey, msgKey, missingViewerMsg_);
        Add(Severity::Error, LineOf(fileKey), 0, "viewer-msg-missing", fileKey, msg);
    }
    std::vector<char> seen(ini_.EntryCount());
    for (const Read& r : reads_) {
        if (!r.lookup->entry || !r.lookup->entry->value || !r.row) continue;
        char& once = seen[EntryNumber(*r.lookup->entry)];
        if (once) continue;
        once = 1;
        CheckValue(r);
    }
}

void Checker::CheckValue(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (!r.lookup->integer && r.full.size() > r.value.size()) {
        char msg[200];
        std::snprintf(msg, sizeof msg, "value has %zu characters; the program reads only the first %zu", r.full.size(),
                      r.value.size());
        Add(Severity::Warning, e.line, ColumnOf(e, r.full, r.value.size()), "cut", key, "'" + key + "': " + msg);
    }
    switch (r.row->kind) {
    case SettingInt:
    case SettingBits: CheckInteger(r); break;
    case SettingColour: CheckColour(r); break;
    case SettingPositionX: CheckPosition(r); break;
    case SettingCondition: CheckCondition(r); break;
    case SettingVersion: CheckVersion(r); break;
    case SettingSpecial:
        if (!r.value.empty() && r.value.find(',') == std::string::npos)
            Add(Severity::Warning, e.line, 0, "special-no-comma", key,
                "'" + key + "' has no comma and is ignored; write program.exe,parameters");
        break;
    case SettingWord:
        if (!r.value.empty() && !s_->retryShow) break;
        if (!r.value.empty() && !SameNoCase(r.value, "on") && !SameNoCase(r.value, "yes") && !SameNoCase(r.value, "true"))
            Add(Severity::Warning, e.line, 0, "retry-word", key,
                "'" + key + "' " + Quote(r.value) + " leaves the retry on: only off, no or false switch it off");
        break;
    default: break;
    }
}

void Checker::CheckInteger(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;  // empty: the default, as for a missing key
    const int32_t v = ini_.GetInt(key.c_str(), r.lookup->intDefault);
    char msg[300];
    // The program's integer rule (29 characters, an optional 0x/0o/0b prefix).
    const size_t length = r.value.size() < 29 ? r.value.size() : 29;
    size_t used = 0;
    bool wrapped = false;
    ProfileInteger(r.value.data(), length, &used, &wrapped);
    size_t rest = used;
    while (rest < r.value.size() && (r.value[rest] == ' ' || r.value[rest] == '\t')) ++rest;
    if (used == 0) {
        std::snprintf(msg, sizeof msg, "'%s' %s is not a number: the program reads 0", key.c_str(),
                      Quote(r.value).c_str());
        Add(Severity::Warning, e.line, 0, "not-a-number", key, msg);
    } else if (rest < r.value.size()) {
        std::snprintf(msg, sizeof msg, "'%s' %s: the text after the number is ignored, the program reads %d",
                      key.c_str(), Quote(r.value).c_str(), v);
        Add(Severity::Warning, e.line, 0, "not-a-number", key, msg);
    } else if (wrapped) {
        std::snprintf(msg, sizeof msg, "'%s' %s is too large for 32 bits: the program reads %d", key.c_str(),
                      Quote(r.value).c_str(), v);
        Add(Severity::Warning, e.line, 0, "number-wraps", key, msg);
    }
    const std::string name = LowerText(key);
    if (name == "showtime") {
        const char* code = nullptr;
        if (v >= 1 && v < 5) {
            std::snprintf(msg, sizeof msg, "ShowTime %d is raised to 5 seconds (the shortest time)", v);
            code = "showtime-raised";
        } else if (v == 0 || v < -1) {
            std::snprintf(msg, sizeof msg,
                          "ShowTime %d keeps the default of 15 seconds; -1 keeps the popup open, n > 0 closes it "
                          "after n seconds",
                          v);
            code = "showtime-default";
        } else if (v >= 1000) {
            std::snprintf(msg, sizeof msg, "ShowTime is in seconds: %d seconds is %d minutes (milliseconds meant?)", v,
                          v / 60);
            code = "time-in-seconds";
        }
        if (code) Add(Severity::Warning, e.line, 0, code, key, msg);
    } else if (name == "splashshowtime") {
        const char* code = nullptr;
        if (v <= 0) {
            std::snprintf(msg, sizeof msg, "SplashShowTime %d keeps the default of 5 seconds", v);
            code = "splashtime-default";
        } else if (v >= 1000) {
            std::snprintf(msg, sizeof msg,
                          "SplashShowTime is in seconds: %d seconds is %d minutes (milliseconds meant?)", v, v / 60);
            code = "time-in-seconds";
        }
        if (code) Add(Severity::Warning, e.line, 0, code, key, msg);
    } else if (name == "infoweight" || name == "msgweight") {
        int32_t clamped = name == "infoweight" ? s_->InfoWeight : s_->MsgWeight;
        if (clamped != v) {
            std::snprintf(msg, sizeof msg, "'%s' %d is clamped to %d: the weight is 0..9 in hundreds (%d means %d)",
                          key.c_str(), v, clamped, clamped, clamped * 100);
            Add(Severity::Warning, e.line, 0, "weight-clamped", key, msg);
        }
    } else if (r.row->kind == SettingBits) {
        uint32_t unused = static_cast<uint32_t>(v) & ~r.row->validBits;
        if (unused) {
            std::snprintf(msg, sizeof msg, "'%s' %d: the program uses only the bits in %u; 0x%X is ignored", key.c_str(),
                          v, r.row->validBits, unused);
            Add(Severity::Warning, e.line, 0, "unused-bits", key, msg);
        }
    }
}

void Checker::CheckColour(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    Colour c = kWindowColourMark;  // a value ParseColour never produces
    ParseColour(buf.data(), c);
    if (c == kWindowColourMark) {
        const std::string name = LowerText(key);
        const char* stays = name == "bkcolor"    ? "the system's window colour"
                            : name == "msgcolor" ? "128,128,255 (light blue)"
                                                 : "0,0,255 (blue)";
        Add(Severity::Error, e.line, 0, "bad-colour", key,
            "malformed colour " + Quote(r.value) + " for '" + key +
                "': needs three numbers red,green,blue separated by commas; the colour stays " + stays);
        return;
    }
    // ParseColour cut the text at the two commas: look at the three pieces.
    const char* red = buf.data();
    const char* green = red + std::strlen(red) + 1;
    const char* blue = green + std::strlen(green) + 1;
    for (const char* piece : {red, green, blue}) {
        if (!IsPlainNumber(piece, false) || DecimalValue(piece) > 255) {
            Add(Severity::Warning, e.line, 0, "colour-read-as", key,
                "colour " + Quote(r.value) + " for '" + key + "' is read as " + ColourText(c) +
                    ": each part must be a number from 0 to 255");
            return;
        }
    }
}

void Checker::CheckPosition(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    const bool popup = SameNoCase(key, "xPos");
    const char* yKey = popup ? "yPos" : "ySplash";
    const Position& p = popup ? s_->popupPos : s_->splashPos;
    const char* fallback = popup ? "the popup keeps its default place" : "the splash window is centred";
    if (PositionKeyword(r.value.c_str())) return;
    if (!IsDigit(r.value[0])) {
        std::string best;
        int bestDistance = 3;
        for (const char* k : kPositionKeywords) {
            int d = EditDistance(r.value, k);
            if (d < bestDistance) bestDistance = d, best = k;
        }
        std::string text = "'" + key + "' " + Quote(r.value) +
                           " is not a position (center, topleft, topright, bottomleft, bottomright, top, bottom, left, "
                           "right, or a number with " +
                           yKey + "); " + fallback;
        if (!best.empty()) text += "; did you mean '" + best + "'?";
        Add(Severity::Error, e.line, 0, "bad-position", key, text);
        return;
    }
    const Read* y = FindRead(yKey);
    if (p.x == -1) {
        std::string text;
        int line = e.line;
        if (!y || y->value.empty())
            text = "'" + key + "' is a number but " + yKey + " is not given: the position is ignored, " + fallback;
        else if (!IsDigit(y->value[0])) {
            text = "'" + std::string(yKey) + "' " + Quote(y->value) + " is not a number: the position is ignored, " +
                   fallback;
            if (y->lookup->entry) line = y->lookup->entry->line;
        } else
            text = "position numbers too large for 32 bits: the position is ignored, " + std::string(fallback);
        Add(Severity::Error, line, 0, "bad-position", key, text);
        return;
    }
    for (const Read* part : {&r, y}) {
        if (part && !IsPlainNumber(part->value.c_str(), false)) {
            char msg[200];
            std::snprintf(msg, sizeof msg, "'%s' %s: the text after the number is ignored, the program reads %d",
                          part->lookup->key, Quote(part->value).c_str(), part == &r ? p.x : p.y);
            Add(Severity::Warning, part->lookup->entry ? part->lookup->entry->line : e.line, 0, "not-a-number",
                part->lookup->key, msg);
        }
    }
}

void Checker::CheckCondition(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    Condition condition;
    const bool ok = ParseCondition(buf.data(), condition);
    const std::string errorText = condition.parseError ? condition.parseError : "";

    // Where each term starts in the text: a term is a letter and '?', and a
    // test term's operand runs to the next '?'. ParseCondition's count says
    // how many terms it took; this only turns that count into a column.
    const std::string& text = r.value;
    size_t pos = 0;
    for (int i = 0; i < condition.count && pos < text.size(); ++i) {
        pos += 2;
        int kind = condition.terms[i].kind;
        if (kind == TermFile || kind == TermVersion || kind == TermRegistry) {
            size_t q = text.find('?', pos);
            pos = q == std::string::npos ? text.size() : q + 1;
        }
    }
    if (pos > text.size()) pos = text.size();
    const bool main = SameNoCase(key, "FilenameCondition");
    char msg[400];
    if (!ok) {
        size_t termEnd = pos + 2 <= text.size() ? text.find('?', pos + 2) : std::string::npos;
        std::string term = text.substr(pos, termEnd == std::string::npos ? std::string::npos : termEnd - pos);
        std::snprintf(msg, sizeof msg, "condition: %s at term %d %s; %s", errorText.c_str(), condition.count + 1,
                      Quote(term, 40).c_str(),
                      main ? "the program shows this message instead of starting the target"
                           : (condition.count ? "the entry is tested with the terms before it only"
                                              : "the entry is tested without any term (always true)"));
        Add(Severity::Error, e.line, ColumnOf(e, text, pos), "bad-condition", key, msg);
    } else if (condition.count == kMaxTerms && pos < text.size()) {
        std::snprintf(msg, sizeof msg, "condition has more than %d terms: %s is ignored", static_cast<int>(kMaxTerms),
                      Quote(text.substr(pos), 40).c_str());
        Add(Severity::Warning, e.line, ColumnOf(e, text, pos), "condition-too-long", key, msg);
    }
    for (int i = 0; i < condition.count; ++i) {
        const ConditionTerm& t = condition.terms[i];
        if (t.kind == TermFile && t.path) filePaths_.push_back(std::make_pair(std::string(t.path), &e));
        if (t.kind == TermRegistry && t.op != OpNone && t.comparisonText &&
            (std::strncmp(t.comparisonText, "0x", 2) == 0 || std::strncmp(t.comparisonText, "0X", 2) == 0)) {
            int fault = RadixOk;
            ParseRadix(t.comparisonText.get() + 2, 16, &fault);
            if (fault != RadixOk) {
                std::string faultText = RadixFaultText(fault);
                while (!faultText.empty() && faultText.back() == '\n') faultText.pop_back();
                Add(Severity::Warning, e.line, 0, "bad-hex", key,
                    "comparison text " + Quote(t.comparisonText.get()) + " is not a hexadecimal number (" + faultText +
                        "): a number value never compares true with it");
            }
        }
    }
}

void Checker::CheckVersion(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    VersionBound bound;
    if (!ParseVersionBound(bound, buf.data()))
        Add(Severity::Error, e.line, 0, "bad-version", key,
            "malformed version bound " + Quote(r.value) + " for '" + key +
                "': write major.minor.build.revision (each 0 to 65535) or not, optionally followed by ,program.exe; "
                "no version test is made");
}

// ---------------------------------------------------------------- files

void Checker::CheckFile(const std::string& path, const IniFile::Entry* entry, const std::string& key, SettingFile kind,
                        bool inCondition) {
    if (path.empty()) return;
    const int line = entry ? entry->line : 0;
    if (kind == FileTarget && path[0] == '~') return;  // a verb target names a file class
    if (kind == FileProgram && path.find_first_of("\\/") == std::string::npos) return;  // found on the PATH
    bool nonAscii = false;
    for (char c : path) nonAscii = nonAscii || static_cast<unsigned char>(c) >= 0x80;
    if (ini_.HasBom() && nonAscii && (kind == FileBitmap || kind == FileSample || inCondition))
        Add(Severity::Warning, line, 0, "utf8-path", key,
            "file name " + Quote(path) +
                " has non-ASCII characters: in a UTF-8 settings file the program passes its bytes unconverted, so "
                "Windows looks for another name");
    std::string found;
    Medium::Kind k = medium_->Look(path, &found);
    if (k == Medium::NotChecked) return;
    if (k == Medium::Missing) {
        std::string text = "'" + key + "' names " + Quote(path) + ", which is not on the medium";
        Severity sev = Severity::Error;
        if (inCondition) text += ": the file test is false here", sev = Severity::Warning;
        else if (kind == FileBitmap) text += SameNoCase(key, "icon") ? ": the built-in logo is shown instead"
                                                                   : ": no splash window is shown";
        else if (kind == FileSample) text += ": the popup shows \"" + key + " (" + path + ") file not found.\"";
        else if (kind == FileProgram) sev = Severity::Warning;
        Add(sev, line, 0, "missing-file", key, text);
        return;
    }
    if (kind != FileBitmap) return;
    const char* instead = SameNoCase(key, "icon") ? "the built-in logo is shown instead" : "no splash window is shown";
    std::vector<unsigned char> bytes;
    if (k == Medium::Folder || !medium_->Read(found, bytes, kMaxBitmapBytes)) {
        Add(Severity::Error, line, 0, "bad-bitmap", key,
            "'" + key + "' " + Quote(path) + " cannot be read as a file: " + instead);
        return;
    }
    BmpVerdict verdict = CheckBmp(bytes.data(), bytes.size());
    if (verdict != BmpOk)
        Add(Severity::Error, line, 0, "bad-bitmap", key,
            "'" + key + "' " + Quote(path) + " is not a bitmap the program loads (" + BmpVerdictName(verdict) + "): " +
                instead);
}

void Checker::CheckFiles() {
    if (!medium_) return;
    for (const Read& r : reads_) {
        if (!r.row || r.row->file == FileNothing || !r.lookup->entry) continue;
        if (r.row->kind != SettingText) continue;
        if (r.row->file == FileBitmap && SameNoCase(r.value, "none") && EqualNoCase(r.lookup->key, "icon")) continue;
        // Only what the program keeps: menu entries and viewer rules it took.
        if (r.number && std::strncmp(r.row->name, "Filename", 8) == 0 && !s_->menu[r.number].present) continue;
        if (r.number && std::strncmp(r.row->name, "Viewer", 6) == 0 && !s_->viewer[r.number].present) continue;
        CheckFile(r.value, r.lookup->entry, r.lookup->key, r.row->file, false);
    }
    for (const auto& f : filePaths_) CheckFile(f.first, f.second, KeyOf(*f.second), FileTarget, true);
}

// ---------------------------------------------------------------- explain

std::string Checker::Effective(const Read& r) const {
    // The table's spelling of the name when it has one (the program asks in
    // that spelling), so that no lower-case copy is made for every row.
    const std::string name = r.row ? std::string() : LowerText(r.lookup->key);
    const char* const rowName = r.row ? r.row->name : nullptr;
    auto is = [&](const char* lower) { return rowName ? EqualNoCase(lower, rowName) : name == lower; };
    const Settings& s = *s_;
    char buf[160];
    auto position = [&](const Position& p, const char* absent) -> std::string {
        if (p.x <= -2 && p.x >= -10) return kPositionKeywords[-2 - p.x];
        if (p.x < 0) return absent;
        std::snprintf(buf, sizeof buf, "(%d, %d)", p.x, p.y);
        return buf;
    };
    if (is("showtime")) {
        if (s.ShowTime == -1) return "never closes by itself";
        std::snprintf(buf, sizeof buf, "%d ms", s.ShowTime);
        return buf;
    }
    if (is("splashshowtime")) return std::to_string(s.SplashShowTime) + " ms";
    if (is("infoweight")) return "weight " + std::to_string(s.InfoWeight * 100);
    if (is("msgweight")) return "weight " + std::to_string(s.MsgWeight * 100);
    if (is("donotrepeatcolor")) return ColourText(s.DoNotRepeatColor);
    if (is("infocolor")) return ColourText(s.InfoColor);
    if (is("msgcolor")) return ColourText(s.MsgColor);
    if (is("bkcolor")) return s.BkColor == kWindowColourMark ? "the system's window colour" : ColourText(s.BkColor);
    if (is("xpos")) return position(s.popupPos, s.anyButton ? "centre (menu mode)" : "top left");
    if (is("xsplash")) return position(s.splashPos, "centred");
    if (is("web") || is("webmsg")) return is("web") ? s.Web : s.WebMsg;
    if (is("noviewercmd")) return s.NoViewerCmd;
    if (is("noviewercmdclickretryshow")) return s.retryShow ? "retry on" : "retry off";
    if (is("specialparam") || (r.row && r.row->kind == SettingSpecial)) {
        const char* program = s.specialProgram;
        const char* params = s.specialParameters;
        if (r.number) program = s.menu[r.number].specialProgram, params = s.menu[r.number].specialParameters;
        if (!program) return r.value.empty() ? "" : "ignored (no comma)";
        return std::string("program '") + program + "', parameters '" + (params ? params : "") + "'";
    }
    if (r.row && r.row->kind == SettingCondition) {
        const Condition& c = r.number ? s.menu[r.number].condition : s.FilenameCondition;
        if (r.value.empty()) return "";
        return std::to_string(c.count) + (c.count == 1 ? " term" : " terms");
    }
    if (r.row && r.row->kind == SettingVersion) {
        const VersionBound& b = r.number ? s.viewer[r.number].versionBound : s.NoViewerVersion;
        if (r.value.empty()) return "";
        if (!b.set) return "not set (malformed)";
        if (b.negated) std::snprintf(buf, sizeof buf, "not");
        else std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", b.major, b.minor, b.build, b.revision);
        return std::string(buf) + (b.programName ? std::string(" for ") + b.programName.get() : std::string());
    }
    return "";
}

void Checker::BuildSettingRows() {
    // One row per key, at its first reading; a key is its table row and
    // number (names outside the table by their lower-case spelling).
    std::vector<char> done(kSettingKeyCount * (kLastSettingNumber + 1));
    std::set<std::string> doneOutside;
    report_.settings.reserve(reads_.size());
    for (const Read& r : reads_) {
        if (r.row && r.number >= 0 && r.number <= kLastSettingNumber) {
            char& once = done[static_cast<size_t>(r.row - kSettingKeys) * (kLastSettingNumber + 1) + r.number];
            if (once) continue;
            once = 1;
        } else if (!doneOutside.insert(LowerText(r.lookup->key)).second) {
            continue;
        }
        SettingRow row;
        row.key = r.lookup->key;
        const IniFile::Entry* e = r.lookup->entry;
        row.line = e ? e->line : 0;
        row.integer = r.lookup->integer;
        if (r.lookup->integer) {
            row.value = std::to_string(ini_.GetInt(r.lookup->key, r.lookup->intDefault));
            row.isDefault = !e || !e->value || r.value.empty();
        } else {
            row.value = r.value;
            row.isDefault = !e || !e->value;
        }
        row.effective = Effective(r);
        if (row.effective == row.value) row.effective.clear();
        report_.settings.push_back(std::move(row));
    }
}

// ---------------------------------------------------------------- run

Report Checker::Run() {
    CheckEncoding();
    const size_t size = size_ > kMaxSettingsBytes ? static_cast<size_t>(kMaxSettingsBytes) : size_;
    ini_.Load(data_, size, "Info", true);
    report_.utf8 = ini_.HasBom();
    asked_.assign(ini_.EntryCount(), 0);
    lineOf_.assign(ini_.EntryCount(), nullptr);
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (k.kept) lineOf_[EntryNumber(*k.kept)] = &k;
    }

    // The program's own reading, with every look-up recorded.
    log_->count = 0;
    log_->overflow = false;
    ini_.SetLookupLog(log_);
    ReadSettings(ini_, *s_, kWindowColourMark);
    missingViewerMsg_ = s_->viewerMsgMissing;
    ini_.SetLookupLog(nullptr);

    reads_.reserve(log_->count);
    std::vector<char> buf;  // one buffer for every value, never cleared: the reader terminates
    for (size_t i = 0; i < log_->count; ++i) {
        const IniFile::Lookup& l = log_->items[i];
        Read r;
        r.lookup = &l;
        r.number = 0;
        r.row = RowOf(l.key, std::strlen(l.key), &r.number);
        // The texts straight from the winning entry, as GetString hands them out.
        const size_t whole = l.entry && l.entry->value ? l.entry->valueLength + 1 : 0;
        if (buf.size() < l.capacity || buf.size() < whole) buf.resize(l.capacity > whole ? l.capacity : whole);
        if (!l.integer && l.capacity) {
            IniFile::CopyValue(l.entry, l.def, buf.data(), l.capacity);
            r.value = buf.data();
        } else if (whole) {
            IniFile::CopyValue(l.entry, "", buf.data(), whole);
            r.value = buf.data();
        }
        if (whole) {
            IniFile::CopyValue(l.entry, "", buf.data(), whole);
            r.full = buf.data();
        } else {
            r.full = r.value;
        }
        if (l.entry) asked_[EntryNumber(*l.entry)] = 1;
        reads_.push_back(r);
    }

    CheckStructure();
    CheckLinesOfReadSection();
    CheckValues();
    CheckFiles();
    CheckUtf8();
    BuildSettingRows();

    report_.Finish();
    ReleaseSettingsTexts(*s_);
    return std::move(report_);  // the checker ends here; spare the copy
}

}  // namespace

Report CheckSettings(const char* data, size_t size, const Medium* medium) {
    if (!data) size = 0;
    Checker checker(data ? data : "", size, medium);
    return checker.Run();
}

int EditDistance(const std::string& a, const std::string& b) {
    // Optimal string alignment distance: insert, delete, replace, swap; three
    // rows of the table are all it needs.
    const size_t n = a.size(), m = b.size();
    std::vector<int> rows(3 * (m + 1));
    int* before = &rows[0];       // row i - 2
    int* previous = &rows[m + 1];  // row i - 1
    int* current = &rows[2 * (m + 1)];
    for (size_t j = 0; j <= m; ++j) previous[j] = static_cast<int>(j);
    for (size_t i = 1; i <= n; ++i) {
        current[0] = static_cast<int>(i);
        const char x = LowerAscii(a[i - 1]);
        for (size_t j = 1; j <= m; ++j) {
            const char y = LowerAscii(b[j - 1]);
            int best = previous[j - 1] + (x == y ? 0 : 1);
            if (previous[j] + 1 < best) best = previous[j] + 1;
            if (current[j - 1] + 1 < best) best = current[j - 1] + 1;
            if (i > 1 && j > 1 && x == LowerAscii(b[j - 2]) && LowerAscii(a[i - 2]) == y && before[j - 2] + 1 < best)
                best = before[j - 2] + 1;
            current[j] = best;
        }
        int* t = before;
        before = previous;
        previous = current;
        current = t;
    }
    return previous[m];
}

}  // namespace corvcheck
