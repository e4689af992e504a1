// The do-not-show-again memory against the real registry of the test prefix.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "app/donotshow.h"
#include "settings/settings.h"
#include "run/run_state.h"

namespace {

class DoNotShowMemory : public ::testing::Test {
protected:
    void SetUp() override {
        ResetSettings(settings);
        name_ = "CorvaneTest" + std::to_string(GetCurrentProcessId()) + "_" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::snprintf(settings.DoNotRepeatId, sizeof settings.DoNotRepeatId, "%s", name_.c_str());
        settings.doNotRepeatActive = true;
        run.doNotShowAgain = false;
        runs_ = 0;
    }
    void TearDown() override {
        HKEY key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDoNotShowKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
            RegDeleteValueA(key, name_.c_str());
            RegCloseKey(key);
        }
    }
    void Store(DWORD type, const void* data, DWORD size) {
        HKEY key = OpenDoNotShowKey();
        ASSERT_NE(key, nullptr);
        ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
        RegCloseKey(key);
    }
    // The stored value after the run: its type and DWORD, or type 0 when missing.
    DWORD Stored(DWORD* type) {
        HKEY key;
        *type = 0;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kDoNotShowKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
        DWORD value = 0, size = sizeof value;
        if (RegQueryValueExA(key, name_.c_str(), nullptr, type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
            *type = 0;
        RegCloseKey(key);
        return value;
    }
    static void CountRun(void* self) { ++static_cast<DoNotShowMemory*>(self)->runs_; }
    static void TickBox(void* self) {
        ++static_cast<DoNotShowMemory*>(self)->runs_;
        run.doNotShowAgain = true;
    }

    std::string name_;
    int runs_ = 0;
};

TEST_F(DoNotShowMemory, WithoutAnIdTheRegistryIsNeverTouched) {
    settings.doNotRepeatActive = false;
    EXPECT_TRUE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 1);
    DWORD type;
    Stored(&type);
    EXPECT_EQ(type, 0u);
}

TEST_F(DoNotShowMemory, NothingStoredShowsThePopupAndStoresTheBoxState) {
    EXPECT_TRUE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 1);
    DWORD type;
    EXPECT_EQ(Stored(&type), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

    TearDown();
    EXPECT_TRUE(RunWithDoNotShowMemory(TickBox, this));
    EXPECT_EQ(Stored(&type), 1u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(DoNotShowMemory, StoredOneShowsNothingAndStoresOneAgain) {
    DWORD one = 1;
    Store(REG_DWORD, &one, sizeof one);
    EXPECT_FALSE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 0);
    DWORD type;
    EXPECT_EQ(Stored(&type), 1u);
}

TEST_F(DoNotShowMemory, StoredZeroShowsThePopup) {
    DWORD zero = 0;
    Store(REG_DWORD, &zero, sizeof zero);
    EXPECT_TRUE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 1);
}

TEST_F(DoNotShowMemory, TheStringOneSuppressesALongerStringIsReplaced) {
    Store(REG_SZ, "1", 2);
    EXPECT_FALSE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 0);
    DWORD type;
    EXPECT_EQ(Stored(&type), 1u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

    TearDown();
    run.doNotShowAgain = false;
    Store(REG_SZ, "yes please", 11);  // longer than 4 bytes: the read fails
    EXPECT_TRUE(RunWithDoNotShowMemory(CountRun, this));
    EXPECT_EQ(runs_, 1);
    EXPECT_EQ(Stored(&type), 0u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST_F(DoNotShowMemory, ReadValueIgnoresTheTypeAndRejectsLongValues) {
    HKEY key = OpenDoNotShowKey();
    ASSERT_NE(key, nullptr);
    uint32_t v = 7;
    EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), &v));
    EXPECT_EQ(v, 7u);
    BYTE three[3] = {0, 0, 2};
    ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, REG_BINARY, three, 3), ERROR_SUCCESS);
    EXPECT_TRUE(ReadDoNotShowValue(key, name_.c_str(), &v));
    EXPECT_EQ(v, 0x00020000u);
    BYTE eight[8] = {1};
    ASSERT_EQ(RegSetValueExA(key, name_.c_str(), 0, REG_BINARY, eight, 8), ERROR_SUCCESS);
    EXPECT_FALSE(ReadDoNotShowValue(key, name_.c_str(), &v));
    RegCloseKey(key);
}

}  // namespace
