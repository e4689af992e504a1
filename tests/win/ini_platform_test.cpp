// Our settings reader against the platform's own profile functions: the same
// awkward files, the same questions, the same answers. Every case is written
// to a file of its own (the platform caches profile files by name), read by
// LoadSettingsFile + IniFile as the program reads it, and asked for every key
// name the file holds, variations of those names, absent keys, several
// capacities and defaults, and integers.
//
// The differences that remain are deliberate, and each has a name here:
// A file with the UTF-8 byte-order mark is compared through the wide
// functions, as Unicode: the reader hands out the file's UTF-8 bytes (the
// popup converts them when it draws), cut by characters as the wide
// functions count them, so texts beyond ASCII agree cut and uncut
// (CharactersCounted tallies the cut ones).
//  - QuotedValueFillingTheBuffer: when a quoted value's text is exactly
//    cap - 1 characters long, the platform drops its last character (it cuts
//    before it removes the closing quote, then removes one character too
//    many). The reader keeps the whole text, which fits.
//  - ReadOnceSizeCap: the reader reads at most kMaxSettingsBytes of the file.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/utf.h"
#include "settings/ini_reader.h"
#include "settings/settings_file.h"

namespace {

// ------------------------------------------------------------ the files

struct Case {
    std::string bytes;               // as written to disk
    std::vector<std::string> keys;   // names as written before '=' (or whole lines without one)
    std::vector<std::string> sections;  // names as written between the brackets
};

enum Encoding { Ansi, Utf8Bom, Utf16Le, Utf16Be };

class Random {
public:
    explicit Random(uint32_t seed) : state_(seed) {}
    uint32_t Next(uint32_t n) {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<uint32_t>((static_cast<uint64_t>(state_ >> 8) * n) >> 24);
    }
    template <size_t N>
    const char* Pick(const char* const (&list)[N]) { return list[Next(N)]; }

private:
    uint32_t state_;
};

const char* const kBlanks[] = {"", "", "", " ", "  ", "\t", " \t", "\f", "\v", "\x1A", "\t \x1A"};
const char* const kEnds[] = {"\n", "\n", "\r\n", "\r\n", "\r", "\n\r", "\r\r\n", "\n\n"};
const char* const kSections[] = {"Info", "Info", "INFO", "info", " Info ", "\tInfo", "Other", "", "In fo",
                                 "Info]x", "Inf", "Infos", "[Info", "I\xE9"};
const char* const kKeys[] = {"Title", "A", "a", "Key", "KEY", "Filename1", "ShowTime", "x y", ";c", "#d", "[k",
                             "k]", "\"q\"", "", "=", "K\xE9", "\xC9t\xE9", "Zz9", "InfoSize", "a.b"};
const char* const kValues[] = {"", "v", "value with blanks", "\"q\"", "'s'", "\"", "'", "\"unbal", "unbal\"",
                               "a\"b\"", "\"\"", "''", "\" spaced \"", "\"mixed'", "12", "-7", "+3", "0x1F",
                               "0X1F", "0b101", "0o17", "017", "99999999999", "4294967295", "12px", "px12", "- 5",
                               "\x01" "5", "\"42\"", "=x", "a=b", "x;y", "\xE9\xE8\xA0\xFF", "\x80\x81\x8D\x9D",
                               "\xC3\xA9t\xC3\xA9", "\xE2\x82\xAC", "\xC3", "\xFF\xFE", "tab\there", "cr",
                               "ctrl\x02\x1F", "^Z\x1A" "mid", "\f", "[x]"};

std::string Repeat(char c, size_t n) { return std::string(n, c); }

// Values of the lengths where capacities cut: 0..3, 7, 258..260, 1022..1024, 1500.
std::string LongValue(Random& r) {
    static const size_t lengths[] = {1, 2, 3, 7, 28, 29, 30, 258, 259, 260, 1022, 1023, 1024, 1500};
    size_t n = lengths[r.Next(sizeof lengths / sizeof lengths[0])];
    std::string digits;
    switch (r.Next(4)) {
    case 0: return Repeat('x', n);
    case 1: return "\"" + Repeat('q', n) + "\"";
    case 2: return Repeat('0', n) + "12";
    default:
        for (size_t i = 0; i < n; ++i) digits += static_cast<char>('a' + i % 26);
        return "'" + digits + "'";
    }
}

std::string Line(Random& r, Case& c) {
    const std::string lead = r.Pick(kBlanks);
    switch (r.Next(12)) {
    case 0:
    case 1: {  // a section header, sometimes with something after it
        std::string name = r.Pick(kSections);
        c.sections.push_back(name);
        static const char* const tails[] = {"", "", "", " junk", "]", "=1", ";c", "\x1A"};
        return lead + "[" + r.Pick(kBlanks) + name + r.Pick(kBlanks) + "]" + r.Pick(tails);
    }
    case 2: return lead + "[" + r.Pick(kSections);  // no closing bracket
    case 3: {  // a key without '='
        std::string key = r.Pick(kKeys);
        c.keys.push_back(key);
        return lead + key + r.Pick(kBlanks);
    }
    case 4: return lead + r.Pick(kBlanks);  // blank or empty
    case 5: {  // a NUL byte somewhere in a key line
        std::string key = r.Pick(kKeys), value = r.Pick(kValues);
        c.keys.push_back(key);
        std::string line = key + r.Pick(kBlanks) + "=" + r.Pick(kBlanks) + value;
        line.insert(r.Next(static_cast<uint32_t>(line.size() + 1)), 1, '\0');
        return lead + line;
    }
    case 6: {
        std::string key = r.Pick(kKeys);
        c.keys.push_back(key);
        return lead + key + r.Pick(kBlanks) + "=" + r.Pick(kBlanks) + LongValue(r);
    }
    default: {
        std::string key = r.Pick(kKeys);
        c.keys.push_back(key);
        return lead + key + r.Pick(kBlanks) + "=" + r.Pick(kBlanks) + r.Pick(kValues) + r.Pick(kBlanks);
    }
    }
}

Case RandomCase(Random& r, Encoding encoding) {
    Case c;
    std::string text;
    if (r.Next(4) != 0) {
        std::string header = std::string(r.Pick(kBlanks)) + "[" + r.Pick(kBlanks) + "Info" + r.Pick(kBlanks) + "]";
        text += header + r.Pick(kEnds);
    }
    const uint32_t lines = 1 + r.Next(14);
    for (uint32_t i = 0; i < lines; ++i) {
        text += Line(r, c);
        if (i + 1 < lines || r.Next(3) != 0) text += r.Pick(kEnds);  // sometimes no end on the last line
    }
    switch (encoding) {
    case Ansi: c.bytes = text; break;
    case Utf8Bom: c.bytes = "\xEF\xBB\xBF" + text; break;
    case Utf16Le:
    case Utf16Be:  // the text's bytes taken as Latin-1 characters
        c.bytes = encoding == Utf16Le ? "\xFF\xFE" : "\xFE\xFF";
        for (unsigned char ch : text) {
            char unit[2] = {static_cast<char>(ch), 0};
            if (encoding == Utf16Be) std::swap(unit[0], unit[1]);
            c.bytes.append(unit, 2);
        }
        break;
    }
    return c;
}

// A literal with NUL bytes in it, whole.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
    return std::string(text, N - 1);
}

