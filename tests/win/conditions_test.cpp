// Conditions evaluated against the real system: files in a scratch folder,
// registry values written under every root, and file associations that point
// at the versioned test programs. Everything written is removed again.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "conditions/condition.h"

namespace {

std::string BinFolder() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    char* slash = strrchr(path, '\\');
    if (slash) slash[1] = '\0';
    return path;
}

std::string Unique() {
    char text[32];
    snprintf(text, sizeof text, "%lu_%lu", GetCurrentProcessId(), GetTickCount() & 0xFFFFFu);
    return text;
}

class ConditionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        unique_ = Unique();
        char temp[MAX_PATH] = {};
        ASSERT_GT(GetTempPathA(MAX_PATH, temp), 0u);
        folder_ = std::string(temp) + "cvcond_" + unique_;
        ASSERT_TRUE(CreateDirectoryA(folder_.c_str(), nullptr));
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        savedDirectory_ = current;
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.c_str()));
    }

    void TearDown() override {
        SetCurrentDirectoryA(savedDirectory_.c_str());
        for (const std::string& file : files_) DeleteFileA(file.c_str());
        RemoveDirectoryA(folder_.c_str());
        for (auto it = keys_.rbegin(); it != keys_.rend(); ++it) {
            RegDeleteTreeA(it->first, it->second.c_str());
            RegDeleteKeyA(it->first, it->second.c_str());
        }
        for (const auto& v : rootValues_) {
            HKEY key = nullptr;
            if (RegOpenKeyExA(v.first, v.second.first.c_str(), 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
                RegDeleteValueA(key, v.second.second.c_str());
                RegCloseKey(key);
            }
        }
        // The shared parent goes too once no test uses it any more.
        for (const auto& k : keys_) {
            if (k.second.rfind("Software\\CorvaneTest\\", 0) != 0 && k.second.rfind(".DEFAULT\\Software\\CorvaneTest\\", 0) != 0)
                continue;
            std::string parent = k.second.substr(0, k.second.rfind('\\'));
            HKEY key = nullptr;
            if (RegOpenKeyExA(k.first, parent.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) continue;
            DWORD subkeys = 1, values = 1;
            LONG rc = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                       nullptr, nullptr, nullptr);
            RegCloseKey(key);
            if (rc == ERROR_SUCCESS && subkeys == 0 && values == 0) RegDeleteKeyA(k.first, parent.c_str());
        }
        // Nothing of ours may be left behind.
        for (const auto& k : keys_) {
            HKEY key = nullptr;
            EXPECT_NE(RegOpenKeyExA(k.first, k.second.c_str(), 0, KEY_QUERY_VALUE, &key), ERROR_SUCCESS) << k.second;
            if (key) RegCloseKey(key);
        }
        EXPECT_EQ(GetFileAttributesA(folder_.c_str()), INVALID_FILE_ATTRIBUTES);
    }

    // Creates `subkey` under `root` and remembers it for removal.
    HKEY CreateKey(HKEY root, const std::string& subkey) {
        HKEY key = nullptr;
        LONG rc = RegCreateKeyExA(root, subkey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        EXPECT_EQ(rc, ERROR_SUCCESS) << subkey;
        keys_.push_back({root, subkey});
        return key;
    }

    void SetValue(HKEY root, const std::string& subkey, const char* name, DWORD type, const void* data, DWORD size) {
        HKEY key = CreateKey(root, subkey);
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(RegSetValueExA(key, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void SetDword(HKEY root, const std::string& subkey, const char* name, DWORD value) {
        SetValue(root, subkey, name, REG_DWORD, &value, sizeof value);
    }
    void SetString(HKEY root, const std::string& subkey, const char* name, const char* text) {
        SetValue(root, subkey, name, REG_SZ, text, static_cast<DWORD>(strlen(text) + 1));
    }

    // The scratch key under HKEY_CURRENT_USER, as the tests' subkey and as
    // written in a condition.
    std::string UserKey() const { return "Software\\CorvaneTest\\" + unique_; }
    std::string UserCondition(const std::string& rest) const {
        return "r?HKEY_CURRENT_USER\\" + UserKey() + "\\" + rest;
    }

    std::string MakeFile(const std::string& name) {
        std::string path = folder_ + "\\" + name;
        HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << path;
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
        files_.push_back(path);
        return path;
    }

    // Registers ".<tag><unique>" to open with the given test program and
    // returns a sample file of that type in the scratch folder.
    std::string Associate(const char* tag, const char* program) {
        std::string extension = std::string(".") + tag + unique_;
        std::string fileClass = std::string("CorvaneTest.") + tag + unique_;
        SetString(HKEY_CLASSES_ROOT, extension, "", fileClass.c_str());
        SetString(HKEY_CLASSES_ROOT, fileClass, "", "Corvane test file");
        std::string command = "\"" + BinFolder() + program + "\" \"%1\"";
        SetString(HKEY_CLASSES_ROOT, fileClass + "\\shell\\open\\command", "", command.c_str());
        keys_.push_back({HKEY_CLASSES_ROOT, fileClass + "\\shell"});  // removed before the class
        return MakeFile(std::string("sample") + extension);
    }

    bool Eval(const std::string& text, const std::string& target = "", TextEncoding encoding = TextEncoding::Ansi) {
        std::vector<char> buffer(text.begin(), text.end());
        buffer.push_back('\0');
        Condition condition;
        EXPECT_TRUE(ParseCondition(buffer.data(), condition)) << text;
        EXPECT_EQ(condition.parseError, nullptr) << text << ": " << condition.parseError;
        return EvaluateCondition(condition, target.c_str(), encoding);
    }

    std::string unique_;
    std::string folder_;
    std::string savedDirectory_;
    std::vector<std::string> files_;
    std::vector<std::pair<HKEY, std::string>> keys_;
    std::vector<std::pair<HKEY, std::pair<std::string, std::string>>> rootValues_;
};

// --- file terms ---------------------------------------------------------------

TEST_F(ConditionsTest, FileTermsAndTheirCombinations) {
    MakeFile("a.txt");
    EXPECT_TRUE(Eval(""));
    EXPECT_TRUE(Eval("f?a.txt?"));
    EXPECT_FALSE(Eval("f?b.txt?"));
    EXPECT_FALSE(Eval("!?f?a.txt"));
    EXPECT_TRUE(Eval("!?f?b.txt"));
    EXPECT_TRUE(Eval("f?a.txt?|?f?b.txt?"));
    EXPECT_TRUE(Eval("f?b.txt?|?f?a.txt?"));
    EXPECT_FALSE(Eval("f?a.txt?f?b.txt?"));
    EXPECT_FALSE(Eval("!?&?f?b.txt?"));  // the and term clears the not
    EXPECT_TRUE(Eval("|?f?b.txt?"));
    EXPECT_TRUE(Eval("f?" + folder_ + "\\a.txt?"));  // absolute path
}

TEST_F(ConditionsTest, FileTermFolderCountsAndRelativePathsFollowTheCurrentDirectory) {
    MakeFile("a.txt");
    EXPECT_TRUE(Eval("f?" + folder_ + "?"));
    EXPECT_TRUE(Eval("f?.?"));
    ASSERT_TRUE(SetCurrentDirectoryA(BinFolder().c_str()));
    EXPECT_FALSE(Eval("f?a.txt?"));
    EXPECT_TRUE(Eval("f?ver_5_5_0_0.exe?"));
}

// --- registry terms -------------------------------------------------------------

TEST_F(ConditionsTest, RegistryDwordHexadecimal) {
    SetDword(HKEY_CURRENT_USER, UserKey(), "Version", 17);
    EXPECT_TRUE(Eval(UserCondition("Version>0x10?")));
    EXPECT_TRUE(Eval(UserCondition("Version=0x11?")));
    EXPECT_FALSE(Eval(UserCondition("Version<0x11?")));
    SetDword(HKEY_CURRENT_USER, UserKey(), "Version", 16);
    EXPECT_FALSE(Eval(UserCondition("Version>0x10?")));
    EXPECT_TRUE(Eval(UserCondition("Version=0X10?")));
}

TEST_F(ConditionsTest, RegistryDwordDecimalAndNegative) {
    SetDword(HKEY_CURRENT_USER, UserKey(), "N", 17);
    EXPECT_TRUE(Eval(UserCondition("N=17?")));
    EXPECT_TRUE(Eval(UserCondition("N>16?")));
    EXPECT_FALSE(Eval(UserCondition("N>17?")));
    EXPECT_TRUE(Eval(UserCondition("N<18?")));
    EXPECT_TRUE(Eval(UserCondition("N< +18?")));
    // Compared as unsigned: -1 stands for 0xFFFFFFFF.
    EXPECT_TRUE(Eval(UserCondition("N<-1?")));
    SetDword(HKEY_CURRENT_USER, UserKey(), "N", 0xFFFFFFFFu);
    EXPECT_TRUE(Eval(UserCondition("N=-1?")));
    EXPECT_TRUE(Eval(UserCondition("N>2147483647?")));
}

TEST_F(ConditionsTest, RegistryMalformedHexMakesTheTermFalseAndGoesOn) {
    SetDword(HKEY_CURRENT_USER, UserKey(), "N", 0);
    EXPECT_FALSE(Eval(UserCondition("N=0x1G?")));
    EXPECT_FALSE(Eval(UserCondition("N<0xZ?")));
    EXPECT_FALSE(Eval(UserCondition("N>0x-1?")));
    // Evaluation continues after the faulty term.
    EXPECT_TRUE(Eval(UserCondition("N=0x1G?|?") + UserCondition("N=0?")));
    EXPECT_TRUE(Eval("!?" + UserCondition("N=0xQ?")));
}

TEST_F(ConditionsTest, RegistryTextValues) {
    SetString(HKEY_CURRENT_USER, UserKey(), "S", "abc");
    EXPECT_TRUE(Eval(UserCondition("S>abb?")));
    EXPECT_FALSE(Eval(UserCondition("S=ABC?")));
    EXPECT_TRUE(Eval(UserCondition("S=abc?")));
    EXPECT_TRUE(Eval(UserCondition("S<abd?")));
    EXPECT_TRUE(Eval(UserCondition("S<abca?")));
    EXPECT_FALSE(Eval(UserCondition("S<abc?")));
    // A number in a string value compares as text.
    SetString(HKEY_CURRENT_USER, UserKey(), "T", "9");
    EXPECT_TRUE(Eval(UserCondition("T>10?")));
    // A text beyond ASCII compares in the settings file's encoding: é and
    // ž are E9 and 9E in the Western code page, C3 A9 and C5 BE in UTF-8.
    ASSERT_EQ(GetACP(), 1252u);
    SetString(HKEY_CURRENT_USER, UserKey(), "A", "\xE9");
    EXPECT_FALSE(Eval(UserCondition("A<\xC5\xBE?"), "", TextEncoding::Ansi));
    EXPECT_TRUE(Eval(UserCondition("A<\xC5\xBE?"), "", TextEncoding::Utf8));
    EXPECT_TRUE(Eval(UserCondition("A<\xC5\xBE?"), "", TextEncoding::Utf16));
}

TEST_F(ConditionsTest, RegistryTextWithoutTerminatorAndBinary) {
    SetValue(HKEY_CURRENT_USER, UserKey(), "Raw", REG_SZ, "abcXXXX", 3);  // no terminator stored
    EXPECT_TRUE(Eval(UserCondition("Raw=abc?")));
    EXPECT_TRUE(Eval(UserCondition("Raw<abcX?")));
    EXPECT_FALSE(Eval(UserCondition("Raw>abc?")));

    const unsigned char bytes[] = {'x', 'y'};
    SetValue(HKEY_CURRENT_USER, UserKey(), "Bin", REG_BINARY, bytes, sizeof bytes);
    EXPECT_TRUE(Eval(UserCondition("Bin=xy?")));
    EXPECT_TRUE(Eval(UserCondition("Bin>x?")));

    SetValue(HKEY_CURRENT_USER, UserKey(), "Empty", REG_BINARY, "", 0);
    EXPECT_TRUE(Eval(UserCondition("Empty?")));
    EXPECT_TRUE(Eval(UserCondition("Empty=?")));
    EXPECT_TRUE(Eval(UserCondition("Empty<a?")));
}

TEST_F(ConditionsTest, RegistryExistenceAndDefaultValue) {
    SetDword(HKEY_CURRENT_USER, UserKey(), "Here", 1);
    EXPECT_TRUE(Eval(UserCondition("Here?")));
    EXPECT_FALSE(Eval(UserCondition("Gone?")));
    EXPECT_FALSE(Eval("r?HKEY_CURRENT_USER\\Software\\CorvaneTest\\no_such_" + unique_ + "\\Here?"));
    // The key has no default value yet.
    EXPECT_FALSE(Eval(UserCondition("")));
    SetString(HKEY_CURRENT_USER, UserKey(), "", "dflt");
    EXPECT_TRUE(Eval("r?hkey_current_user\\" + UserKey() + "\\"));
    EXPECT_TRUE(Eval(UserCondition("=dflt")));
}

TEST_F(ConditionsTest, RegistryLastComponentIsTheValueName) {
    // The key Software\CorvaneTest\<unique> exists, but the condition asks for
    // a value of that name in Software\CorvaneTest.
    SetDword(HKEY_CURRENT_USER, UserKey(), "Here", 1);
    std::string asKey = "r?HKEY_CURRENT_USER\\Software\\CorvaneTest\\" + unique_;
    EXPECT_FALSE(Eval(asKey));
    SetDword(HKEY_CURRENT_USER, "Software\\CorvaneTest", unique_.c_str(), 5);
    keys_.pop_back();  // the shared parent key stays; only our value goes
    rootValues_.push_back({HKEY_CURRENT_USER, {"Software\\CorvaneTest", unique_}});
    EXPECT_TRUE(Eval(asKey + "=5"));
}

TEST_F(ConditionsTest, RegistryEveryRoot) {
    std::string classKey = "CorvaneTest" + unique_;
    SetDword(HKEY_CLASSES_ROOT, classKey, "Probe", 5);
    EXPECT_TRUE(Eval("r?HKEY_CLASSES_ROOT\\" + classKey + "\\Probe=5?"));
    EXPECT_FALSE(Eval("r?HKEY_CLASSES_ROOT\\" + classKey + "\\Probe=6?"));

    SetDword(HKEY_LOCAL_MACHINE, UserKey(), "Probe", 7);
    EXPECT_TRUE(Eval("r?HKEY_LOCAL_MACHINE\\" + UserKey() + "\\Probe=7?"));
    EXPECT_FALSE(Eval("r?HKEY_CURRENT_USER\\" + UserKey() + "\\Probe?"));

    std::string usersKey = ".DEFAULT\\" + UserKey();
    SetString(HKEY_USERS, usersKey, "Probe", "users");
    EXPECT_TRUE(Eval("r?HKEY_USERS\\" + usersKey + "\\Probe=users?"));
    // A value directly under the root: the root itself is queried.
    EXPECT_FALSE(Eval("r?HKEY_USERS\\NoSuchValue" + unique_));
}

TEST_F(ConditionsTest, RegistryMixedWithFileTerms) {
    MakeFile("a.txt");
    SetDword(HKEY_CURRENT_USER, UserKey(), "V", 3);
    EXPECT_TRUE(Eval("f?a.txt?&?" + UserCondition("V=3?")));
    EXPECT_FALSE(Eval("f?a.txt?" + UserCondition("V=4?")));
    EXPECT_TRUE(Eval("f?b.txt?|?" + UserCondition("V>2?")));
    EXPECT_FALSE(Eval("f?a.txt?!?" + UserCondition("V?")));
}

// --- version terms through real associations ----------------------------------------

TEST_F(ConditionsTest, VersionRangeIsFromInclusiveToExclusive) {
    std::string v55 = Associate("cvv55", "ver_5_5_0_0.exe");
    std::string v60 = Associate("cvv60", "ver_6_0_0_0.exe");
    std::string v62 = Associate("cvv62", "ver_6_0_2800_1106.exe");
    EXPECT_TRUE(Eval("v?5.0.0.0:6.0.0.0", v55));
    EXPECT_FALSE(Eval("v?5.0.0.0:6.0.0.0", v60));
    EXPECT_FALSE(Eval("v?5.0.0.0:6.0.0.0", v62));
    EXPECT_TRUE(Eval("v?5.5.0.0:6.0.0.1?", v60));
    EXPECT_FALSE(Eval("v?5.5.0.1?", v55));
    EXPECT_TRUE(Eval("v?5.5.0.0?", v55));
    EXPECT_TRUE(Eval("v?6.0.2800.1106?", v62));
    EXPECT_FALSE(Eval("v?6.0.2800.1107?", v62));
    // The range test combines like any other.
    EXPECT_TRUE(Eval("v?6.0.0.0?|?v?5.0.0.0:5.6.0.0?", v55));
    EXPECT_TRUE(Eval("!?v?6.0.0.0", v55));
}

TEST_F(ConditionsTest, VersionNotHoldsOnlyWithoutAssociatedProgram) {
    std::string v55 = Associate("cvv55", "ver_5_5_0_0.exe");
    std::string plain = MakeFile("plain.cvnoassoc" + unique_);
    EXPECT_FALSE(Eval("v?not", v55));
    EXPECT_TRUE(Eval("v?not", plain));
    EXPECT_TRUE(Eval("v?NOT?", folder_ + "\\missing.cvv55" + unique_));
    // Without an associated program a plain range does not hold.
    EXPECT_FALSE(Eval("v?0.0.0.0", plain));
    EXPECT_FALSE(Eval("v?0.0.0.0", folder_ + "\\missing.cvv55" + unique_));
}

TEST_F(ConditionsTest, VersionProgramNames) {
    std::string v55 = Associate("cvv55", "ver_5_5_0_0.exe");
    std::string v60 = Associate("cvv60", "ver_6_0_0_0.exe");
    std::string plain = MakeFile("plain.cvnoassoc" + unique_);
    // A named from bound needs that program, ignoring case.
    EXPECT_TRUE(Eval("v?5.0.0.0,VER_5_5_0_0.EXE", v55));
    EXPECT_FALSE(Eval("v?5.0.0.0,ver_5_5_0_0.exe", v60));
    // A negated named bound: any program but the named one.
    EXPECT_FALSE(Eval("v?not,ver_5_5_0_0.exe", v55));
    EXPECT_TRUE(Eval("v?not,ver_5_5_0_0.exe", v60));
    EXPECT_TRUE(Eval("v?not,ver_5_5_0_0.exe", plain));
    // To bounds with names.
    EXPECT_FALSE(Eval("v?5.0.0.0:not,ver_6_0_0_0.exe", v60));
    EXPECT_TRUE(Eval("v?5.0.0.0:not,ver_6_0_0_0.exe", v55));
    EXPECT_FALSE(Eval("v?5.0.0.0:7.0.0.0,other.exe", v55));
    EXPECT_TRUE(Eval("v?5.0.0.0:7.0.0.0,ver_5_5_0_0.exe", v55));
}

TEST_F(ConditionsTest, VersionOfProgramWithoutResourceIsBelowEveryBound) {
    std::string nv = Associate("cvvnv", "noversion.exe");
    EXPECT_FALSE(Eval("v?0.0.0.0", nv));
    EXPECT_FALSE(Eval("v?not", nv));
    EXPECT_TRUE(Eval("v?not,ver_5_5_0_0.exe", nv));
    // A negated from bound for another program passes on to the to bound.
    EXPECT_TRUE(Eval("v?not,other.exe:1.0.0.0", nv));
}

// --- reporting ----------------------------------------------------------------------

TEST_F(ConditionsTest, MainConditionErrorStopsAtTheBadTerm) {
    char text[] = "f?b.txt?!?F?b?";
    Condition condition;
    EXPECT_FALSE(ParseCondition(text, condition));
    EXPECT_STREQ(condition.parseError, "Invalid conditional");
    ASSERT_EQ(condition.count, 2);
    // The terms before the bad one stay and are evaluated: b.txt is missing
    // (an emptied condition would be true).
    EXPECT_FALSE(EvaluateCondition(condition, "", TextEncoding::Ansi));
    MakeFile("b.txt");
    EXPECT_TRUE(EvaluateCondition(condition, "", TextEncoding::Ansi));
}

}  // namespace
