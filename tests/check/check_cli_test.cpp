// corvane-check as a disc author runs it: arguments, exit status, the three
// output forms. The JSON is parsed back with a small strict parser.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <map>
#include <memory>
#include <string>
#include <sys/wait.h>
#include <vector>

#include "tests/check/pe_builder.h"
#include "tools/check/check_files.h"

namespace {

const std::string kRoot = CORVANE_SOURCE_DIR;
const std::string kFixtures = kRoot + "/tests/check/fixtures/";

struct RunResult {
    int status;
    std::string out;
};

RunResult RunCheck(const std::string& args) {
    RunResult r;
    std::string command = std::string(CORVANE_CHECK_EXE) + " " + args + " 2>&1";
    FILE* p = popen(command.c_str(), "r");
    if (!p) {
        ADD_FAILURE() << "cannot run " << command;
        return {-1, ""};
    }
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    int raw = pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

// A strict JSON value: enough to read the report back and to reject anything malformed.
struct Json {
    enum Type { Null, Bool, Number, String, Array, Object } type = Null;
    bool b = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> members;
    const Json& operator[](const std::string& k) const {
        static const Json none;
        auto it = members.find(k);
        return it == members.end() ? none : it->second;
    }
};

class JsonParser {
public:
    explicit JsonParser(const std::string& s) : s_(s) {}
    bool Parse(Json& out) {
        if (!Value(out)) return false;
        Blank();
        return i_ == s_.size();
    }

private:
    void Blank() {
        while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\n' || s_[i_] == '\r' || s_[i_] == '\t')) ++i_;
    }
    bool Literal(const char* w) {
        size_t n = std::string(w).size();
        if (s_.compare(i_, n, w) != 0) return false;
        i_ += n;
        return true;
    }
    bool Str(std::string& out) {
        if (s_[i_] != '"') return false;
        ++i_;
        while (i_ < s_.size() && s_[i_] != '"') {
            unsigned char c = static_cast<unsigned char>(s_[i_]);
            if (c < 0x20) return false;
            if (c == '\\') {
                if (++i_ >= s_.size()) return false;
                char e = s_[i_];
                if (e == 'u') {
                    if (i_ + 4 >= s_.size()) return false;
                    unsigned v = std::stoul(s_.substr(i_ + 1, 4), nullptr, 16);
                    if (v < 0x80) out += static_cast<char>(v);
                    else out += static_cast<char>(0xC0 | (v >> 6)), out += static_cast<char>(0x80 | (v & 0x3F));
                    i_ += 4;
                } else if (e == 'n') out += '\n';
                else if (e == '"' || e == '\\' || e == '/') out += e;
                else return false;
            } else {
                out += static_cast<char>(c);
            }
            ++i_;
        }
        if (i_ >= s_.size()) return false;
        ++i_;
        return true;
    }
    bool Value(Json& v) {
        Blank();
        if (i_ >= s_.size()) return false;
        char c = s_[i_];
        if (c == '{') {
            v.type = Json::Object;
            ++i_;
            Blank();
            if (s_[i_] == '}') return ++i_, true;
            for (;;) {
                Blank();
                std::string k;
                if (!Str(k)) return false;
                Blank();
                if (s_[i_++] != ':') return false;
                if (!Value(v.members[k])) return false;
                Blank();
                if (s_[i_] == ',') { ++i_; continue; }
                if (s_[i_] == '}') return ++i_, true;
                return false;
            }
        }
        if (c == '[') {
            v.type = Json::Array;
            ++i_;
            Blank();
            if (s_[i_] == ']') return ++i_, true;
            for (;;) {
                v.items.emplace_back();
                if (!Value(v.items.back())) return false;
                Blank();
                if (s_[i_] == ',') { ++i_; continue; }
                if (s_[i_] == ']') return ++i_, true;
                return false;
            }
        }
        if (c == '"') return v.type = Json::String, Str(v.text);
        if (Literal("true")) return v.type = Json::Bool, v.b = true, true;
        if (Literal("false")) return v.type = Json::Bool, v.b = false, true;
        if (Literal("null")) return true;
        size_t start = i_;
        if (s_[i_] == '-') ++i_;
        while (i_ < s_.size() && isdigit(static_cast<unsigned char>(s_[i_]))) ++i_;
        if (i_ == start) return false;
        v.type = Json::Number;
        v.number = std::stod(s_.substr(start, i_ - start));
        return true;
    }
    const std::string& s_;
    size_t i_ = 0;
};

void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

TEST(CheckCli, ExitStatusZeroOneTwo) {
    // The example medium is kept without its program, which the release adds:
    // its settings are clean, its autorun.inf misses corvane.exe.
    RunResult example = RunCheck(kRoot + "/examples/medium");
    EXPECT_EQ(example.status, 2);
    EXPECT_NE(example.out.find("Corva.INF: 0 errors, 0 warnings, 1 note"), std::string::npos) << example.out;
    EXPECT_NE(example.out.find("autorun.inf:2:6: error: 'corvane.exe' is not on the medium [program-missing]"),
              std::string::npos) << example.out;
    EXPECT_EQ(RunCheck(kFixtures + "utf8nobom").status, 1);
    EXPECT_EQ(RunCheck(kFixtures + "values").status, 2);
    // The settings file's own path works as well as its folder.
    RunResult direct = RunCheck(kFixtures + "clean/Corva.INF");
    EXPECT_EQ(direct.status, 0);
    EXPECT_NE(direct.out.find("clean/Corva.INF: 0 errors, 0 warnings, 0 notes"), std::string::npos) << direct.out;
}

TEST(CheckCli, UsageAndUncheckableInput) {
    RunResult help = RunCheck("--help");
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("usage: corvane-check"), std::string::npos);
    EXPECT_EQ(RunCheck("--bogus " + kFixtures + "clean").status, 2);
    RunResult none = RunCheck(kFixtures + "files/docs");  // a folder without Corva.INF
    EXPECT_EQ(none.status, 2);
    EXPECT_NE(none.out.find("no Corva.INF"), std::string::npos);
    EXPECT_EQ(RunCheck(kFixtures + "no-such-folder/Corva.INF").status, 2);
}

TEST(CheckCli, ReportLinesNameFileLineAndSeverity) {
    RunResult r = RunCheck(kFixtures + "numbering");
    EXPECT_NE(r.out.find(kFixtures + "numbering/Corva.INF:4: error: menu entry 4 is never read"), std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("3 errors, 3 warnings, 1 note"), std::string::npos);  // the default MsgColor
}

TEST(CheckCli, JsonParsesBackToTheSameFindings) {
    RunResult text = RunCheck(kFixtures + "keys");
    RunResult json = RunCheck("--json " + kFixtures + "keys");
    EXPECT_EQ(json.status, text.status);
    Json doc;
    ASSERT_TRUE(JsonParser(json.out).Parse(doc)) << json.out;
    EXPECT_EQ(doc["exitStatus"].number, 2);
    EXPECT_EQ(doc["errors"].number, 1);
    EXPECT_EQ(doc["warnings"].number, 12);
    EXPECT_EQ(doc["settings"].type, Json::Null);  // only with --explain
    const Json& findings = doc["findings"];
    ASSERT_EQ(findings.type, Json::Array);
    EXPECT_EQ(findings.items.size(), 15u);  // with the default MsgColor's note
    bool sawTilte = false;
    for (const Json& f : findings.items) {
        // Every JSON finding is also a line of the text report.
        const int number = static_cast<int>(f["line"].number);  // 0: the file as a whole, no number
        std::string line = (number ? ":" + std::to_string(number) : std::string()) + ": " + f["severity"].text + ": " +
                           f["message"].text;
        EXPECT_NE(text.out.find(line), std::string::npos) << line;
        if (f["key"].text == "Tilte") {
            sawTilte = true;
            EXPECT_EQ(f["code"].text, "unknown-key");
            EXPECT_EQ(f["severity"].text, "warning");
        }
    }
    EXPECT_TRUE(sawTilte);

    // Bytes that are not UTF-8 still give valid JSON.
    Json bom;
    ASSERT_TRUE(JsonParser(RunCheck("--json --explain " + kFixtures + "utf8bom").out).Parse(bom));
    EXPECT_TRUE(bom["utf8"].b);
    bool sawMessage = false;
    for (const Json& s : bom["settings"].items)
        if (s["key"].text == "Message") {
            sawMessage = true;
            EXPECT_EQ(s["value"].text, "caf\xC3\xA9");  // the ANSI byte came as \u00E9
        }
    EXPECT_TRUE(sawMessage);
}

TEST(CheckCli, ExplainListsEveryKeyWithValueAndOrigin) {
    RunResult r = RunCheck("--explain " + kRoot + "/examples/medium/Corva.INF");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("(ANSI code page)"), std::string::npos);
    // Given keys carry their line, others "(default)"; numbers and derived values are shown.
    EXPECT_NE(r.out.find("  Title                      = \"Corvane Example Disc\""), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("(line 5)"), std::string::npos);
    EXPECT_NE(r.out.find("ShowTime                   = 8 -> 8000 ms"), std::string::npos);
    EXPECT_NE(r.out.find("ExitMsg                    = \"Exit\""), std::string::npos);
    for (const char* key : {"Filename ", "DoNotRepeatColor", "xSplash", "Filename1 ", "ViewerFile1 ", "DoNotRepeatText"})
        EXPECT_NE(r.out.find(std::string("  ") + key), std::string::npos) << key;
    size_t defaults = 0;
    for (size_t at = 0; (at = r.out.find("(default)", at)) != std::string::npos; ++at) ++defaults;
    EXPECT_GT(defaults, 40u);