// Hand-made files for what random lines hit only by luck.
std::vector<Case> HandCases() {
    std::vector<Case> cases;
    auto add = [&](const std::string& bytes, std::vector<std::string> keys, std::vector<std::string> sections = {}) {
        cases.push_back(Case{bytes, keys, sections});
    };
    add("[ Info ]\r\nTitle=blanks in the brackets\r\n", {"Title"}, {" Info "});
    add("[\tInfo\x1A]\nA=1\n[Info]\nA=2\n", {"A"});
    add("[Info] trailing\nA=1\n[Info]x]\nB=2\n", {"A", "B"}, {"Info]x"});
    add("A=before\n[]\nA=empty\n[Info]\nA=1", {"A"}, {"", "Absent"});
    add(";A=1\n[Info]\n;B=2\n# C=3\n;\n", {";A", ";B", "# C", ";", "B"});
    add("[Info]\nA=1\nA=2\na=3\n[INFO]\nB=4\n", {"A", "B"});
    add("[Info]\nKey\nKey=later\nEmpty=\nQuoted=\"\"\nBlank=   \n", {"Key", "Empty", "Quoted", "Blank"});
    add("[Info]\rA=cr\rB=cr2\r\n\rC=mixed\n\rD=last", {"A", "B", "C", "D"});
    add(Bytes("[In\0fo]\nA=1\n[Info\0]\nB=2\n[ X \0 Y ]\nC=3\n"), {"A", "B", "C"}, {"In", "X", "Info"});
    add(Bytes("[Info]\nA\0B=1\nC \0=2\n\0=3\nD=x\0y\nE=\"q\0\"\n"), {"A", "C", "C ", "", "D", "E"});
    add(Bytes("\0[Info]\nA=1\n"), {"A"});
    add("\xEF\xBB\xBF[Info]\nT=caf\xC3\xA9\n\xC3\xA9t\xC3\xA9=summer\n\xC3\x89T\xC3\x89=upper\nB=\xC3\x28\xFF\n",
        {"T", "\xC3\xA9t\xC3\xA9", "\xC3\x89T\xC3\x89", "B"});
    add("\xEF\xBB\xBF\xEF\xBB\xBF[Info]\nA=1\n", {"A"});
    std::string cyrillic;  // 300 letters, 600 bytes: cut at 259 characters, not bytes
    for (int i = 0; i < 300; ++i) cyrillic += "\xD0\xB4";
    add("\xEF\xBB\xBF[Info]\nR=" + cyrillic + "\n", {"R"});
    add("\xEF\xBB\xBF" "A=top\n[Info]\nB=1\n", {"A", "B"}, {""});
    add("[Info]\n\xEF\xBB\xBF" "A=1\n\xC9=2\n\xE9=3\n", {"A", "\xEF\xBB\xBF" "A", "\xC9", "\xE9"});
    add("[Info]\nQ=\"abcdef\"\nS='abcdef'\nU=\"abcdef\nI=\"0000000000000000000000000012\"\n", {"Q", "S", "U", "I"});
    add("[Info]\nH=0x10\nX=0X10\nO=0o17\nB=0b101\nN=-0x10\nG=0xg\nP=+-5\nL=0000000000000000000000000000012\n"
        "C=\x01\x02 7\nW=4294967296\nZ=0x\n",
        {"H", "X", "O", "B", "N", "G", "P", "L", "C", "W", "Z"});
    add("[Info]\nA=1\x1A\n\x1A\nB=2\x1A" "3\n\f[Info]\n", {"A", "B"});
    add("[Info]\nA=" + Repeat('v', 5000) + "\n" + Repeat('k', 300) + "=long key\n", {"A", Repeat('k', 300)});
    add("", {"A"});
    add("\r\n\r\n", {"A"});
    add("[Info", {"[Info"});
    add("[Info=5\n[Info]\n[k=6\n", {"[Info", "[k"});
    return cases;
}

