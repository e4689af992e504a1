// autorun.inf as the checker reads it: media in memory, with programs made
// by pe_builder.h, so each case shows the exact files the finding is about.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "tests/check/pe_builder.h"
#include "tools/check/autorun_check.h"
#include "tools/check/autorun_ini.h"
#include "tools/check/check_files.h"
#include "tools/check/pe_icons.h"

using corvcheck::Finding;
using corvcheck::Medium;
using corvcheck::Report;
using corvcheck::Severity;

namespace {

// Files by path from the medium's root; names match ignoring letter case.
class MemoryMedium : public Medium {
public:
    MemoryMedium& Add(const std::string& path, const std::string& bytes) {
        files_[Key(path)] = bytes;
        return *this;
    }
    Kind Look(const std::string& path, std::string* found) const override {
        if (path.empty() || corvcheck::FolderMedium::NamesNothingOnMedium(path)) return NotChecked;
        std::string k = Key(path);
        if (files_.count(k)) {
            if (found) *found = k;
            return File;
        }
        for (const auto& f : files_)
            if (f.first.compare(0, k.size() + 1, k + "/") == 0) return Folder;
        return Missing;
    }
    bool Read(const std::string& found, std::vector<unsigned char>& bytes, size_t limit) const override {
        auto it = files_.find(found);
        if (it == files_.end()) return false;
        bytes.assign(it->second.begin(), it->second.begin() + std::min(limit, it->second.size()));
        return true;
    }

private:
    static std::string Key(std::string p) {
        for (char& c : p) c = c == '\\' ? '/' : static_cast<char>(tolower(static_cast<unsigned char>(c)));
        while (p.compare(0, 2, "./") == 0) p.erase(0, 2);
        return p;
    }
    std::map<std::string, std::string> files_;
};

Report Check(const std::string& inf, const MemoryMedium& m, const std::string& filename = "") {
    return corvcheck::CheckAutorun(inf.data(), inf.size(), &m, filename);
}

std::string All(const Report& r) {
    std::string all;
    for (const Finding& f : r.findings)
        all += std::to_string(f.line) + ":" + std::to_string(f.column) + " " + f.code + ": " + f.message + "\n";
    return all;
}

const Finding* At(const Report& r, const std::string& code, int line) {
    for (const Finding& f : r.findings)
        if (f.code == code && f.line == line) return &f;
    ADD_FAILURE() << "no finding " << code << " at line " << line << "; findings:\n" << All(r);
    return nullptr;
}

bool Says(const Finding* f, const std::string& part) { return f && f->message.find(part) != std::string::npos; }

MemoryMedium ExampleMedium() {
    MemoryMedium m;
    m.Add("corvane.exe", petest::Program(1, {7}))
        .Add("Corva.INF", "[Info]\r\n")
        .Add("readme.htm", "<html></html>")
        .Add("read me.htm", "<html></html>")
        .Add("bin/corvane.exe", petest::Program(0, {1}))
        .Add("art/disc.ico", petest::IcoFile());
    return m;
}

}  // namespace

TEST(AutorunCheck, AWellMadeEntryPointGivesOnlyTheNotesForAuthors) {
    const MemoryMedium m = ExampleMedium();
    // Keys and sections in any letter case, blanks around them, a quoted target.
    Report r = Check("; the disc's entry point\r\n[AutoRun]\r\n  OPEN = corvane.exe \"read me.htm\" -nomsg Welcome\r\n"
                     "Icon=corvane.exe,1\r\nlabel=Example Disc\r\naction=Open the example\r\n"
                     "shell=readme\r\nshell\\readme=Read me\r\nshell\\readme\\command=corvane.exe readme.htm\r\n",
                     m);
    EXPECT_EQ(r.errors + r.warnings, 0) << All(r);
    EXPECT_EQ(r.notes, 2) << All(r);
    EXPECT_TRUE(Says(At(r, "removable-drive", 3), "USB stick"));
    EXPECT_TRUE(Says(At(r, "autoplay", 3), "action= text (line 6)"));
    // Numbered groups by negative index; an .ico file has index 0 only.
    EXPECT_EQ(Check("[autorun]\nopen=corvane.exe readme.htm\nicon=corvane.exe,-7\n", m).warnings, 0);
    EXPECT_EQ(Check("[autorun]\nopen=corvane.exe readme.htm\nicon=\"art\\disc.ico\",0\n", m).warnings, 0);
    EXPECT_TRUE(Says(At(Check("[autorun]\nopen=corvane.exe readme.htm\nicon=art/disc.ico,1\n", m), "icon-index", 3),
                     "has one icon, index 0"));
    EXPECT_TRUE(Says(At(Check("[autorun]\nopen=corvane.exe readme.htm\nicon=corvane.exe,-8\n", m), "icon-index", 3),
                     "no icon has the number 8"));
}