    Json doc;
    ASSERT_TRUE(JsonParser(RunCheck("--json --explain " + kRoot + "/examples/medium/Corva.INF").out).Parse(doc));
    bool sawShowTime = false;
    for (const Json& s : doc["settings"].items) {
        if (s["key"].text != "ShowTime") continue;
        sawShowTime = true;
        EXPECT_EQ(s["value"].text, "8");
        EXPECT_EQ(s["effective"].text, "8000 ms");
        EXPECT_FALSE(s["default"].b);
        EXPECT_EQ(s["line"].number, 8);
    }
    EXPECT_TRUE(sawShowTime);
}

TEST(CheckCli, AMediumFolderIsCheckedWithItsAutorunInf) {
    // The example medium with its program: clean, two notes for the author.
    char pattern[] = "/tmp/corvane-check-medium-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    const std::string dir = pattern;
    for (const char* name : {"Corva.INF", "autorun.inf", "readme.htm"})
        WriteFile(dir + "/" + name, ReadText(kRoot + "/examples/medium/" + name));
    WriteFile(dir + "/corvane.exe", petest::Program(1, {}));
    RunResult clean = RunCheck(dir);
    EXPECT_EQ(clean.status, 0) << clean.out;
    EXPECT_NE(clean.out.find(dir + "/autorun.inf: 0 errors, 0 warnings, 2 notes"), std::string::npos) << clean.out;

    // An icon index the program lacks is a warning; JSON tells it under "autorun".
    WriteFile(dir + "/AUTORUN.INF", "[autorun]\r\nopen=corvane.exe readme.htm\r\nicon=corvane.exe,1\r\n");
    std::remove((dir + "/autorun.inf").c_str());
    RunResult text = RunCheck(dir);
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(text.out.find("AUTORUN.INF:3:6: warning: 'corvane.exe' has one icon, index 0"), std::string::npos)
        << text.out;
    Json doc;
    ASSERT_TRUE(JsonParser(RunCheck("--json " + dir).out).Parse(doc));
    EXPECT_EQ(doc["exitStatus"].number, 1);
    EXPECT_EQ(doc["errors"].number + doc["warnings"].number, 0);
    EXPECT_EQ(doc["autorun"]["warnings"].number, 1);
    ASSERT_EQ(doc["autorun"]["findings"].items.size(), 3u);
    EXPECT_EQ(doc["autorun"]["findings"].items[2]["code"].text, "icon-index");

    // Without autorun.inf a warning; the settings file named alone is checked alone.
    std::remove((dir + "/AUTORUN.INF").c_str());
    RunResult none = RunCheck(dir);
    EXPECT_EQ(none.status, 1);
    EXPECT_NE(none.out.find("autorun.inf: warning: the medium has no autorun.inf"), std::string::npos) << none.out;
    RunResult alone = RunCheck(dir + "/Corva.INF");
    EXPECT_EQ(alone.status, 0);
    EXPECT_EQ(alone.out.find("autorun"), std::string::npos) << alone.out;
    for (const char* name : {"Corva.INF", "readme.htm", "corvane.exe"}) std::remove((dir + "/" + name).c_str());
    std::remove(dir.c_str());
}