// ------------------------------------------------------------ the questions

std::string Escaped(const std::string& s, size_t limit = 80) {
    std::string out;
    for (size_t i = 0; i < s.size() && i < limit; ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char hex[8];
            snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        }
    }
    if (s.size() > limit) out += "...(" + std::to_string(s.size()) + ")";
    return out;
}

std::wstring Wide(const std::string& utf8) {
    if (utf8.empty()) return std::wstring();
    int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring w(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &w[0], n);
    return w;
}

bool IsAscii(const std::string& s) {
    for (unsigned char c : s)
        if (c >= 0x80) return false;
    return true;
}

std::string Blanked(const std::string& name) { return " " + name + "\t"; }

std::string FlippedCase(std::string name) {
    for (char& c : name) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
        else if (c >= 'A' && c <= 'Z') c = static_cast<char>(c + 32);
    }
    return name;
}

std::string TrimmedLikeALine(const std::string& name) {
    size_t a = 0, b = name.size();
    auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v' || c == '\x1A'; };
    while (a < b && blank(name[a])) ++a;
    while (b > a && blank(name[b - 1])) --b;
    return name.substr(a, b - a);
}

const size_t kCapacities[] = {1, 2, 3, 5, 8, 30, 260, 1024};
const char* const kDefaults[] = {"", "dflt", "d  ", "   ", "\"qd\"", "'x' ", "\"", " lead", "tab\t"};
const int kIntDefaults[] = {0, 77, -1};

