#include "settings/settings_keys.h"

#include <cstddef>
#include <cstring>

#include "base/format.h"
#include "base/text.h"
#include "settings/settings.h"

const char kDefaultDisplay[] = "Quarnsoft";
const char kDefaultTitle[] = CORVANE_PRODUCT_NAME;
const char kDefaultInstallCaption[] = "Install viewer";
const char kDefaultExitCaption[] = "Exit";
const char kDefaultFace[] = "Arial";
const char kDefaultDoNotRepeatText[] = "Do not show again";
const char kMakerWebAddress[] = "https://www.quarnco.com/corvane/";
const char kMakerWebMessage[] = "Showing Quarnco web site...";

namespace {

const char kBlue[] = "0,0,255";

// Where a field lies in its record.
#define IN_SETTINGS(field) static_cast<uint32_t>(offsetof(Settings, field))
#define IN_MENU(field) static_cast<uint32_t>(offsetof(MenuEntry, field))
#define IN_VIEWER(field) static_cast<uint32_t>(offsetof(ViewerRule, field))

}  // namespace

// In the order the settings reader asks for them:
// {name, default, field, capacity, kind, place, file, flags, valid bits, from}.
const SettingKey kSettingKeys[] = {
    {"Filename", nullptr, IN_SETTINGS(Filename), kTextCap, SettingText, PlaceSettings, FileTarget, 0, 0, 0},
    {"Param", nullptr, IN_SETTINGS(Param), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"SpecialParam", nullptr, IN_SETTINGS(SpecialParam), kTextCap, SettingSpecial, PlaceSettings, FileNothing, 0, 0, 0},
    {"FilenameCondition", nullptr, IN_SETTINGS(FilenameCondition), kTextCap, SettingCondition, PlaceSettings, FileNothing, 0, 0, 0},
    {"FilenameMenu", nullptr, IN_SETTINGS(FilenameMenu), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"Message", nullptr, IN_SETTINGS(Message), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"Display", kDefaultDisplay, IN_SETTINGS(Display), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"Web", nullptr, IN_SETTINGS(Web), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"WebMsg", kMakerWebMessage, IN_SETTINGS(WebMsg), kTextCap, SettingText, PlaceSettings, FileNothing, FlagDefaultIfPreviousEmpty, 0, 0},
    {"Title", kDefaultTitle, IN_SETTINGS(Title), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerMsg", nullptr, IN_SETTINGS(NoViewerMsg), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerCmd", nullptr, IN_SETTINGS(NoViewerCmd), kTextCap, SettingText, PlaceSettings, FileProgram, 0, 0, 0},
    {"NoBrowser", nullptr, IN_SETTINGS(NoViewerCmd), kTextCap, SettingText, PlaceSettings, FileProgram, FlagIfPreviousEmpty, 0, 0},
    {"NoViewerCmdParam", nullptr, IN_SETTINGS(NoViewerCmdParam), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerCmdClick", nullptr, IN_SETTINGS(NoViewerCmdClick), kTextCap, SettingText, PlaceSettings, FileProgram, 0, 0, 0},
    {"NoViewerCmdClickParam", nullptr, IN_SETTINGS(NoViewerCmdClickParam), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerCmdClickText", kDefaultInstallCaption, IN_SETTINGS(NoViewerCmdClickText), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerCmdClickMsg", nullptr, IN_SETTINGS(NoViewerCmdClickMsg), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerCmdClickRetryShow", nullptr, IN_SETTINGS(NoViewerCmdClickRetryShow), kWordCap, SettingWord, PlaceSettings, FileNothing, 0, 0, 0},
    {"ExitMsg", kDefaultExitCaption, IN_SETTINGS(ExitMsg), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"yExit", 0, IN_SETTINGS(yExit), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"NoViewerVersion", nullptr, IN_SETTINGS(NoViewerVersion), kPathCap, SettingVersion, PlaceSettings, FileNothing, 0, 0, 0},
    {"ShowTime", 15, IN_SETTINGS(ShowTime), 0, SettingSeconds, PlaceSettings, FileNothing, FlagKeepsMinusOne, 0, 0},
    {"ShowOptions", 0, IN_SETTINGS(ShowOptions), 0, SettingBits, PlaceSettings, FileNothing, 0, 7, 0},
    {"DoNotRepeatColor", kBlue, IN_SETTINGS(DoNotRepeatColor), kColourCap, SettingColour, PlaceSettings, FileNothing, 0, 0, 0},
    {"InfoColor", kBlue, IN_SETTINGS(InfoColor), kColourCap, SettingColour, PlaceSettings, FileNothing, 0, 0, 0},
    {"MsgColor", nullptr, IN_SETTINGS(MsgColor), kColourCap, SettingColour, PlaceSettings, FileNothing, 0, 0, 1},
    {"BkColor", nullptr, IN_SETTINGS(BkColor), kColourCap, SettingColour, PlaceSettings, FileNothing, 0, 0, 0},
    {"icon", nullptr, IN_SETTINGS(icon), kTextCap, SettingText, PlaceSettings, FileBitmap, 0, 0, 0},
    {"xInfo", 0, IN_SETTINGS(xInfo), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"yInfo", 0, IN_SETTINGS(yInfo), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"yMsg", 0, IN_SETTINGS(yMsg), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"xSize", 0, IN_SETTINGS(xSize), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"ySize", 0, IN_SETTINGS(ySize), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"xIcon", 0, IN_SETTINGS(xIcon), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"yIcon", 0, IN_SETTINGS(yIcon), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"xPos", nullptr, IN_SETTINGS(popupPos), kTextCap, SettingPositionX, PlaceSettings, FileNothing, 0, 0, 0},
    {"yPos", nullptr, IN_SETTINGS(popupPos), kTextCap, SettingPositionY, PlaceSettings, FileNothing, 0, 0, 0},
    {"xMenu", 0, IN_SETTINGS(xMenu), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"yMenu", 0, IN_SETTINGS(yMenu), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"InfoSize", 16, IN_SETTINGS(InfoSize), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"InfoWeight", 0, IN_SETTINGS(InfoWeight), 0, SettingWeight, PlaceSettings, FileNothing, 0, 0, 0},
    {"InfoItalic", 0, IN_SETTINGS(InfoItalic), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 0},
    {"InfoFace", kDefaultFace, IN_SETTINGS(InfoFace), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"MsgSize", 0, IN_SETTINGS(MsgSize), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 4},
    {"MsgWeight", 0, IN_SETTINGS(MsgWeight), 0, SettingWeight, PlaceSettings, FileNothing, 0, 0, 4},
    {"MsgItalic", 0, IN_SETTINGS(MsgItalic), 0, SettingInt, PlaceSettings, FileNothing, 0, 0, 4},
    {"MsgFace", nullptr, IN_SETTINGS(MsgFace), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 4},
    {"splash", nullptr, IN_SETTINGS(splash), kTextCap, SettingText, PlaceSettings, FileBitmap, 0, 0, 0},
    {"SplashShowTime", 5, IN_SETTINGS(SplashShowTime), 0, SettingSeconds, PlaceSettings, FileNothing, 0, 0, 0},
    {"SplashOptions", 0, IN_SETTINGS(SplashOptions), 0, SettingBits, PlaceSettings, FileNothing, 0, 1, 0},
    {"xSplash", nullptr, IN_SETTINGS(splashPos), kTextCap, SettingPositionX, PlaceSettings, FileNothing, 0, 0, 0},
    {"ySplash", nullptr, IN_SETTINGS(splashPos), kTextCap, SettingPositionY, PlaceSettings, FileNothing, 0, 0, 0},
    {"Filename%d", nullptr, IN_MENU(Filename), kPathCap, SettingText, PlaceMenu, FileTarget, FlagHeap | FlagStopsList, 0, 0},
    {"Filename%dParam", nullptr, IN_MENU(Param), kPathCap, SettingText, PlaceMenu, FileNothing, FlagHeap, 0, 0},
    {"Filename%dSpecialParam", nullptr, IN_MENU(specialProgram), kPathCap, SettingSpecial, PlaceMenu, FileNothing, FlagHeap, 0, 0},
    {"Filename%dCondition", nullptr, IN_MENU(condition), kTextCap, SettingCondition, PlaceMenu, FileNothing, 0, 0, 0},
    {"Filename%dMenu", nullptr, IN_MENU(Menu), kTextCap, SettingText, PlaceMenu, FileNothing, 0, 0, 0},
    {"ViewerFile%d", nullptr, IN_VIEWER(ViewerFile), kPathCap, SettingText, PlaceViewer, FileSample, FlagHeapAlways | FlagStopsList, 0, 0},
    {"ViewerMsg%d", nullptr, IN_VIEWER(ViewerMsg), kPathCap, SettingText, PlaceViewer, FileNothing, FlagHeapAlways | FlagRequired, 0, 0},
    {"ViewerCmd%d", nullptr, IN_VIEWER(ViewerCmd), kPathCap, SettingText, PlaceViewer, FileProgram, FlagHeapAlways, 0, 0},
    {"ViewerCmdParam%d", nullptr, IN_VIEWER(ViewerCmdParam), kPathCap, SettingText, PlaceViewer, FileNothing, FlagHeapAlways, 0, 0},
    {"ViewerCmdClick%d", nullptr, IN_VIEWER(ViewerCmdClick), kPathCap, SettingText, PlaceViewer, FileProgram, FlagHeapAlways, 0, 0},
    {"ViewerCmdClickParam%d", nullptr, IN_VIEWER(ViewerCmdClickParam), kPathCap, SettingText, PlaceViewer, FileNothing, FlagHeapAlways, 0, 0},
    {"ViewerCmdClickText%d", nullptr, IN_VIEWER(ViewerCmdClickText), kPathCap, SettingText, PlaceViewer, FileNothing, FlagHeapAlways, 0, 0},
    {"ViewerCmdClickMsg%d", nullptr, IN_VIEWER(ViewerCmdClickMsg), kPathCap, SettingText, PlaceViewer, FileNothing, FlagHeapAlways, 0, 0},
    {"ViewerVersion%d", nullptr, IN_VIEWER(versionBound), kPathCap, SettingVersion, PlaceViewer, FileNothing, 0, 0, 0},
    {"DoNotRepeatId", nullptr, IN_SETTINGS(DoNotRepeatId), kTextCap, SettingText, PlaceSettings, FileNothing, 0, 0, 0},
    {"DoNotRepeatText", kDefaultDoNotRepeatText, IN_SETTINGS(DoNotRepeatText), kTextCap, SettingText, PlaceSettings, FileNothing, FlagIfPreviousGiven, 0, 0},
};
#undef IN_SETTINGS
#undef IN_MENU
#undef IN_VIEWER
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
