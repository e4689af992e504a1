// Findings about the file as a whole and its key lines: the encoding,
// sections, keys outside [Info], duplicates, lines without '=' and keys the
// program never reads, with the nearest key name it knows.
#include <cstdio>
#include <cstring>
#include <set>

#include "settings/settings_file.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_case.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

namespace {

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

}  // namespace

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

namespace engine {

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
    if (size_ > kMaxSettingsBytes) {
        Add(Severity::Warning, 0, 0, "file-too-large", "",
            "the file is larger than 16 MiB; the program reads only the first 16 MiB");
        size_ = kMaxSettingsBytes;
    }
    // A UTF-16 file reaches the program as UTF-8 with its mark, every
    // character of it; the checker reads it the same way.
    if (size_ >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        const bool big = b[0] == 0xFE;
        encoding_ = big ? Encoding::Utf16Be : Encoding::Utf16Le;
        decoded_ = "\xEF\xBB\xBF" + Utf16ToUtf8(b + 2, size_ - 2, big);
        data_ = decoded_.data();
        size_ = decoded_.size();
    } else if (StartsWithUtf8Bom(b, size_)) {
        encoding_ = Encoding::Utf8;
    } else {
        fileTextIsUtf8_ = IsMultiByteUtf8(data_, size_);
    }
}

void Checker::CheckUtf8() {
    if (encoding_ == Encoding::Utf16Le || encoding_ == Encoding::Utf16Be) return;
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
            // Past Add: the example in the message is UTF-8 already.
            AddText(Severity::Warning, k.entry.line, 0, "utf8-without-bom", FileText(key),
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

    size_t keysWithValue = 0, languageKeys = 0;
    for (size_t i = 0; i < ini_.KeyLineCount(); ++i) {
        const IniFile::KeyLine& k = ini_.KeyLineAt(i);
        if (k.entry.value) ++(InLanguageSection(k.section) ? languageKeys : keysWithValue);
    }
    if (readSection < 0) {
        if (keysWithValue)
            Add(Severity::Error, 0, 0, "no-info-section", "",
                "the file has no [Info] section: the program reads no setting, every key keeps its default");
        else if (languageKeys)
            Add(Severity::Warning, 0, 0, "no-info-section", "",
                "the file has no [Info] section: users whose display languages have no section here get every "
                "key's default");
        else
            Add(Severity::Note, 0, 0, "no-settings", "", "the file sets nothing: every key keeps its default");
    }

    // Sections other than the read one and its language sections, and the keys in them.
    for (size_t i = 0; i < ini_.SectionCount(); ++i) {
        const IniFile::Section& sec = ini_.SectionAt(i);
        if (sec.read || InLanguageSection(static_cast<int>(i))) continue;
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
        if (k.kept || !k.entry.value || InLanguageSection(k.section)) continue;
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
            // A language section's key answers in place of [Info]'s: what it is for.
            if (winner->section != k.kept->section) continue;
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

}  // namespace engine

}  // namespace corvcheck
