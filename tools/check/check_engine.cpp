// The findings engine. Everything the program would do with the file is
// learnt from the program's own code: the reader (IniFile, with its
// structural listing and look-up log), ReadSettings itself, the key table and
// the value parsers. The checker only compares what the file says with what
// those functions made of it. This file reads the file as the program does;
// the checks live beside it (see check_internal.h).
#include "tools/check/check_engine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <unordered_map>
#include <utility>

#include "base/text.h"
#include "settings/ini_reader.h"
#include "settings/languages.h"
#include "settings/settings.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

const char* SeverityName(Severity severity) {
    switch (severity) {
    case Severity::Note: return "note";
    case Severity::Warning: return "warning";
    case Severity::Error: return "error";
    }
    return "note";
}

const char* EncodingName(Encoding encoding) {
    switch (encoding) {
    case Encoding::Ansi: return "ansi";
    case Encoding::Utf8: return "utf-8";
    case Encoding::Utf16Le: return "utf-16le";
    case Encoding::Utf16Be: return "utf-16be";
    }
    return "ansi";
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

}  // namespace

namespace engine {

std::string Quote(const std::string& s, size_t limit) {
    std::string r = "'";
    size_t n = s.size() < limit ? s.size() : limit;
    // Not inside a UTF-8 character (in ANSI text this cuts a few bytes early).
    while (n < s.size() && n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80) --n;
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

std::string ColourName(Colour c) {
    if (c == kDefaultMsgColour) return ColourText(c) + " (light blue)";
    if (c == 0x00FF0000) return ColourText(c) + " (blue)";
    return ColourText(c);
}

bool IsPlainNumber(const char* p, bool allowSign) {
    while (*p == ' ' || *p == '\t') ++p;
    if (allowSign && (*p == '-' || *p == '+')) ++p;
    if (!IsDigit(*p)) return false;
    while (IsDigit(*p)) ++p;
    while (*p == ' ' || *p == '\t') ++p;
    return *p == '\0';
}

Checker::Checker(const char* data, size_t size, const Medium* medium, int codePage,
                 const std::vector<LanguageTag>& languages, const std::set<std::string>* known, bool wholeFile)
    : data_(data), size_(size), medium_(medium), codePage_(codePage), languages_(languages), known_(known),
      wholeFile_(wholeFile), s_(&SharedSettings()), log_(&SharedLog()) {}

std::string FindingKey(int line, const std::string& code, const std::string& message) {
    return std::to_string(line) + '\x1F' + code + '\x1F' + message;
}

void Checker::Add(Severity s, int line, int column, const char* code, const std::string& key,
                  const std::string& message) {
    AddText(s, line, column, code, FileText(key), FileText(message));
}

void Checker::AddText(Severity s, int line, int column, const char* code, const std::string& key,
                      std::string message) {
    const bool inSection = section_ >= 0 && line >= sectionFirst_ && line <= sectionLast_;
    const bool known = known_ && !inSection && known_->count(FindingKey(line, code, message));
    if (known && !wholeFile_) return;
    std::string section = FileText(SectionOfLine(line));
    // What a language section brings about is told in its name, also where
    // it shows on a line of [Info] (an entry that its empty Filename<n> ends).
    if (!sectionName_.empty() && (inSection || (known_ && !known))) {
        section = FileText(sectionName_);
        const std::string name = "[" + section + "]";
        if (message.compare(0, name.size(), name) != 0) message = name + " " + message;
    }
    report_.Add(s, line, column, code, key, message, section);
}

bool Checker::LanguageTagOf(size_t index, std::string* tag) const {
    const IniFile::Section& sec = ini_.SectionAt(index);
    const char* text = nullptr;
    size_t length = 0;
    if (!LanguageSectionTag(sec.name, sec.nameLength, &text, &length)) return false;
    if (tag) tag->assign(text, length);
    return true;
}

std::string Checker::SectionName(size_t index) const {
    const IniFile::Section& sec = ini_.SectionAt(index);
    if (CompareNoCase(sec.name, sec.nameLength, "Info", 4) == 0) return "Info";
    std::string tag;
    return LanguageTagOf(index, &tag) ? "Info." + tag : std::string(sec.name, sec.nameLength);
}

std::string Checker::SectionOfLine(int line) const {
    // The last section whose header stands at or before the line.
    size_t lo = 0, hi = ini_.SectionCount();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        if (ini_.SectionAt(mid).line <= line) lo = mid + 1;
        else hi = mid;
    }
    return line > 0 && lo > 0 ? SectionName(lo - 1) : std::string();
}

bool Checker::InLanguageSection(int index) const {
    return index >= 0 && LanguageTagOf(static_cast<size_t>(index), nullptr);
}

std::string Checker::FileText(const std::string& bytes) const {
    if (encoding_ != Encoding::Ansi || fileTextIsUtf8_) return bytes;
    return AnsiToUtf8(bytes, codePage_);
}

const char* Checker::RecordOf(const Read& r) const {
    if (r.row->place == PlaceMenu) return reinterpret_cast<const char*>(&s_->menu[r.number]);
    if (r.row->place == PlaceViewer) return reinterpret_cast<const char*>(&s_->viewer[r.number]);
    return reinterpret_cast<const char*>(s_);
}

const char* Checker::NameOf(const void* field) const {
    for (size_t i = 0; i < kSettingKeyCount; ++i)
        if (kSettingKeys[i].place == PlaceSettings && reinterpret_cast<const char*>(s_) + kSettingKeys[i].offset == field)
            return kSettingKeys[i].name;
    return "";
}

const SettingKey& ListHead(const SettingKey& row) {
    const SettingKey* head = &row;
    while (head > kSettingKeys && head[-1].place == row.place) --head;
    return *head;
}

const SettingKey& ListRequired(const SettingKey& head) {
    const SettingKey* required = &head;
    while (!(required->flags & FlagRequired) && required[1].place == head.place) ++required;
    return *required;
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

Report Checker::Run() {
    CheckEncoding();
    ReadAsTheProgramDoes();
    LocateLanguageSection();
    CollectReads();
    if (wholeFile_) {
        CheckStructure();
        CheckLanguageSections();
    }
    CheckLinesOfReadSection();
    CheckValues();
    CheckFiles();
    CheckUtf8();
    CheckContrast();
    if (!sectionName_.empty()) {
        CheckLanguageOnlyKeys();
        CheckLanguageCodePage();
    }
    if (wholeFile_) {
        if (!languages_.empty()) TellLanguageChoice();
        BuildSettingRows();
    }

    report_.Finish();
    ReleaseSettingsTexts(*s_);
    return std::move(report_);  // the checker ends here; spare the copy
}

// The program's own reading of the file, with every look-up recorded.
// (CheckEncoding has bounded the text and decoded a UTF-16 file.)
void Checker::ReadAsTheProgramDoes() {
    ini_.Load(data_, size_, "Info", true, languages_.data(), languages_.size());
    report_.utf8 = encoding_ == Encoding::Utf8;
    report_.encoding = encoding_;
    asked_.assign(ini_.EntryCount(), 0);
    lineOf_.assign(ini_.EntryCount(), nullptr);
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (k.kept) lineOf_[EntryNumber(*k.kept)] = &k;
    }

    log_->count = 0;
    log_->overflow = false;
    ini_.SetLookupLog(log_);
    ReadSettings(ini_, *s_, kWindowColourMark);
    missingViewerMsg_ = s_->viewerMsgMissing;
    ini_.SetLookupLog(nullptr);
}

// What each look-up got: the value as the program holds it and the whole
// value in the file.
void Checker::CollectReads() {
    reads_.reserve(log_->count);
    std::vector<char> buf;  // one buffer for every value, never cleared: the reader terminates
    const bool characters = ini_.CountsCharacters();
    for (size_t i = 0; i < log_->count; ++i) {
        const IniFile::Lookup& l = log_->items[i];
        Read r;
        r.lookup = &l;
        r.number = 0;
        r.row = RowOf(l.key, std::strlen(l.key), &r.number);
        // The texts straight from the winning entry, as GetString hands them out.
        const size_t whole = l.entry && l.entry->value ? l.entry->valueLength + 1 : 0;
        const size_t room = IniFile::DecodedRoom(l.capacity);
        if (buf.size() < room || buf.size() < whole) buf.resize(room > whole ? room : whole);
        if (!l.integer && l.capacity) {
            IniFile::CopyValue(l.entry, l.def, buf.data(), l.capacity, characters);
            r.value = buf.data();
        } else if (whole) {
            IniFile::CopyValue(l.entry, "", buf.data(), whole, false);
            r.value = buf.data();
        }
        if (whole) {
            IniFile::CopyValue(l.entry, "", buf.data(), whole, false);
            r.full = buf.data();
        } else {
            r.full = r.value;
        }
        if (l.entry) asked_[EntryNumber(*l.entry)] = 1;
        reads_.push_back(r);
    }
}

}  // namespace engine