struct Tally {
    int files = 0, questions = 0, differences = 0;
    int charactersCounted = 0, quotedValueFillingTheBuffer = 0;
    std::string report;
};

class Comparison {
public:
    explicit Comparison(Tally& tally) : t_(tally) {}

    void Run(const Case& c, int number, bool utf16, bool everyCapacity = false) {
        char dir[MAX_PATH];
        GetTempPathA(sizeof dir, dir);
        // A name of its own for every case: the platform caches by name.
        const std::string path = std::string(dir) + "cvdiff" + std::to_string(GetCurrentProcessId()) + "_" +
                                 std::to_string(seq_++) + ".ini";
        HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(f, INVALID_HANDLE_VALUE) << path;
        DWORD written = 0;
        if (!c.bytes.empty()) WriteFile(f, c.bytes.data(), static_cast<DWORD>(c.bytes.size()), &written, nullptr);
        CloseHandle(f);
        ++t_.files;
        path_ = path;
        case_ = &c;
        number_ = number;

        // A UTF-16 file reaches the reader as UTF-8, through LoadSettingsFile only.
        std::vector<std::string> sections = {"Info"};
        if (!utf16) {
            sections.insert(sections.end(), {" Info\t", "iNFO", "Absent"});
            sections.insert(sections.end(), c.sections.begin(), c.sections.end());
        }
        std::vector<std::string> keys = {"Absent", "Title"};
        for (const std::string& k : c.keys) {
            keys.push_back(k);
            keys.push_back(TrimmedLikeALine(k));
            keys.push_back(FlippedCase(k));
            keys.push_back(Blanked(k));
        }
        for (const std::string& section : sections) {
            IniFile ini;
            // "Info" as the program reads it; other sections through the same reader.
            if (section == "Info") ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
            else ini.Load(c.bytes.data(), c.bytes.size(), section.c_str());
            // The reader's own answers, as the ANSI functions give them; the
            // program then converts a file's ANSI texts to UTF-8, which the
            // conversion's own tests hold.
            ini.SetAnsiDecoder(nullptr);
            utf8_ = ini.HasBom();
            for (const std::string& key : keys) {
                if (key.find('\0') != std::string::npos) continue;
                ++turn_;
                // Every key once uncut with a plain default, then with a rotating
                // capacity and default (or every capacity).
                CompareText(ini, section, key, "<none>", 4096);
                const char* def = kDefaults[turn_ % (sizeof kDefaults / sizeof *kDefaults)];
                const size_t capacities = sizeof kCapacities / sizeof *kCapacities;
                if (everyCapacity)
                    for (size_t cap : kCapacities) CompareText(ini, section, key, def, cap);
                else
                    CompareText(ini, section, key, def, kCapacities[turn_ % capacities]);
                CompareInt(ini, section, key, kIntDefaults[turn_ % 3]);
            }
        }
        DeleteFileA(path.c_str());
    }

private:
    // What the platform answers, as bytes comparable with ours.
    std::string Platform(const std::string& section, const std::string& key, const char* def, size_t cap,
                         size_t* count) {
        if (utf8_) {
            std::vector<wchar_t> buf(cap + 1, L'#');
            *count = GetPrivateProfileStringW(Wide(section).c_str(), Wide(key).c_str(), Wide(def).c_str(), buf.data(),
                                              static_cast<DWORD>(cap), Wide(path_).c_str());
            std::wstring w(buf.data(), *count);
            int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
            std::string out(static_cast<size_t>(n), '\0');
            if (n) WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
            return out;
        }
        std::vector<char> buf(cap + 1, '#');
        *count = GetPrivateProfileStringA(section.c_str(), key.c_str(), def, buf.data(), static_cast<DWORD>(cap),
                                          path_.c_str());
        return std::string(buf.data(), *count);
    }

