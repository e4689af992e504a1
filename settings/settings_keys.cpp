#include "settings/settings_keys.h"

#include <cstring>

#include "base/format.h"
#include "base/text.h"
#include "settings/settings.h"

// In the order the settings reader asks for them.
const SettingKey kSettingKeys[] = {
    {"Filename", SettingText, kTextCap, "", FileTarget, 0},
    {"Param", SettingText, kTextCap, "", FileNothing, 0},
    {"SpecialParam", SettingSpecial, kTextCap, "", FileNothing, 0},
    {"FilenameCondition", SettingCondition, kTextCap, "", FileNothing, 0},
    {"FilenameMenu", SettingText, kTextCap, "", FileNothing, 0},
    {"Message", SettingText, kTextCap, "", FileNothing, 0},
    {"Display", SettingText, kTextCap, "Quarnsoft", FileNothing, 0},
    {"Web", SettingText, kTextCap, "", FileNothing, 0},
    {"WebMsg", SettingText, kTextCap, "<\"Starting \" and Web, or the maker's message without Web>", FileNothing, 0},
    {"Title", SettingText, kTextCap, "Corvane 3.2", FileNothing, 0},
    {"NoViewerMsg", SettingText, kTextCap, "", FileNothing, 0},
    {"NoViewerCmd", SettingText, kTextCap, "", FileProgram, 0},
    {"NoBrowser", SettingText, kTextCap, "", FileProgram, 0},
    {"NoViewerCmdParam", SettingText, kTextCap, "", FileNothing, 0},
    {"NoViewerCmdClick", SettingText, kTextCap, "", FileProgram, 0},
    {"NoViewerCmdClickParam", SettingText, kTextCap, "", FileNothing, 0},
    {"NoViewerCmdClickText", SettingText, kTextCap, "Install viewer", FileNothing, 0},
    {"NoViewerCmdClickMsg", SettingText, kTextCap, "", FileNothing, 0},
    {"NoViewerCmdClickRetryShow", SettingWord, kWordCap, "", FileNothing, 0},
    {"ExitMsg", SettingText, kTextCap, "Exit", FileNothing, 0},
    {"yExit", SettingInt, 0, "0", FileNothing, 0},
    {"NoViewerVersion", SettingVersion, kPathCap, "", FileNothing, 0},
    {"ShowTime", SettingInt, 0, "0", FileNothing, 0},
    {"ShowOptions", SettingBits, 0, "0", FileNothing, 7},
    {"DoNotRepeatColor", SettingColour, kColourCap, "0,0,255", FileNothing, 0},
    {"InfoColor", SettingColour, kColourCap, "0,0,255", FileNothing, 0},
    {"MsgColor", SettingColour, kColourCap, "", FileNothing, 0},
    {"BkColor", SettingColour, kColourCap, "", FileNothing, 0},
    {"icon", SettingText, kTextCap, "", FileBitmap, 0},
    {"xInfo", SettingInt, 0, "0", FileNothing, 0},
    {"yInfo", SettingInt, 0, "0", FileNothing, 0},
    {"yMsg", SettingInt, 0, "0", FileNothing, 0},
    {"xSize", SettingInt, 0, "0", FileNothing, 0},
    {"ySize", SettingInt, 0, "0", FileNothing, 0},
    {"xIcon", SettingInt, 0, "0", FileNothing, 0},
    {"yIcon", SettingInt, 0, "0", FileNothing, 0},
    {"xPos", SettingPositionX, kTextCap, "", FileNothing, 0},
    {"yPos", SettingPositionY, kTextCap, "", FileNothing, 0},
    {"xMenu", SettingInt, 0, "0", FileNothing, 0},
    {"yMenu", SettingInt, 0, "0", FileNothing, 0},
    {"InfoSize", SettingInt, 0, "16", FileNothing, 0},
    {"InfoWeight", SettingInt, 0, "0", FileNothing, 0},
    {"InfoItalic", SettingInt, 0, "0", FileNothing, 0},
    {"InfoFace", SettingText, kTextCap, "Arial", FileNothing, 0},
    {"MsgSize", SettingInt, 0, "<InfoSize>", FileNothing, 0},
    {"MsgWeight", SettingInt, 0, "<InfoWeight>", FileNothing, 0},
    {"MsgItalic", SettingInt, 0, "<InfoItalic>", FileNothing, 0},
    {"MsgFace", SettingText, kTextCap, "<InfoFace>", FileNothing, 0},
    {"splash", SettingText, kTextCap, "", FileBitmap, 0},
    {"SplashShowTime", SettingInt, 0, "0", FileNothing, 0},
    {"SplashOptions", SettingBits, 0, "0", FileNothing, 1},
    {"xSplash", SettingPositionX, kTextCap, "", FileNothing, 0},
    {"ySplash", SettingPositionY, kTextCap, "", FileNothing, 0},
    {"Filename%d", SettingText, kPathCap, "", FileTarget, 0},
    {"Filename%dParam", SettingText, kPathCap, "", FileNothing, 0},
    {"Filename%dSpecialParam", SettingSpecial, kPathCap, "", FileNothing, 0},
    {"Filename%dCondition", SettingCondition, kTextCap, "", FileNothing, 0},
    {"Filename%dMenu", SettingText, kTextCap, "", FileNothing, 0},
    {"ViewerFile%d", SettingText, kPathCap, "", FileSample, 0},
    {"ViewerMsg%d", SettingText, kPathCap, "", FileNothing, 0},
    {"ViewerCmd%d", SettingText, kPathCap, "", FileProgram, 0},
    {"ViewerCmdParam%d", SettingText, kPathCap, "", FileNothing, 0},
    {"ViewerCmdClick%d", SettingText, kPathCap, "", FileProgram, 0},
    {"ViewerCmdClickParam%d", SettingText, kPathCap, "", FileNothing, 0},
    {"ViewerCmdClickText%d", SettingText, kPathCap, "", FileNothing, 0},
    {"ViewerCmdClickMsg%d", SettingText, kPathCap, "", FileNothing, 0},
    {"ViewerVersion%d", SettingVersion, kPathCap, "", FileNothing, 0},
    {"DoNotRepeatId", SettingText, kTextCap, "", FileNothing, 0},
    {"DoNotRepeatText", SettingText, kTextCap, "Do not show again", FileNothing, 0},
};
const size_t kSettingKeyCount = sizeof kSettingKeys / sizeof kSettingKeys[0];