Report CheckSettings(const char* data, size_t size, const Medium* medium, int codePage,
                     const std::vector<std::string>& languages) {
    if (!data) data = "", size = 0;
    engine::Checker whole(data, size, medium, codePage, std::vector<LanguageTag>(), nullptr, true);
    Report report = whole.Run();
    if (languages.empty() && whole.SectionsToCheck().empty()) return report;
    std::set<std::string> known;
    for (const Finding& f : report.findings) known.insert(engine::FindingKey(f.line, f.code, f.message));
    if (!languages.empty()) {
        // As this user sees the file: all of it, what [Info] alone does not
        // show in the name of their language section.
        std::vector<LanguageTag> tags;
        for (const std::string& tag : languages) tags.push_back(LanguageTag{tag.data(), tag.size()});
        engine::Checker view(data, size, medium, codePage, tags, &known, true);
        return view.Run();
    }
    // Each language section as its users see it over [Info]; what [Info]
    // alone shows was told already.
    for (const std::string& tag : whole.SectionsToCheck()) {
        engine::Checker section(data, size, medium, codePage, {LanguageTag{tag.data(), tag.size()}}, &known, false);
        Report more = section.Run();
        report.findings.insert(report.findings.end(), more.findings.begin(), more.findings.end());
    }
    report.Finish();
    return report;
}

}  // namespace corvcheck