// Media as authors make them (tests/check/corpus/<name>/, each with the files
// its autorun.inf names): every autorun.inf, named directly, gives exactly
// these findings, as "severity letter:code" (*n for n alike). Together they
// show the false alarms gone (another program's sections, Windows' own
// programs, a name without .exe, open= and shellexecute= alike, the Ctrl-Z at
// the end, the notes said once) and the faults found.
TEST(CheckCli, CorpusMediaGiveTheirFindings) {
    const std::string notes = " N:removable-drive N:autoplay";
    struct Medium {
        const char* folder;
        int codePage;
        const char* encoding;
        std::string expected;
    } media[] = {
        {"driver-cd", 1252, "ansi", "W:not-corvane E:program-missing N:windows-program N:other-names" + notes},
        {"service-pack", 1252, "ansi",
         "W:not-corvane*3 N:open-and-shellexecute W:label-too-long N:platform-section" + notes},
        {"office-suite", 1252, "ansi", "W:not-corvane N:windows-program*4 E:shell-command W:windows-program" + notes},
        {"game-disc", 1252, "ansi", "W:not-corvane N:other-names" + notes},
        {"usb-toolkit", 1252, "ansi", "N:open-and-shellexecute W:useautoplay W:bad-customevent" + notes},
        {"utf16-catalogue", 1252, "utf-16le", notes},
        {"utf8-nobom", 1252, "ansi", "W:utf8-without-bom" + notes},
        {"pendrive", 1252, "ansi", "E:quoted-program W:unknown-key" + notes},
        {"web-catalogue", 1252, "ansi", "E:open-document" + notes},
        {"\u0394\u03AF\u03C3\u03BA\u03BF\u03C2 \u03B5\u03BA\u03C0\u03B1\u03AF\u03B4\u03B5\u03C5\u03C3\u03B7\u03C2",
         1253, "ansi", notes},
        {"atlas-dvd", 1252, "ansi", notes},
        // Greek names read as Western letters: the lesson is not found.
        {"\u0394\u03AF\u03C3\u03BA\u03BF\u03C2 \u03B5\u03BA\u03C0\u03B1\u03AF\u03B4\u03B5\u03C5\u03C3\u03B7\u03C2",
         1252, "ansi", "E:target-missing" + notes},
    };
    for (const Medium& m : media) {
        const std::string dir = kRoot + "/tests/check/corpus/" + m.folder;
        const std::string file = dir + "/" + corvcheck::FindNoCase(dir, "autorun.inf");
        RunResult r = RunCheck("--json --codepage " + std::to_string(m.codePage) + " '" + file + "'");
        Json doc;
        ASSERT_TRUE(JsonParser(r.out).Parse(doc)) << m.folder << "\n" << r.out;
        std::vector<std::string> got, want;
        for (const Json& f : doc["findings"].items)
            got.push_back(std::string(1, static_cast<char>(toupper(f["severity"].text[0]))) + ":" + f["code"].text);
        std::istringstream words(m.expected);
        for (std::string w; words >> w;) {
            const size_t star = w.find('*');
            want.insert(want.end(), star == std::string::npos ? 1 : std::stoi(w.substr(star + 1)), w.substr(0, star));
        }
        std::sort(got.begin(), got.end());
        std::sort(want.begin(), want.end());
        EXPECT_EQ(got, want) << m.folder << " (" << m.codePage << ")\n" << r.out;
        EXPECT_EQ(doc["encoding"].text, m.encoding) << m.folder;
        EXPECT_EQ(r.status, static_cast<int>(doc["exitStatus"].number)) << m.folder;
        EXPECT_EQ(doc["file"].text, file);
        if (std::string(m.folder) == "driver-cd") {
            // 1,243 lines of a driver list and its tables: the one real fault stands out.
            ASSERT_LE(doc["findings"].items.size(), 6u);
            bool seen = false;
            for (const Json& f : doc["findings"].items)
                seen = seen || (f["code"].text == "program-missing" && f["message"].text.find("'Setup\\Instal.exe'") !=
                                                                            std::string::npos);
            EXPECT_TRUE(seen) << r.out;
        }
    }
    // The Greek medium as a folder, its path in Greek with a blank: its settings and autorun.inf.
    const std::string greek = kRoot + "/tests/check/corpus/" + media[9].folder;
    ASSERT_EQ(greek.find("atlas"), std::string::npos);
    RunResult folder = RunCheck("--codepage 1253 '" + greek + "'");
    EXPECT_EQ(folder.status, 0) << folder.out;
    EXPECT_NE(folder.out.find(greek + "/autorun.inf: 0 errors, 0 warnings, 2 notes"), std::string::npos) << folder.out;
    EXPECT_EQ(RunCheck("--codepage 437 '" + greek + "'").status, 2);  // no table for it
}

