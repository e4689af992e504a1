// The settings model: everything a disc author can tune in Corva.INF, filled
// once at start-up and afterwards only read (a few derived flags excepted).
#pragma once
#include <cstddef>
#include <cstdint>
#include "base/owned.h"
#include "conditions/condition.h"
#include "conditions/version_bound.h"

typedef uint32_t Colour;  // 0x00BBGGRR, red in the low byte

// x: -1 absent, -2..-10 keywords, >= 0 a number pair (then y >= 0 too).
struct Position {
    int32_t x = -1;
    int32_t y = -1;
};

// Texts are read cut to their capacity in characters (terminator included):
// UTF-16 units of a UTF-8 or UTF-16 file, bytes of a file in the ANSI code
// page, which is converted to UTF-8 after that. Either way a character takes
// up to three bytes of UTF-8 for each unit it counts: the room kept for a text.
enum { kTextCap = 1024, kPathCap = 260, kWordCap = 20, kColourCap = 128, kMaxMenuEntries = 10, kMaxViewerRules = 10 };
enum { kTextRoom = 3 * (kTextCap - 1) + 1, kPathRoom = 3 * (kPathCap - 1) + 1, kWordRoom = 3 * (kWordCap - 1) + 1 };

struct MenuEntry {
    bool present = false;
    HeapText Filename;
    HeapText Param;
    HeapText specialProgram;
    HeapText specialParameters;
    Condition condition;
    char Menu[kTextRoom] = {};
    bool hasButton = false;  // a caption is given (whether it is offered is the popup's decision)
    void Release();
};

struct ViewerRule {
    bool present = false;
    HeapText ViewerFile;
    HeapText ViewerMsg;
    HeapText ViewerCmd;
    HeapText ViewerCmdParam;
    HeapText ViewerCmdClick;
    HeapText ViewerCmdClickParam;
    HeapText ViewerCmdClickText;
    HeapText ViewerCmdClickMsg;
    VersionBound versionBound;
    void Release();
};

struct Settings {
    // Filled at run time (ResetSettings), so that the large record is
    // zero-filled storage rather than data carried in the executable.
    Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    char Filename[kTextRoom];
    char Param[kTextRoom];
    char SpecialParam[kTextRoom];
    const char* specialProgram;     // views into SpecialParam, or null
    const char* specialParameters;
    Condition FilenameCondition;
    char FilenameMenu[kTextRoom];
    bool mainHasButton;
    bool anyButton;
    char Message[kTextRoom];
    char Display[kTextRoom];
    size_t displayLength;
    char Web[kTextRoom];
    char WebMsg[kTextRoom];
    char Title[kTextRoom];
    char NoViewerMsg[kTextRoom];
    char NoViewerCmd[kTextRoom];
    char NoViewerCmdParam[kTextRoom];
    char NoViewerCmdClick[kTextRoom];
    char NoViewerCmdClickParam[kTextRoom];
    char NoViewerCmdClickText[kTextRoom];
    char NoViewerCmdClickMsg[kTextRoom];
    char NoViewerCmdClickRetryShow[kWordRoom];
    bool retryShow;
    char ExitMsg[kTextRoom];
    int32_t yExit;
    VersionBound NoViewerVersion;
    int32_t ShowTime;
    int32_t ShowOptions;
    Colour DoNotRepeatColor;
    Colour InfoColor;
    Colour MsgColor;
    Colour BkColor;
    char icon[kTextRoom];
    int32_t xInfo, yInfo, yMsg, xSize, ySize, xIcon, yIcon;
    Position popupPos;   // xPos, yPos
    int32_t xMenu, yMenu;
    int32_t InfoSize, InfoWeight, InfoItalic;
    char InfoFace[kTextRoom];
    int32_t MsgSize, MsgWeight, MsgItalic;
    char MsgFace[kTextRoom];
    char splash[kTextRoom];
    int32_t SplashShowTime;
    int32_t SplashOptions;
    Position splashPos;  // xSplash, ySplash
    MenuEntry menu[kMaxMenuEntries + 1];     // slots 1..10; slot 0 unused
    ViewerRule viewer[kMaxViewerRules + 1];  // rules 1..10; slot 0 unused
    char DoNotRepeatId[kTextRoom];
    char DoNotRepeatText[kTextRoom];
    bool doNotRepeatActive;  // DoNotRepeatId is given: the check box and its memory
    int viewerMsgMissing;    // the first rule n whose ViewerMsg<n> is missing, or 0
};

extern Settings settings;

// The maker's web address, used when Web is not given and by the system-menu item.
extern const char kMakerWebAddress[];
extern const char kMakerWebMessage[];  // "Showing Quarnco web site...", WebMsg's default without Web

// MsgColor when it is malformed, or not given while InfoColor keeps its default.
extern const Colour kDefaultMsgColour;  // light blue, 128,128,255
// The shortest ShowTime in seconds: a shorter one is raised to it.
enum { kShortestShowTime = 5 };

class IniFile;

// Fills `s` from the settings file by walking the key table (settings_keys.h)
// in its order, then derives what the keys imply together. `windowColour` is
// the system window colour (the BkColor default). A rule n without its
// ViewerMsg<n> ends the rules and is named in viewerMsgMissing; start-up
// reports it with "ViewerMsg%d parameter not given". The do-not-show-again
// keys are read last, as start-up does.
void ReadSettings(const IniFile& ini, Settings& s, Colour windowColour);

// Every field at its default: what a file without keys gives, on a white
// window colour; heap texts are released.
void ResetSettings(Settings& s);

// Releases the heap texts of menu entries and viewer rules (shutdown order).
void ReleaseSettingsTexts(Settings& s);
