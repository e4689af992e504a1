// The parts of the settings engine that its files share and nothing else
// sees: the checker, with what it learnt from the program's reading, and the
// small text helpers of its messages. Platform-free, as the engine is.
#pragma once
#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "tools/check/check_engine.h"
#include "tools/check/text_case.h"

namespace corvcheck {
namespace engine {

// Stands in for the system window colour: no parsed colour has a high byte.
const Colour kWindowColourMark = 0xFF000000u;

// A value as quoted in a message: cut when long, control bytes made visible.
std::string Quote(const std::string& s, size_t limit = 60);
std::string ColourText(Colour c);
std::string ColourName(Colour c);  // ColourText, with the name of a default colour
// The first row of a numbered list's rows: the key that ends the list.
const SettingKey& ListHead(const SettingKey& row);
// The row of a list that the list cannot go without (ViewerMsg<n>).
const SettingKey& ListRequired(const SettingKey& head);
inline std::string KeyOf(const IniFile::Entry& e) { return std::string(e.key, e.keyLength); }
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }
// True for blanks, an optional sign, digits, blanks: a number and nothing else.
bool IsPlainNumber(const char* p, bool allowSign);

// What the checker knows of Windows' display languages (check_languages.cpp).
// The ANSI code page that PCs of the language of `tag` read a file without a
// byte-order mark in; 0 when Windows has none for it (Unicode-only
// languages), -1 for a language Windows shows no display in.
int LanguageCodePage(const std::string& tag);
// For a tag whose language Windows shows no display in: the tag an author
// most likely meant ("jp": "ja"), or empty.
std::string LikelyLanguage(const std::string& tag);

// A finding as the language-section runs compare them: line, code, message.
std::string FindingKey(int line, const std::string& code, const std::string& message);

// More language sections than this are not checked one by one: each is a
// reading of the whole file.
enum { kMaxLanguageRuns = 64 };

// One check of one file. Its member functions live in the engine's files by
// subject: reading (check_engine.cpp), encoding and keys (check_keys.cpp),
// numbered lists (check_numbering.cpp), values (check_values.cpp), files on
// the medium (check_paths.cpp) and the settings table (check_explain.cpp).
class Checker {
public:
    // `languages`: the user's display languages the file is read for (none:
    // [Info] alone). `known`: the findings of [Info] read alone (FindingKey);
    // any other finding is the language section's doing and named after it.
    // A check of the `wholeFile` tells all it finds, also of the file's
    // structure; a check of one language section after that of [Info] tells
    // only what is new.
    Checker(const char* data, size_t size, const Medium* medium, int codePage, const std::vector<LanguageTag>& languages,
            const std::set<std::string>* known, bool wholeFile);
    Report Run();
    // The tags of the language sections to check one by one, once Run is done.
    const std::vector<std::string>& SectionsToCheck() const { return sectionsToCheck_; }

private:
    struct Read {  // one key the reader asked for, with what it got
        const IniFile::Lookup* lookup;
        const SettingKey* row;
        int number;
        std::string value;  // as the program got it (cut to capacity)
        std::string full;   // the whole value in the file
    };

    // Messages and keys quote the file's bytes; Add turns them into UTF-8.
    void Add(Severity s, int line, int column, const char* code, const std::string& key, const std::string& message);
    // The same for a key and message in UTF-8 already: names the section, and
    // in a run of one language section drops what the run of [Info] told.
    void AddText(Severity s, int line, int column, const char* code, const std::string& key, std::string message);
    std::string SectionOfLine(int line) const;  // see Finding::section
    std::string SectionName(size_t index) const;
    // Whether the section of that index is [Info.<tag>], and its tag ("de-AT").
    bool LanguageTagOf(size_t index, std::string* tag) const;
    bool InLanguageSection(int index) const;  // the section of that index is [Info.<tag>]
    // A file's text as UTF-8 (see FileTextIsUtf8).
    std::string FileText(const std::string& bytes) const;
    void ReadAsTheProgramDoes();
    void CollectReads();
    void CheckEncoding();
    void CheckStructure();
    void CheckLinesOfReadSection();
    void ExplainUnread(const IniFile::KeyLine& k);
    void ExplainUnknownKey(const std::string& key, int line);
    void ExplainMenuNumbering(const std::string& key, int line, const SettingKey& row, int n);
    void ExplainViewerNumbering(const std::string& key, int line, const SettingKey& row, int n);
    void ExplainOtherUnread(const std::string& key, int line, const SettingKey& row);
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
    void CheckContrast();
    // Language sections (check_languages.cpp).
    void LocateLanguageSection();
    void CheckLanguageSections();
    void CheckLanguageOnlyKeys();
    void CheckLanguageCodePage();
    void TellLanguageChoice();
    void BuildSettingRows();
    std::string Effective(const Read& r) const;

    // The field the program filled for a read: in Settings, or in the menu
    // entry or viewer rule of its number.
    const char* RecordOf(const Read& r) const;
    template <typename T>
    const T& Stored(const Read& r) const {
        return *reinterpret_cast<const T*>(RecordOf(r) + r.row->offset);
    }

    // The name of the plain key whose field in Settings is `field`.
    const char* NameOf(const void* field) const;
    bool IsLogo(const std::string& key) const { return SameNoCase(key, NameOf(s_->icon)); }

    const Read* FindRead(const char* key) const;
    int LineOf(const char* key) const;
    int ColumnOf(const IniFile::Entry& e, const std::string& value, size_t offset) const;
    std::string Suggest(const std::string& key) const;
    int MenuStop() const;    // first entry number whose Filename<n> was not given, or 11
    int ViewerStop() const;  // first rule number not taken, or 11

    const char* data_;
    size_t size_;
    const Medium* medium_;
    int codePage_;
    std::vector<LanguageTag> languages_;
    const std::set<std::string>* known_;
    bool wholeFile_;
    // The language section read over [Info]: its index among the sections,
    // its name ("Info.de") and its lines; -1 when none is.
    int section_ = -1;
    std::string sectionName_;
    int sectionFirst_ = 0, sectionLast_ = 0;
    std::vector<std::string> sectionsToCheck_;
    Encoding encoding_ = Encoding::Ansi;
    std::string decoded_;  // a UTF-16 file's text as UTF-8, which the reader then reads
    // An ANSI file whose bytes are all UTF-8: its author's editor wrote UTF-8,
    // so its texts are quoted as UTF-8 rather than decoded in the code page.
    bool fileTextIsUtf8_ = false;
    IniFile ini_;
    Settings* s_;
    IniFile::LookupLog* log_;
    int missingViewerMsg_ = 0;
    std::vector<Read> reads_;
    // By entry number (the entry's place among the reader's entries):
    std::vector<char> asked_;                      // the program asked for it
    std::vector<const IniFile::KeyLine*> lineOf_;  // its line in the listing
    size_t EntryNumber(const IniFile::Entry& e) const { return static_cast<size_t>(&e - &ini_.EntryAt(0)); }
    std::vector<std::pair<std::string, const IniFile::Entry*>> filePaths_;  // f? operands
    Report report_;
};

}  // namespace engine
}  // namespace corvcheck