// A disc sold in several countries (tests/check/corpus/atlas-dvd): one ANSI
// Corva.INF with [Info], [Info.en], [Info.de] and [Info.ja]. Each language
// section is checked as its users see it, every finding names its section
// ("severity letter:code@section" here), and --language shows one user's view.
TEST(CheckCli, LanguageSectionsOfAMediumForSeveralCountries) {
    const std::string atlas = kRoot + "/tests/check/corpus/atlas-dvd";
    RunResult all = RunCheck("--json " + atlas);
    Json doc;
    ASSERT_TRUE(JsonParser(all.out).Parse(doc)) << all.out;
    std::vector<std::string> got;
    for (const Json& f : doc["findings"].items) {
        ASSERT_EQ(f.members.count("section"), 1u) << f["message"].text;
        const std::string section = f["section"].type == Json::Null ? "-" : f["section"].text;
        got.push_back(std::string(1, static_cast<char>(toupper(f["severity"].text[0]))) + ":" + f["code"].text + "@" +
                      section);
        if (section != "Info") {
            EXPECT_EQ(f["message"].text.compare(0, section.size() + 3, "[" + section + "] "), 0);
        }
    }
    std::sort(got.begin(), got.end());
    EXPECT_EQ(got, (std::vector<std::string>{"E:missing-file@Info.de", "E:missing-file@Info.ja",
                                             "N:language-only@Info.de", "N:language-only@Info.de",
                                             "W:language-codepage@Info.ja", "W:unknown-key@Info.de"}))
        << all.out;
    EXPECT_EQ(all.status, 2);
    for (const Json& f : doc["autorun"]["findings"].items) EXPECT_EQ(f["section"].type, Json::Null);

    // A user in Austria: [Info.de] over [Info]; the Japanese faults are not theirs.
    Json de;
    ASSERT_TRUE(JsonParser(RunCheck("--json --explain --language de-AT " + atlas).out).Parse(de));
    EXPECT_EQ(de["languageSection"].text, "Info.de");
    ASSERT_EQ(de["languages"].items.size(), 1u);
    EXPECT_EQ(de["languages"].items[0].text, "de-AT");
    std::string sources;
    for (const Json& s : de["settings"].items)
        if (s["key"].text == "Title" || s["key"].text == "ShowTime" || s["key"].text == "Message")
            sources += s["key"].text + "=" + s["value"].text + "@" +
                       (s["section"].type == Json::Null ? "default" : s["section"].text) + " ";
    EXPECT_EQ(sources, "Message=@default Title=Weltatlas 2026@Info.de ShowTime=20@Info ");
    std::string codes;
    for (const Json& f : de["findings"].items) codes += f["code"].text + " ";
    EXPECT_EQ(codes, "language-section missing-file unknown-key language-only language-only ");

    // A user in France gets [Info] alone, which is clean; a tag Windows never writes is refused.
    RunResult fr = RunCheck("--json --language fr-FR " + atlas);
    Json frDoc;
    ASSERT_TRUE(JsonParser(fr.out).Parse(frDoc)) << fr.out;
    EXPECT_EQ(fr.status, 0) << fr.out;
    EXPECT_EQ(frDoc["languageSection"].type, Json::Null);
    EXPECT_NE(fr.out.find("a user of fr-FR gets no language section, only [Info] (the file has [Info.en], [Info.de], "
                          "[Info.ja])"),
              std::string::npos)
        << fr.out;
    RunResult bad = RunCheck("--language de_AT " + atlas);
    EXPECT_EQ(bad.status, 2);
    EXPECT_NE(bad.out.find("'de_AT' is not a language tag"), std::string::npos) << bad.out;
}