TEST(AutorunCheck, FaultsOfKeysSectionsProgramTargetIconAndLabel) {
    const MemoryMedium m = ExampleMedium();
    const std::string inf =
        "stray=1\n"                                            // 1
        "[autorun]\n"                                          // 2
        "open=bin\\corvane.exe docs\\missing.htm -nomsg\n"     // 3
        "icon=corvane.exe,2\n"                                 // 4
        "lable=x\n"                                            // 5
        "label=A label of thirty-three letters!!\n"            // 6
        "open=corvane.exe readme.htm\n"                        // 7
        "shellexecute=setup.exe\n"                             // 8
        "shell=install\n"                                      // 9
        "just some words\n"                                    // 10
        "[autorn]\n"                                           // 11
        "[autorun.amd64]\n"                                    // 12
        "label=x\n";                                           // 13
    Report r = Check(inf, m);
    At(r, "outside-section", 1);
    // The program in bin\ moves there before it opens its document.
    const Finding* target = At(r, "target-missing", 3);
    EXPECT_TRUE(Says(target, "looked for 'bin\\docs\\missing.htm'"));
    EXPECT_TRUE(target && target->severity == Severity::Error && target->column == 22);
    EXPECT_TRUE(Says(At(r, "settings-elsewhere", 3), "bin\\Corva.INF"));
    EXPECT_TRUE(Says(At(r, "icon-index", 4), "has 2 icons, index 0 to 1"));
    EXPECT_TRUE(Says(At(r, "unknown-key", 5), "did you mean 'label'?"));
    EXPECT_TRUE(Says(At(r, "label-too-long", 6), "33 characters"));
    EXPECT_TRUE(Says(At(r, "duplicate-key", 7), "on line 3"));
    EXPECT_TRUE(Says(At(r, "program-missing", 8), "'setup.exe' is not on the medium"));
    At(r, "open-and-shellexecute", 8);
    At(r, "shell-verb-missing", 9);
    At(r, "no-equals", 10);
    EXPECT_TRUE(Says(At(r, "unknown-section", 11), "did you mean [autorun]?"));
    At(r, "platform-section", 12);
    At(r, "no-open", 12);  // the platform's section is read instead of [autorun], so it needs its own open=
    EXPECT_EQ(r.ExitStatus(), 2);
    EXPECT_EQ(r.errors, 3) << All(r);

    // The program named must be the medium's own corvane.exe.
    Report other = Check("[autorun]\nopen=setup.exe\n", MemoryMedium(m).Add("setup.exe", "MZ"));
    EXPECT_TRUE(Says(At(other, "not-corvane", 2), "not corvane.exe"));
    At(Check("[autorun]\nopen=C:\\corvane.exe readme.htm\n", m), "program-off-medium", 2);
    At(Check("[autorun]\nopen=bin\n", MemoryMedium(m).Add("bin/x", "")), "program-missing", 2);
    At(Check("[autorun]\nopen=\n", m), "empty-command", 2);
    EXPECT_TRUE(Says(At(Check("[autorun]\nicon=nothing.ico\n", m), "icon-missing", 2), "standard icon"));
    At(Check("[autorun]\nicon=readme.htm\n", m), "icon-not-icons", 2);
}

TEST(AutorunCheck, TheCommandLineIsReadAsTheProgramReadsIt) {
    const MemoryMedium m = ExampleMedium();
    // With -c the document is found from the root, where Windows runs the program.
    EXPECT_EQ(Check("[autorun]\nopen=bin\\corvane.exe readme.htm -c\n", m).errors, 0);
    EXPECT_EQ(Check("[autorun]\nopen=bin\\corvane.exe readme.htm\n", m).errors, 1);
    // Web addresses are not files of the medium.
    EXPECT_EQ(Check("[autorun]\nopen=corvane.exe https://example.com/\n", m).errors, 0);
    // A Filename in the settings wins over the command line's first word.
    Report named = Check("[autorun]\nopen=corvane.exe -max readme.htm\n", m, "start.htm");
    EXPECT_TRUE(Says(At(named, "target-ignored", 2), "shows 'readme.htm' from this command line as its message"));
    EXPECT_EQ(Check("[autorun]\nopen=corvane.exe -nomsg\n", m, "start.htm").warnings, 0);
    EXPECT_TRUE(Says(At(Check("[autorun]\nopen=corvane.exe\n", m), "no-target", 2), "No parameter given"));
    // An unmatched quote stays part of the target, so that file is missing.
    At(Check("[autorun]\nopen=corvane.exe \"readme.htm\n", m), "target-missing", 2);
}