    std::string Ours(const IniFile& ini, const std::string& key, const char* def, size_t cap, size_t* count) {
        // Characters of UTF-8 take up to three bytes each.
        const size_t room = utf8_ ? IniFile::DecodedRoom(cap) : cap;
        std::vector<char> buf(room + 1, '#');
        *count = ini.GetString(key.c_str(), def, buf.data(), cap);
        EXPECT_TRUE(*count < room && buf[*count] == '\0' && buf[room] == '#') << "'" << key << "' capacity " << cap;
        return std::string(buf.data(), *count);
    }

    // Our text as the program shows it: its own conversion, where invalid
    // UTF-8 becomes one U+FFFD per maximal subpart as in the wide functions'
    // reading of the whole file (the platform's converter treats a sequence
    // cut at the very end of its input otherwise).
    std::string AsUnicode(const std::string& utf8) {
        std::wstring w(Utf16FromUtf8(utf8.data(), utf8.size(), nullptr, 0), L'\0');
        if (!w.empty()) Utf16FromUtf8(utf8.data(), utf8.size(), reinterpret_cast<char16_t*>(&w[0]), w.size() + 1);
        int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
        std::string out(static_cast<size_t>(n), '\0');
        if (n) WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &out[0], n, nullptr, nullptr);
        return out;
    }

    void CompareText(const IniFile& ini, const std::string& section, const std::string& key, const char* def,
                     size_t cap) {
        ++t_.questions;
        size_t ourCount = 0, theirCount = 0;
        std::string ours = Ours(ini, key, def, cap, &ourCount);
        std::string theirs = Platform(section, key, def, cap, &theirCount);
        // The wide function counts characters: in UTF-8 mode the texts are compared.
        if (utf8_) ours = AsUnicode(ours), ourCount = theirCount = 0;
        if (ours == theirs && ourCount == theirCount) {
            // A text beyond ASCII that its capacity cut, as the wide functions cut it.
            size_t n = 0;
            if (utf8_ && !IsAscii(ours) && AsUnicode(Ours(ini, key, def, 1u << 16, &n)) != ours) ++t_.charactersCounted;
            return;
        }
        const char* exception = Exception(ini, section, key, def, cap, ours, theirs);
        if (exception) return;
        Differ(section, key, "text, default '" + Escaped(def) + "', capacity " + std::to_string(cap), ours, theirs);
    }

    void CompareInt(const IniFile& ini, const std::string& section, const std::string& key, int def) {
        ++t_.questions;
        int ours = ini.GetInt(key.c_str(), def);
        int theirs = utf8_ ? static_cast<int>(GetPrivateProfileIntW(Wide(section).c_str(), Wide(key).c_str(), def,
                                                                     Wide(path_).c_str()))
                           : static_cast<int>(GetPrivateProfileIntA(section.c_str(), key.c_str(), def, path_.c_str()));
        if (ours == theirs) return;
        // The integer is read from the value's text in a buffer of 30: a
        // text difference there explains the integer's.
        size_t a = 0, b = 0;
        std::string ourText = Ours(ini, key, "", 30, &a);
        std::string theirText = Platform(section, key, "", 30, &b);
        if (utf8_) ourText = AsUnicode(ourText);
        if (ourText != theirText && Exception(ini, section, key, "", 30, ourText, theirText)) return;
        Differ(section, key, "integer, default " + std::to_string(def), std::to_string(ours), std::to_string(theirs));
    }

    // The name of the deliberate difference that explains `ours` != `theirs`,
    // or null when none does.
    const char* Exception(const IniFile& ini, const std::string& section, const std::string& key, const char* def,
                          size_t cap, const std::string& ours, const std::string& theirs) {
        size_t n = 0;
        std::string whole = Ours(ini, key, def, 1u << 16, &n);
        // The quoted text fits exactly; the platform loses its last character.
        if (!ours.empty() && ours.size() == cap - 1 && whole.size() == cap - 1 &&
            theirs == ours.substr(0, ours.size() - 1)) {
            const IniFile::Entry* e = ini.Find(key.c_str());
            std::string raw = e && e->value ? std::string(e->value, e->valueLength) : std::string(def);
            raw = raw.substr(0, raw.find('\0'));
            while (!(e && e->value) && raw.size() > 1 && raw.back() == ' ') raw.pop_back();
            if (raw.size() >= 2 && (raw[0] == '"' || raw[0] == '\'') && raw.back() == raw[0]) {
                ++t_.quotedValueFillingTheBuffer;
                return "QuotedValueFillingTheBuffer";
            }
        }
        return nullptr;
    }

    void Differ(const std::string& section, const std::string& key, const std::string& what, const std::string& ours,
                const std::string& theirs) {
        if (++t_.differences > 12) return;
        t_.report += "case " + std::to_string(number_) + " [" + Escaped(section) + "] '" + Escaped(key) + "' " + what +
                     ":\n    ours     '" + Escaped(ours) + "'\n    platform '" + Escaped(theirs) + "'\n    file '" +
                     Escaped(case_->bytes, 400) + "'\n";
    }

    Tally& t_;
    std::string path_;
    const Case* case_ = nullptr;
    int number_ = 0;
    bool utf8_ = false;
    size_t turn_ = 0;
    static int seq_;
};

