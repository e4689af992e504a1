// Language sections: [Info.<tag>] beside [Info] holds what users of one
// display language see instead of [Info]'s keys. Here: whether a section's
// tag is one a user's language can ever choose, what a section sets that
// [Info] does not, whether its text survives a file without a byte-order
// mark on that language's PCs, and which section a given user gets.
#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>

#include "settings/languages.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_case.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

namespace {

// The languages Windows shows its display in (language packs and interface
// packs), by the first part of their tags, with the ANSI code page their PCs
// read files without a mark in (0: Unicode-only, none). A script or region
// may change the page (LanguageCodePage).
struct WindowsLanguage {
    const char* language;
    int codePage;
};
const WindowsLanguage kWindowsLanguages[] = {
    {"af", 1252},  {"am", 0},      {"ar", 1256},  {"as", 0},     {"az", 1254},   {"be", 1251},  {"bg", 1251},
    {"bn", 0},     {"bs", 1250},   {"ca", 1252},  {"chr", 0},    {"cs", 1250},   {"cy", 1252},  {"da", 1252},
    {"de", 1252},  {"el", 1253},   {"en", 1252},  {"es", 1252},  {"et", 1257},   {"eu", 1252},  {"fa", 1256},
    {"fi", 1252},  {"fil", 1252},  {"fr", 1252},  {"ga", 1252},  {"gd", 1252},   {"gl", 1252},  {"gu", 0},
    {"ha", 1252},  {"he", 1255},   {"hi", 0},     {"hr", 1250},  {"hu", 1250},   {"hy", 0},     {"id", 1252},
    {"ig", 1252},  {"is", 1252},   {"it", 1252},  {"ja", 932},   {"ka", 0},      {"kk", 1251},  {"km", 0},
    {"kn", 0},     {"ko", 949},    {"kok", 0},    {"ku", 1256},  {"ky", 1251},   {"lb", 1252},  {"lo", 0},
    {"lt", 1257},  {"lv", 1257},   {"mi", 0},     {"mk", 1251},  {"ml", 0},      {"mn", 1251},  {"mr", 0},
    {"ms", 1252},  {"mt", 0},      {"nb", 1252},  {"ne", 0},     {"nl", 1252},   {"nn", 1252},  {"nso", 1252},
    {"or", 0},     {"pa", 0},      {"pl", 1250},  {"prs", 1256}, {"ps", 0},      {"pt", 1252},  {"quc", 1252},
    {"quz", 1252}, {"ro", 1250},   {"ru", 1251},  {"rw", 1252},  {"sd", 1256},   {"si", 0},     {"sk", 1250},
    {"sl", 1250},  {"sq", 1250},   {"sr", 1250},  {"sv", 1252},  {"sw", 1252},   {"ta", 0},     {"te", 0},
    {"tg", 1251},  {"th", 874},    {"ti", 0},     {"tk", 1250},  {"tn", 1252},   {"tr", 1254},  {"tt", 1251},
    {"ug", 1256},  {"uk", 1251},   {"ur", 1256},  {"uz", 1254},  {"vi", 1258},   {"wo", 1252},  {"xh", 1252},
    {"yo", 1252},  {"zh", 936},    {"zu", 1252},
};

// First parts authors write for a language under another name, mostly a
// country's: no user's display language is named so.
const char* const kLikelyMeant[][2] = {
    {"jp", "ja"}, {"cn", "zh-CN"}, {"tw", "zh-TW"}, {"gr", "el"}, {"cz", "cs"}, {"dk", "da"}, {"se", "sv"},
    {"ua", "uk"}, {"kr", "ko"},    {"no", "nb"},    {"iw", "he"}, {"il", "he"}, {"in", "id"}, {"br", "pt-BR"},
    {"ee", "et"}, {"vn", "vi"},
};

struct TagParts {
    std::string language, script, region;
};

TagParts SplitTag(const std::string& tag) {
    TagParts parts;
    size_t start = 0;
    for (int place = 0; start <= tag.size(); ++place) {
        size_t end = tag.find('-', start);
        if (end == std::string::npos) end = tag.size();
        const std::string part = tag.substr(start, end - start);
        if (place == 0) parts.language = part;
        else if (part.size() == 4) parts.script = part;
        else if (parts.region.empty() && (part.size() == 2 || part.size() == 3)) parts.region = part;
        start = end + 1;
    }
    return parts;
}

const WindowsLanguage* FindLanguage(const std::string& language) {
    for (const WindowsLanguage& l : kWindowsLanguages)
        if (SameNoCase(language, l.language)) return &l;
    return nullptr;
}

}  // namespace

bool IsLanguageTag(const std::string& tag) { return IsWellFormedLanguageTag(tag.data(), tag.size()); }