namespace {

// Matches `name` against a pattern with at most one "%d".
bool Matches(const char* pattern, const char* name, size_t length, int* number) {
    // The part before any "%d" must match letter for letter; most rows fail
    // on the first letter.
    size_t prefix = 0;
    for (; pattern[prefix] && pattern[prefix] != '%'; ++prefix)
        if (prefix >= length || LowerAscii(pattern[prefix]) != LowerAscii(name[prefix])) return false;
    if (!pattern[prefix]) return prefix == length;
    const char* tail = pattern + prefix + 2;  // after "%d"
    size_t suffix = std::strlen(tail);
    if (length < prefix + suffix + 1) return false;
    if (CompareNoCase(tail, suffix, name + length - suffix, suffix) != 0) return false;
    const char* digits = name + prefix;
    size_t count = length - prefix - suffix;
    if (digits[0] == '0') return false;
    long value = 0;
    for (size_t i = 0; i < count; ++i) {
        if (digits[i] < '0' || digits[i] > '9') return false;
        if (value < 100000) value = value * 10 + (digits[i] - '0');
    }
    *number = static_cast<int>(value);
    return true;
}

}  // namespace

const SettingKey* FindSettingKey(const char* name, size_t length, int* number) {
    int n = 0;
    for (size_t i = 0; i < kSettingKeyCount; ++i) {
        if (Matches(kSettingKeys[i].name, name, length, &n)) {
            if (number) *number = n;
            return &kSettingKeys[i];
        }
    }
    return nullptr;
}

void SettingKeyName(const SettingKey& key, int number, char* out, size_t cap) {
    if (!out || cap == 0) return;
    FormatText(out, cap, key.name, number);
}