int Comparison::seq_ = 0;

void Expect(const Tally& t) {
    // A comparison that asked nothing would agree with anything.
    EXPECT_GT(t.files, 0);
    EXPECT_GE(t.questions, 20 * t.files) << "too few questions asked per file";
    EXPECT_EQ(t.differences, 0) << t.differences << " differences in " << t.questions << " questions over " << t.files
                                << " files:\n"
                                << t.report;
    std::printf("%d files, %d questions; cut by characters %d; named exception QuotedValueFillingTheBuffer %d\n",
                t.files, t.questions, t.charactersCounted, t.quotedValueFillingTheBuffer);
}

TEST(IniPlatform, HandMadeFilesAnswerAsTheProfileFunctions) {
    Tally t;
    Comparison compare(t);
    std::vector<Case> cases = HandCases();
    for (size_t i = 0; i < cases.size(); ++i) compare.Run(cases[i], static_cast<int>(i), false, true);
    Expect(t);
    // The exception is real, and texts beyond ASCII were cut by characters
    // and agreed: each was met by the hand-made files.
    EXPECT_GT(t.charactersCounted, 0);
    EXPECT_GT(t.quotedValueFillingTheBuffer, 0);
}

TEST(IniPlatform, GeneratedAnsiFilesAnswerAsTheProfileFunctions) {
    Tally t;
    Comparison compare(t);
    Random r(20240611u);
    for (int i = 0; i < 200; ++i) compare.Run(RandomCase(r, Ansi), i, false);
    Expect(t);
}

TEST(IniPlatform, GeneratedUnicodeFilesAnswerAsTheProfileFunctions) {
    Tally t;
    Comparison compare(t);
    Random r(7919u);
    for (int i = 0; i < 160; ++i) {
        Encoding e = i % 4 == 0 ? Utf16Le : i % 4 == 1 ? Utf16Be : Utf8Bom;
        compare.Run(RandomCase(r, e), i, e != Utf8Bom);
    }
    Expect(t);
}

// The program reads at most kMaxSettingsBytes; the platform reads on.
TEST(IniPlatform, ReadOnceSizeCap) {
    std::string bytes = "[Info]\r\nEarly=1\r\n";
    std::string filler = ";" + std::string(1021, '-') + "\r\n";
    while (bytes.size() <= kMaxSettingsBytes) bytes += filler;
    bytes += "Late=2\r\n";
    char dir[MAX_PATH];
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "cvcap" + std::to_string(GetCurrentProcessId()) + ".ini";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(f);
    IniFile ini;
    ASSERT_TRUE(LoadSettingsFile(path.c_str(), ini));
    EXPECT_EQ(ini.GetInt("Early", 0), 1);
    EXPECT_EQ(GetPrivateProfileIntA("Info", "Early", 0, path.c_str()), 1u);
    EXPECT_EQ(ini.GetInt("Late", 0), 0);
    EXPECT_EQ(GetPrivateProfileIntA("Info", "Late", 0, path.c_str()), 2u);
    DeleteFileA(path.c_str());
}

}  // namespace