namespace engine {

int LanguageCodePage(const std::string& tag) {
    const TagParts parts = SplitTag(tag);
    const WindowsLanguage* language = FindLanguage(parts.language);
    if (!language) return -1;
    if (SameNoCase(parts.script, "Cyrl")) return 1251;
    if (SameNoCase(parts.script, "Arab")) return 1256;
    if (SameNoCase(parts.language, "zh")) {
        const bool traditional = SameNoCase(parts.script, "Hant") || SameNoCase(parts.region, "TW") ||
                                 SameNoCase(parts.region, "HK") || SameNoCase(parts.region, "MO");
        return traditional ? 950 : 936;
    }
    return language->codePage;
}

std::string LikelyLanguage(const std::string& tag) {
    const TagParts parts = SplitTag(tag);
    for (const auto& slip : kLikelyMeant) {
        if (!SameNoCase(parts.language, slip[0])) continue;
        const std::string meant = slip[1];
        if (tag.size() == parts.language.size()) return meant;
        return meant.substr(0, meant.find('-')) + tag.substr(parts.language.size());
    }
    return std::string();
}

// The section the user's languages chose, found among the listed ones by
// its place in the file: the first of equal tags is the one read.
void Checker::LocateLanguageSection() {
    const LanguageTag chosen = ini_.Language();
    if (!chosen.length) return;
    sectionName_ = "Info." + std::string(chosen.text, chosen.length);
    for (size_t i = 0; i < ini_.SectionCount(); ++i) {
        const IniFile::Section& sec = ini_.SectionAt(i);
        const char* tag = nullptr;
        size_t tagLength = 0;
        if (!LanguageSectionTag(sec.name, sec.nameLength, &tag, &tagLength) || tag != chosen.text) continue;
        section_ = static_cast<int>(i);
        sectionName_ = SectionName(i);
        sectionFirst_ = sec.line;
        sectionLast_ = i + 1 < ini_.SectionCount() ? ini_.SectionAt(i + 1).line - 1 : INT_MAX;
        return;
    }
}

// Tags no user's language chooses, sections read only once, and which
// sections are worth a reading of their own.
void Checker::CheckLanguageSections() {
    std::vector<int> keys(ini_.SectionCount());
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (k.section >= 0 && k.entry.value) ++keys[static_cast<size_t>(k.section)];
    }
    std::vector<std::pair<std::string, int>> firsts;  // each tag's first section, by its line
    bool toldLimit = false;
    for (size_t i = 0; i < ini_.SectionCount(); ++i) {
        const IniFile::Section& sec = ini_.SectionAt(i);
        std::string tag;
        if (!LanguageTagOf(i, &tag)) continue;
        const std::string name = "[" + SectionName(i) + "]";
        if (!IsLanguageTag(tag)) {
            std::string mended = tag;
            std::replace(mended.begin(), mended.end(), '_', '-');
            mended.erase(std::remove(mended.begin(), mended.end(), ' '), mended.end());
            std::string text = name + " is never read: " + Quote(tag) +
                               " is not a language tag as Windows names display languages (a language, then "
                               "optionally a script and a region, joined by '-': de, de-AT, sr-Latn, zh-TW)";
            if (IsLanguageTag(mended)) text += "; did you mean [Info." + mended + "]?";
            Add(Severity::Warning, sec.line, 0, "language-tag", "", text);
            continue;
        }
        const auto first = std::find_if(firsts.begin(), firsts.end(),
                                        [&](const std::pair<std::string, int>& f) { return SameNoCase(f.first, tag); });
        if (first != firsts.end()) {
            Add(Severity::Warning, sec.line, 0, "duplicate-section", "",
                name + " is a second section for " + Quote(tag) + ": the program reads only the first one (line " +
                    std::to_string(first->second) + "); the keys below are never read");
            continue;
        }
        firsts.emplace_back(tag, sec.line);
        if (LanguageCodePage(tag) < 0) {
            std::string text = name + ": " + Quote(tag) +
                               " is not a language Windows shows its display in, so no user gets this section";
            const std::string likely = LikelyLanguage(tag);
            if (!likely.empty()) text += "; did you mean [Info." + likely + "]?";
            Add(Severity::Warning, sec.line, 0, "unknown-language", "", text);
        }
        if (!keys[i]) continue;
        if (sectionsToCheck_.size() < static_cast<size_t>(kMaxLanguageRuns)) {
            sectionsToCheck_.push_back(tag);
        } else if (!toldLimit) {
            toldLimit = true;
            Add(Severity::Note, sec.line, 0, "language-not-checked", "",
                name + " and the language sections after it are not checked one by one (only the first " +
                    std::to_string(static_cast<int>(kMaxLanguageRuns)) + " are)");
        }
    }
}

namespace {

// What a key's users get where no section gives it, for a note.
std::string DefaultOf(const SettingKey* row) {
    if (!row || row->from || (row->flags & (FlagDefaultIfPreviousEmpty | FlagIfPreviousEmpty)))
        return "its default";
    if (row->capacity == 0) return "its default, " + std::to_string(row->def.number);
    if (row->def.text) return "its default, '" + std::string(row->def.text) + "'";
    return "its default (none)";
}

}  // namespace

