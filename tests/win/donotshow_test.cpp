// The do-not-show-again memory against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/donotshow.h"
#include "app/show_decision.h"
#include "popup_harness.h"

using namespace harness;

namespace {

class DoNotShowTest : public ::testing::Test {
protected:
    void SetUp() override {
        name_ = "CorvaneTest" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        UseSettings("DoNotRepeatId=" + name_ + "\n");
    }
    void TearDown() override { Forget(); }
    // Removes the value under the Unicode name and under its ANSI forms.
    void Forget() {
        HKEY key = OpenDoNotShowKey();
        if (!key) return;
        RegDeleteValueW(key, WideOf(name_).c_str());
        RegDeleteValueA(key, name_.c_str());
        const HeapText ansiName = AnsiFromUtf8(name_.c_str());
        if (ansiName) RegDeleteValueA(key, ansiName);
        RegCloseKey(key);
    }
    void Store(DWORD type, const void* data, DWORD size) {
        HKEY key = OpenDoNotShowKey();
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(RegSetValueExW(key, WideOf(name_).c_str(), 0, type, static_cast<const BYTE*>(data), size),
                  ERROR_SUCCESS);
        RegCloseKey(key);
    }
    void StoreWide(const wchar_t* text) { Store(REG_SZ, text, (DWORD)((lstrlenW(text) + 1) * sizeof(wchar_t))); }
    // The value under the Unicode name after the run: its type and DWORD, or
    // type 0 when missing.
    DWORD Stored(DWORD* type) {
        HKEY key;
        *type = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDoNotShowKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD value = 0, size = sizeof value;
        if (RegQueryValueExW(key, WideOf(name_).c_str(), nullptr, type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            *type = 0;
        RegCloseKey(key);
        return value;
    }
    // One run as start-up makes it: the memory read while DoNotRepeatId is
    // given, the decision (Ctrl not held), the popup ticking the box when
    // asked, the box's state written back. True when the popup was shown.
    bool RunOnce(bool tickBox = false) {
        DoNotShowMemory memory;
        if (settings.doNotRepeatActive) ReadDoNotShowMemory(memory, settings.DoNotRepeatId, run.settingsEncoding);
        const ShowDecision decision = DecideShowPopup(memory.read, memory.stored, false);
        const bool state = decision.show && tickBox ? true : decision.doNotShowAgain;
        if (memory.key.Valid()) WriteDoNotShowValue(memory.key, settings.DoNotRepeatId, state);
        return decision.show;
    }

    std::string name_;
};

TEST_F(DoNotShowTest, WithoutAnIdTheRegistryIsNeverTouched) {
    UseSettings("");
    EXPECT_TRUE(RunOnce(true));
    DWORD type;
    Stored(&type);
    EXPECT_EQ(type, 0u);
}

TEST_F(DoNotShowTest, NothingStoredShowsThePopupAndStoresTheBoxState) {
    EXPECT_TRUE(RunOnce());
    DWORD type;
    EXPECT_EQ(Stored(&type), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

    Forget();
    EXPECT_TRUE(RunOnce(true));
    EXPECT_EQ(Stored(&type), 1u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(DoNotShowTest, StoredOneShowsNothingAndStoresOneAgain) {
    DWORD one = 1;
    Store(REG_DWORD, &one, sizeof one);
    EXPECT_FALSE(RunOnce());
    DWORD type;
    EXPECT_EQ(Stored(&type), 1u);
}

TEST_F(DoNotShowTest, StoredZeroShowsThePopup) {
    DWORD zero = 0;
    Store(REG_DWORD, &zero, sizeof zero);
    EXPECT_TRUE(RunOnce());
}

// A string counts by its ANSI form, terminator included, as earlier versions
// read it through the ANSI functions: "11" fits their four bytes (and is not
// zero), "1111" and longer texts do not; either is replaced by a DWORD.
TEST_F(DoNotShowTest, AStringCountsByItsAnsiLength) {
    const struct {
        const wchar_t* text;
        bool shown;
    } cases[] = {{L"1", false}, {L"11", false}, {L"1111", true}, {L"yes please", true}};
    for (const auto& c : cases) {
        Forget();
        StoreWide(c.text);
        EXPECT_EQ(RunOnce(), c.shown) << Utf8Of(c.text);
        DWORD type;
        EXPECT_EQ(Stored(&type), c.shown ? 0u : 1u) << Utf8Of(c.text);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    }
}

TEST_F(DoNotShowTest, ReadValueIgnoresTheTypeAndRejectsLongValues) {
    HKEY key = OpenDoNotShowKey();
    ASSERT_NE(key, nullptr);
    uint32_t v = 7;
    EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), TextEncoding::Ansi, &v));
    EXPECT_EQ(v, 7u);
    BYTE three[3] = {0, 0, 2};
    ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, REG_BINARY, three, 3), ERROR_SUCCESS);
    EXPECT_TRUE(ReadDoNotShowValue(key, name_.c_str(), TextEncoding::Ansi, &v));
    EXPECT_EQ(v, 0x00020000u);
    BYTE eight[8] = {1};
    ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, REG_BINARY, eight, 8), ERROR_SUCCESS);
    EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), TextEncoding::Ansi, &v));
    RegCloseKey(key);
}

// An id beyond the ANSI code page ("Ω", an "O" in the Western one): an earlier
// version named the value through the ANSI functions, with the ANSI form the
// system made of a UTF-16 file's text, or with a UTF-8 file's bytes. The
// choice is found, and written back under the Unicode name.
TEST_F(DoNotShowTest, AChoiceStoredUnderAnEarlierVersionsAnsiNameIsFound) {
    ASSERT_EQ(GetACP(), 1252u);
    name_ += "\xCE\xA9";
    const HeapText ansiName = AnsiFromUtf8(name_.c_str());
    ASSERT_TRUE(ansiName);
    const std::string ansiForm(ansiName.get());
    ASSERT_EQ(ansiForm, name_.substr(0, name_.size() - 2) + "O");
    const struct {
        TextEncoding saved;
        std::string earlierName;
        TextEncoding other;  // the encoding under which that name is not the file's
    } cases[] = {{TextEncoding::Utf16, ansiForm, TextEncoding::Utf8},
                 {TextEncoding::Utf8, name_, TextEncoding::Utf16}};
    for (const auto& c : cases) {
        Forget();
        UseSettings("DoNotRepeatId=" + name_ + "\n", c.saved);
        ASSERT_EQ(run.settingsEncoding, c.saved);
        ASSERT_STREQ(settings.DoNotRepeatId, name_.c_str());
        HKEY key = OpenDoNotShowKey();
        ASSERT_NE(key, nullptr);
        DWORD one = 1;
        ASSERT_EQ(RegSetValueExA(key, c.earlierName.c_str(), 0, REG_DWORD, (const BYTE*)&one, sizeof one),
                  ERROR_SUCCESS);
        uint32_t v = 0;
        EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), c.other, &v));
        EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), TextEncoding::Ansi, &v));
        RegCloseKey(key);
        EXPECT_FALSE(RunOnce()) << "the earlier choice was not found";
        DWORD type;
        EXPECT_EQ(Stored(&type), 1u);
        EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    }
}

}  // namespace