TEST(AutorunCheck, MissingFileMissingSectionAndUtf16Text) {
    Report none = corvcheck::CheckAutorun(nullptr, 0, nullptr, "");
    EXPECT_EQ(none.ExitStatus(), 1);
    At(none, "no-autorun", 0);
    At(Check("[autorn]\nopen=corvane.exe\n", MemoryMedium()), "no-autorun-section", 0);

    // UTF-16 with its byte-order mark; the label counts characters, not bytes.
    auto utf16 = [](const std::u16string& s) {
        std::string b("\xFF\xFE", 2);
        for (char16_t c : s) b += static_cast<char>(c & 0xFF), b += static_cast<char>(c >> 8);
        return b;
    };
    const std::u16string thirty(30, u'\u00E9'), thirtyThree(33, u'\u00E9');
    const MemoryMedium m = ExampleMedium();
    Report fits = Check(utf16(u"[autorun]\r\nopen=corvane.exe readme.htm\r\nlabel=" + thirty + u"\r\n"), m);
    EXPECT_FALSE(fits.utf8);  // Windows reads the UTF-16 whole; the texts are not UTF-8 bytes
    EXPECT_EQ(fits.encoding, corvcheck::Encoding::Utf16Le);
    EXPECT_EQ(fits.errors + fits.warnings, 0) << All(fits);
    Report cut = Check(utf16(u"[autorun]\r\nlabel=" + thirtyThree + u"\r\n"), m);
    EXPECT_TRUE(Says(At(cut, "label-too-long", 2), "33 characters"));
    // Big-endian too.
    std::string big("\xFE\xFF", 2);
    for (char c : std::string("[autorun]\r\nlabel=" + std::string(33, 'x') + "\r\n")) big += '\0', big += c;
    Report bigEndian = Check(big, m);
    EXPECT_EQ(bigEndian.encoding, corvcheck::Encoding::Utf16Be);
    At(bigEndian, "label-too-long", 2);
    // Columns count characters: in "é=é" the value starts in column 3.
    const std::string utf8 = "\xEF\xBB\xBF[a]\n\xC3\xA9=\xC3\xA9\n";
    corvcheck::AutorunIni ini = corvcheck::ReadAutorunIni(utf8.data(), utf8.size());
    ASSERT_EQ(ini.sections.size(), 1u);
    ASSERT_EQ(ini.sections[0].entries.size(), 1u);
    EXPECT_EQ(ini.sections[0].entries[0].valueColumn, 3);
}

