// What every scenario of the suite starts from and leaves behind: the
// gallery desktop, the file classes of a PC, a work folder with the spy's
// log, and the scenario's gallery entry written with its outcome.
#pragma once
#include <windows.h>

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <string>
#include <vector>

#include "accept_support.h"
#include "support/spy_log.h"

namespace accept {

class ScenarioTest : public ::testing::Test {
protected:
    // `tag` names the work folder, so that a folder left by a crash tells
    // which suite it came from.
    explicit ScenarioTest(const char* tag) : tag_(tag) {}

    void SetUp() override {
        // Windows get frames and captions as on a PC: a virtual desktop.
        UseGalleryDesktop();
        RegisterPcClasses();
        DeleteClassesRootTree(".cvdoc");  // the kind of document no program on this PC opens
        work_ = WorkFolder(tag_);
        ASSERT_FALSE(work_.empty());
        log_ = UseSpyLog(work_ + "spy.log");
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", nullptr);
        SetEnvironmentVariableA("CORVANE_SPY_EXIT", nullptr);
    }

    void TearDown() override {
        if (gallery_) {
            std::string failure;
            const ::testing::TestResult* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
            for (int i = 0; i < result->total_part_count(); ++i) {
                const ::testing::TestPartResult& part = result->GetTestPartResult(i);
                if (part.failed()) failure += std::string(part.summary()) + " ";
            }
            gallery_->Finish(!HasFailure(), failure);
        }
        SetEnvironmentVariableA("CORVANE_SPY_HOLD", nullptr);
        DeleteClassesRootTree(".cvdoc");
        RemoveFolderTree(work_);
    }

    GalleryEntry& Gallery(const char* id, const char* title) {
        gallery_.reset(new GalleryEntry(id, title));
        return *gallery_;
    }

    // The spy's records, waiting until `count` arrived (or `ms` passed).
    std::vector<SpyRecord> Spied(size_t count, DWORD ms = 5000) { return WaitForSpyRecords(log_, count, ms); }

    std::string work_, log_;
    std::unique_ptr<GalleryEntry> gallery_;

private:
    const char* tag_;
};

// A medium of the kind a disc author makes: the program, its settings (none
// when empty) and a document.
inline void Author(const Medium& m, const std::string& settings) {
    ASSERT_TRUE(m.Mapped()) << "the mount manager did not map drive " << m.Letter();
    ASSERT_TRUE(m.PutProgram("corvane.exe"));
    ASSERT_TRUE(m.Put("readme.htm", "<html><body>Read me</body></html>\r\n"));
    if (!settings.empty()) ASSERT_TRUE(m.Put("Corva.INF", settings));
}

// The popup's controls.
const int kStatus = 6, kEntry1 = 11;

// The popup shows its status text and the control `id`.
inline bool StatusAndButton(const PopupView& view, int id) { return view.visible && view.Find(kStatus) && view.Find(id); }

// `count` letters of the Russian alphabet in turn, as UTF-8 or in code page 1251.
inline std::string CyrillicLetters(size_t count, bool cp1251) {
    std::string out;
    for (size_t i = 0; i < count; ++i) {
        const unsigned letter = static_cast<unsigned>(i % 32);  // U+0430 to U+044F; 0xE0 to 0xFF in 1251
        const unsigned c = 0x430 + letter;
        if (cp1251) out += static_cast<char>(0xE0 + letter);
        else out += std::string{static_cast<char>(0xC0 | (c >> 6)), static_cast<char>(0x80 | (c & 0x3F))};
    }
    return out;
}

// A long text shown whole: no replacement character, every character.
inline void ExpectWholeText(const std::string& shown, const std::string& want) {
    EXPECT_EQ(shown.find("\xEF\xBF\xBD"), std::string::npos) << "a replacement character in the text";
    EXPECT_EQ(WideOf(shown).size(), WideOf(want).size()) << "characters shown";
    EXPECT_TRUE(shown == want) << "the text differs from what the settings say";
}

inline bool ContainsNoCase(std::string text, std::string part) {
    for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (char& c : part) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text.find(part) != std::string::npos;
}

}  // namespace accept