// Keys the section sets that [Info] does not: only its users see them.
void Checker::CheckLanguageOnlyKeys() {
    bool infoRead = false;
    for (size_t i = 0; i < ini_.SectionCount(); ++i) infoRead = infoRead || ini_.SectionAt(i).read;
    if (!infoRead) return;  // told once for the file (no-info-section)
    std::set<std::string> inInfo;
    for (size_t i = 0; i < ini_.EntryCount(); ++i)
        if (ini_.EntryAt(i).section == 0) inInfo.insert(LowerText(KeyOf(ini_.EntryAt(i))));
    std::vector<char> told(ini_.EntryCount());
    for (const Read& r : reads_) {
        const IniFile::Entry* e = r.lookup->entry;
        if (!e || e->section != 1 || !e->value || told[EntryNumber(*e)]) continue;
        told[EntryNumber(*e)] = 1;
        const std::string key = KeyOf(*e);
        if (inInfo.count(LowerText(key))) continue;
        Add(Severity::Note, e->line, 0, "language-only", key,
            "'" + key + "' is set here but not in [Info]: users of other languages get " + DefaultOf(r.row));
    }
}

// In a file without a byte-order mark, each PC reads the bytes in its own
// ANSI code page: a section's text is what its users see only where their
// code page reads it as the file's own code page does.
void Checker::CheckLanguageCodePage() {
    if (section_ < 0 || encoding_ != Encoding::Ansi || fileTextIsUtf8_) return;  // UTF-8: utf8-without-bom
    std::string tag;
    LanguageTagOf(static_cast<size_t>(section_), &tag);
    const int page = LanguageCodePage(tag);
    if (page < 0) return;  // no user has it: unknown-language
    const bool readable = KnownCodePage(page);
    int first = 0, lines = 0;
    std::string theirs, ours;
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (k.section != section_) continue;
        const char* end = k.entry.value ? k.entry.value + k.entry.valueLength : k.entry.key + k.entry.keyLength;
        const std::string text(k.lineStart, end);
        // UTF-8 text is told as such (utf8-without-bom), whatever the language.
        if (std::none_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) ||
            IsMultiByteUtf8(text.data(), text.size()))
            continue;
        const std::string there = readable ? AnsiToUtf8(text, page) : std::string();
        const std::string here = AnsiToUtf8(text, codePage_);
        if (readable && there == here) continue;
        if (!lines++) first = k.entry.line, theirs = there, ours = here;
    }
    if (!lines) return;
    char number[96];
    std::snprintf(number, sizeof number, "code page %d", page);
    const std::string more =
        lines > 1 ? " (and " + std::to_string(lines - 1) + (lines > 2 ? " more lines)" : " more line)") : "";
    const std::string advice = "; save the file as UTF-8 with byte-order mark, which every language reads alike";
    std::string text;
    if (readable)
        text = "PCs of this language read a file without byte-order mark in " + std::string(number) + ": they show " +
               Quote(theirs) + ", not " + Quote(ours) + " as read in code page " + std::to_string(codePage_) + more;
    else if (page)
        text = "text beyond ASCII in a file without byte-order mark: PCs of this language read it in " +
               std::string(number) + ", which this check cannot read" + more;
    else
        text = "text beyond ASCII in a file without byte-order mark: Windows has no ANSI code page for this "
               "language, so its PCs cannot show it" + more;
    AddText(Severity::Warning, first, 0, "language-codepage", "", text + advice);  // UTF-8 already
}

// With the user's languages given: which section they get, if any.
void Checker::TellLanguageChoice() {
    std::string who;
    for (const LanguageTag& tag : languages_) {
        report_.languages.emplace_back(tag.text, tag.length);
        who += (who.empty() ? "" : ", ") + report_.languages.back();
    }
    who = (languages_.size() == 1 ? "a user of " : "a user of (in this order) ") + who;
    if (!sectionName_.empty()) {
        report_.languageSection = FileText(sectionName_);
        Add(Severity::Note, section_ >= 0 ? sectionFirst_ : 0, 0, "language-section", "",
            "[" + sectionName_ + "] is what " + who + " gets: its keys replace those of [Info], the others come "
            "from [Info]");
        return;
    }
    std::string others;
    int count = 0;
    for (size_t i = 0; i < ini_.SectionCount(); ++i) {
        if (!InLanguageSection(static_cast<int>(i))) continue;
        if (++count <= 6) others += (others.empty() ? "" : ", ") + ("[" + SectionName(i) + "]");
    }
    if (count > 6) others += ", ...";
    Add(Severity::Note, 0, 0, "language-section",
        "", who + " gets no language section, only [Info]" + (count ? " (the file has " + others + ")" : ""));
}

}  // namespace engine
}  // namespace corvcheck