// How Windows finds what a command names, and the keys that decide whether
// anything runs: each case gives exactly these finding codes (notes apart).
TEST(AutorunCheck, ProgramsAsWindowsFindsThemAndKeysThatStopTheStart) {
    const MemoryMedium m = MemoryMedium(ExampleMedium()).Add("tools/menu.bat", "@echo off");
    const std::string start = "[autorun]\nopen=corvane.exe readme.htm\n";
    struct Case {
        std::string inf;
        std::string codes;
    } cases[] = {
        // ".exe" is added to a name without extension, so this is corvane.exe, started without a document.
        {"[autorun]\nopen=corvane\n", "no-target"},
        {"[autorun]\nopen=bin\\corvane readme.htm -c\n", "settings-elsewhere"},
        {"[autorun]\nopen=tools\\menu.bat\n", "not-corvane"},
        {"[autorun]\nopen=tools\\menu\n", "program-missing"},  // menu.exe is not there
        // A document: open= cannot run it, missing or not.
        {"[autorun]\nopen=readme.htm\n", "open-document"},
        {"[autorun]\nopen=docs\\guide.pdf\n", "open-document program-missing"},
        {"[autorun]\nshellexecute=readme.htm\n", "not-corvane"},
        // Windows' own programs and the command shell's words.
        {start + "shell\\x\\command=cmd.exe /c tools\\menu.bat\n", ""},
        {start + "shell\\x\\command=COMMAND.COM /c tools\\menu.bat\n", "windows-program"},
        {start + "shell\\x\\command=%windir%\\notepad.exe readme.htm\n", ""},
        {start + "shell\\x\\command=echo\n", "shell-command"},
        {start + "shell\\x\\command=notepad.com\n", "program-missing"},
        {"[autorun]\nopen=explorer.exe readme.htm\n", "not-corvane"},
        // Quotes around the whole value matter only when the cut name is not there.
        {"[autorun]\nopen=\"corvane.exe readme.htm\"\n", ""},
        {"[autorun]\nshellexecute=\"read me.htm\"\n", "quoted-program"},
        {"[autorun]\nopen=\"\"read me.htm\"\"\n", "open-document"},
        // UseAutoPlay and CustomEvent.
        {start + "UseAutoPlay=0\n", ""},
        {start + "useautoplay= 1\n", "useautoplay"},
        {start + "CustomEvent=Toolkit2024\n", ""},
        {start + "CustomEvent=" + std::string(101, 'a') + "\n", "bad-customevent"},
        {start + "CustomEvent=\n", "bad-customevent"},
        // The end-of-file mark; one that is not at the end is a line of its own.
        {start + "\x1A\r\n\x1A", ""},
        {start + "\x1A\nlabel=x\n", "no-equals"},
        // Unknown names: near misses one by one, the others counted in one note.
        {start + "Lable=x\nButtons=6\nTitle=x\n[Menu]\n[BUTTON1]\n[BUTTON1]\n", "unknown-key"},
        {start + "shell\\go\\comand=corvane.exe\n", "unknown-key"},  // meant for Windows: never only counted
    };
    for (const Case& c : cases) {
        Report r = Check(c.inf, m);
        std::string codes;
        for (const Finding& f : r.findings)
            if (f.severity != Severity::Note) codes += (codes.empty() ? "" : " ") + f.code;
        EXPECT_EQ(codes, c.codes) << c.inf << "\n" << All(r);
    }
    const Report others = Check(start + "Buttons=6\nTitle=x\n[Menu]\n[BUTTON1]\n[BUTTON1]\n", m);
    EXPECT_TRUE(Says(At(others, "other-names", 3),
                     "3 sections and 2 keys that Windows does not read here (the first: 'Buttons' in [autorun])"));
    EXPECT_TRUE(Says(At(Check(start + "label=" + std::string(40, 'x') + "\n", m), "label-too-long", 3),
                     "not the volume label, and Explorer shows only the first 32"));
}

TEST(AutorunCheck, IconReaderStaysInsideDamagedPrograms) {
    const std::string full = petest::Program(2, {5, 9, 300}, true);
    corvcheck::IconSource whole =
        corvcheck::ReadIconSource(reinterpret_cast<const unsigned char*>(full.data()), full.size());
    ASSERT_EQ(whole.kind, corvcheck::IconSource::Program);
    EXPECT_EQ(whole.groupIds, (std::vector<unsigned>{0, 0, 5, 9, 300}));
    EXPECT_FALSE(whole.damaged);
    EXPECT_TRUE(corvcheck::HasIconAt(whole, -300));
    EXPECT_FALSE(corvcheck::HasIconAt(whole, 5));
    // Every shorter copy: never more groups, and a cut inside the table is told.
    for (size_t n = 0; n < full.size(); ++n) {
        std::vector<unsigned char> cut(full.begin(), full.begin() + n);
        corvcheck::IconSource s = corvcheck::ReadIconSource(cut.data(), cut.size());
        ASSERT_LE(s.groupIds.size(), whole.groupIds.size()) << n;
        if (n > 0x200 && s.groupIds.size() < whole.groupIds.size()) {
            EXPECT_TRUE(s.damaged) << n;
        }
    }
    // A resource table pointing outside the file, and a section count that runs off the end.
    std::string wild = full;
    petest::Put32(wild, 0x200 + 28, 0x80000000u | 0x7FFFFFF0u);
    EXPECT_TRUE(corvcheck::ReadIconSource(reinterpret_cast<const unsigned char*>(wild.data()), wild.size()).damaged);
    std::string sections = full;
    petest::Put16(sections, 0x46, 0xFFFF);
    corvcheck::IconSource many =
        corvcheck::ReadIconSource(reinterpret_cast<const unsigned char*>(sections.data()), sections.size());
    EXPECT_EQ(many.groupIds.size(), 5u);  // the first section already holds the table
}
