#include <cstdlib>
#include <cstring>

#include "app/format.h"
#include "app/ini_reader.h"
#include "app/settings.h"
#include "app/startup_state.h"
#include "app/value_parsers.h"

Settings settings;

Settings::Settings() { ResetSettings(*this); }

const char kMakerWebAddress[] = "https://www.quarnco.com/corvane/";
const char kMakerWebMessage[] = "Showing Quarnco web site...";

namespace {

const Colour kBlue = 0x00FF0000;
const Colour kLightBlue = 0x00FF8080;

void Copy(char* dest, size_t cap, const char* src) {
    size_t n = std::strlen(src);
    if (n > cap - 1) n = cap - 1;
    std::memcpy(dest, src, n);
    dest[n] = '\0';
}

char* HeapCopy(const char* text) {
    size_t n = std::strlen(text);
    char* copy = static_cast<char*>(std::malloc(n + 1));
    if (copy) std::memcpy(copy, text, n + 1);
    return copy;
}

void FreeText(char*& text) {
    std::free(text);
    text = nullptr;
}

int32_t ClampWeight(int32_t w) { return w < 0 ? 0 : (w > 9 ? 9 : w); }

// Seconds to milliseconds without overflowing: the timer's own maximum is
// about 24.8 days, and a larger number of seconds means "practically never".
int32_t SecondsToMs(int32_t seconds) {
    const int32_t kMax = 0x7FFFFFFF;
    return seconds > kMax / 1000 ? kMax : seconds * 1000;
}

void ReadMenuEntries(const IniFile& ini, Settings& s) {
    char key[48];
    char buf[kTextCap];
    for (int n = 1; n <= kMaxMenuEntries; ++n) {
        MenuEntry& m = s.menu[n];
        m.Release();
        FormatText(key, sizeof key, "Filename%d", n);
        if (ini.GetString(key, "", buf, kPathCap) == 0) break;
        m.Filename = HeapCopy(buf);
        if (!m.Filename) break;
        m.present = true;
        FormatText(key, sizeof key, "Filename%dParam", n);
        if (ini.GetString(key, "", buf, kPathCap) != 0) m.Param = HeapCopy(buf);
        FormatText(key, sizeof key, "Filename%dSpecialParam", n);
        if (ini.GetString(key, "", buf, kPathCap) != 0) {
            if (char* comma = std::strchr(buf, ',')) {
                *comma = '\0';
                m.specialProgram = HeapCopy(buf);
                m.specialParameters = HeapCopy(comma + 1);
            }
        }
        FormatText(key, sizeof key, "Filename%dCondition", n);
        ini.GetString(key, "", buf, kTextCap);
        ParseCondition(buf, m.condition, false);
        FormatText(key, sizeof key, "Filename%dMenu", n);
        ini.GetString(key, "", m.Menu, kTextCap);
        m.hasButton = m.Menu[0] != '\0';
        if (m.hasButton) s.anyButton = true;
    }
}

// Returns 0, or the number of the rule whose ViewerMsg<n> is missing.
int ReadViewerRules(const IniFile& ini, Settings& s) {
    static const char* const kFields[] = {"ViewerCmd%d",          "ViewerCmdParam%d",     "ViewerCmdClick%d",
                                          "ViewerCmdClickParam%d", "ViewerCmdClickText%d", "ViewerCmdClickMsg%d"};
    char key[48];
    char file[kPathCap], msg[kPathCap], texts[6][kPathCap], version[kPathCap];
    for (int n = 1; n <= kMaxViewerRules; ++n) {
        ViewerRule& r = s.viewer[n];
        r.Release();
        FormatText(key, sizeof key, "ViewerFile%d", n);
        if (ini.GetString(key, "", file, sizeof file) == 0) break;
        FormatText(key, sizeof key, "ViewerMsg%d", n);
        if (ini.GetString(key, "", msg, sizeof msg) == 0) return n;
        for (int i = 0; i < 6; ++i) {
            FormatText(key, sizeof key, kFields[i], n);
            ini.GetString(key, "", texts[i], kPathCap);
        }
        FormatText(key, sizeof key, "ViewerVersion%d", n);
        ini.GetString(key, "", version, sizeof version);

        char** fields[8] = {&r.ViewerFile,          &r.ViewerMsg,          &r.ViewerCmd,          &r.ViewerCmdParam,
                            &r.ViewerCmdClick,      &r.ViewerCmdClickParam, &r.ViewerCmdClickText, &r.ViewerCmdClickMsg};
        const char* values[8] = {file, msg, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]};
        bool ok = true;
        for (int i = 0; i < 8; ++i) ok = (*fields[i] = HeapCopy(values[i])) != nullptr && ok;
        if (!ok) {
            r.Release();
            break;
        }
        ParseVersionBound(r.versionBound, version);
        r.present = true;
    }
    return 0;
}

}  // namespace

void MenuEntry::Release() {
    FreeText(Filename);
    FreeText(Param);
    FreeText(specialProgram);
    FreeText(specialParameters);
    condition.Clear();
    Menu[0] = '\0';
    present = false;
    hasButton = false;
}

void ViewerRule::Release() {
    FreeText(ViewerFile);
    FreeText(ViewerMsg);
    FreeText(ViewerCmd);
    FreeText(ViewerCmdParam);
    FreeText(ViewerCmdClick);
    FreeText(ViewerCmdClickParam);
    FreeText(ViewerCmdClickText);
    FreeText(ViewerCmdClickMsg);
    versionBound.Clear();
    present = false;
}

void ReleaseSettingsTexts(Settings& s) {
    for (int n = 1; n <= kMaxMenuEntries && s.menu[n].present; ++n) s.menu[n].Release();
    for (int n = 1; n <= kMaxViewerRules && s.viewer[n].present; ++n) s.viewer[n].Release();
}

void ResetSettings(Settings& s) {
    for (int n = 1; n <= kMaxMenuEntries; ++n) s.menu[n].Release();
    for (int n = 1; n <= kMaxViewerRules; ++n) s.viewer[n].Release();
    s.FilenameCondition.Clear();
    s.NoViewerVersion.Clear();
    char* texts[] = {s.Filename,         s.Param,           s.SpecialParam,         s.FilenameMenu,
                     s.Message,          s.Web,             s.WebMsg,               s.NoViewerMsg,
                     s.NoViewerCmd,      s.NoViewerCmdParam, s.NoViewerCmdClick,    s.NoViewerCmdClickParam,
                     s.NoViewerCmdClickMsg, s.icon,         s.splash,               s.DoNotRepeatId};
    for (char* t : texts) t[0] = '\0';
    s.NoViewerCmdClickRetryShow[0] = '\0';
    s.specialProgram = s.specialParameters = nullptr;
    s.mainHasButton = s.anyButton = false;
    Copy(s.Display, kTextCap, "Quarnsoft");
    s.displayLength = std::strlen(s.Display);
    Copy(s.Title, kTextCap, "Corvane 3.2");
    Copy(s.NoViewerCmdClickText, kTextCap, "Install viewer");
    Copy(s.ExitMsg, kTextCap, "Exit");
    Copy(s.InfoFace, kTextCap, "Arial");
    Copy(s.MsgFace, kTextCap, "Arial");
    Copy(s.DoNotRepeatText, kTextCap, "Do not show again");
    s.retryShow = true;
    s.yExit = 0;
    s.ShowTime = 15000;
    s.ShowOptions = 0;
    s.DoNotRepeatColor = s.InfoColor = kBlue;
    s.MsgColor = kLightBlue;
    s.BkColor = 0x00FFFFFF;
    s.xInfo = s.yInfo = s.yMsg = s.xSize = s.ySize = s.xIcon = s.yIcon = 0;
    s.popupPos = Position();
    s.xMenu = s.yMenu = 0;
    s.InfoSize = s.MsgSize = 16;
    s.InfoWeight = s.MsgWeight = 0;
    s.InfoItalic = s.MsgItalic = 0;
    s.SplashShowTime = 5000;
    s.SplashOptions = 0;
    s.splashPos = Position();
}

int ReadSettings(const IniFile& ini, Settings& s, Colour windowColour) {
    ResetSettings(s);
    char buf[kTextCap];

    ini.GetString("Filename", "", s.Filename, kTextCap);                                // 1
    ini.GetString("Param", "", s.Param, kTextCap);                                      // 2
    if (ini.GetString("SpecialParam", "", s.SpecialParam, kTextCap) != 0) {             // 3
        if (char* comma = std::strchr(s.SpecialParam, ',')) {
            *comma = '\0';
            s.specialProgram = s.SpecialParam;
            s.specialParameters = comma + 1;
        }
    }
    ini.GetString("FilenameCondition", "", buf, kTextCap);                              // 4
    ParseCondition(buf, s.FilenameCondition, true);
    s.mainHasButton = s.anyButton = ini.GetString("FilenameMenu", "", s.FilenameMenu, kTextCap) != 0;  // 5
    ini.GetString("Message", "", s.Message, kTextCap);                                  // 6
    s.displayLength = ini.GetString("Display", "Quarnsoft", s.Display, kTextCap);       // 7
    if (ini.GetString("Web", "", s.Web, kTextCap) == 0) {                               // 8
        Copy(s.Web, kTextCap, kMakerWebAddress);
        ini.GetString("WebMsg", kMakerWebMessage, s.WebMsg, kTextCap);                  // 9
    } else if (ini.GetString("WebMsg", "", s.WebMsg, kTextCap) == 0) {
        FormatText(s.WebMsg, kTextCap, "Starting %s", s.Web);  // cut to fit, never past the buffer
    }
    ini.GetString("Title", "Corvane 3.2", s.Title, kTextCap);                           // 10
    ini.GetString("NoViewerMsg", "", s.NoViewerMsg, kTextCap);                          // 11
    if (ini.GetString("NoViewerCmd", "", s.NoViewerCmd, kTextCap) == 0)                 // 12
        ini.GetString("NoBrowser", "", s.NoViewerCmd, kTextCap);
    ini.GetString("NoViewerCmdParam", "", s.NoViewerCmdParam, kTextCap);                // 13
    ini.GetString("NoViewerCmdClick", "", s.NoViewerCmdClick, kTextCap);                // 14
    ini.GetString("NoViewerCmdClickParam", "", s.NoViewerCmdClickParam, kTextCap);      // 15
    ini.GetString("NoViewerCmdClickText", "Install viewer", s.NoViewerCmdClickText, kTextCap);  // 16
    ini.GetString("NoViewerCmdClickMsg", "", s.NoViewerCmdClickMsg, kTextCap);          // 17
    ini.GetString("NoViewerCmdClickRetryShow", "", s.NoViewerCmdClickRetryShow, kWordCap);  // 18
    s.retryShow = !(EqualNoCase(s.NoViewerCmdClickRetryShow, "off") || EqualNoCase(s.NoViewerCmdClickRetryShow, "no") ||
                    EqualNoCase(s.NoViewerCmdClickRetryShow, "false"));
    ini.GetString("ExitMsg", "Exit", s.ExitMsg, kTextCap);                              // 19
    s.yExit = ini.GetInt("yExit", 0);                                                   // 20
    ini.GetString("NoViewerVersion", "", buf, kPathCap);                                // 21
    ParseVersionBound(s.NoViewerVersion, buf);

    int32_t showTime = ini.GetInt("ShowTime", 0);                                       // 22
    if (showTime == -1) s.ShowTime = -1;
    else if (showTime > 0) s.ShowTime = SecondsToMs(showTime < 5 ? 5 : showTime);
    else s.ShowTime = 15000;
    s.ShowOptions = ini.GetInt("ShowOptions", 0);                                       // 23

    s.DoNotRepeatColor = kBlue;                                                         // 24
    ini.GetString("DoNotRepeatColor", "0,0,255", buf, kColourCap);
    ParseColour(buf, s.DoNotRepeatColor);
    s.InfoColor = kBlue;                                                                // 25
    ini.GetString("InfoColor", "0,0,255", buf, kColourCap);
    ParseColour(buf, s.InfoColor);
    s.MsgColor = kLightBlue;                                                            // 26
    if (ini.GetString("MsgColor", "", buf, kColourCap) != 0) ParseColour(buf, s.MsgColor);
    else if (s.InfoColor != kBlue) s.MsgColor = s.InfoColor;
    s.BkColor = windowColour;                                                           // 27
    if (ini.GetString("BkColor", "", buf, kColourCap) != 0) ParseColour(buf, s.BkColor);

    ini.GetString("icon", "", s.icon, kTextCap);                                        // 28
    s.xInfo = ini.GetInt("xInfo", 0);                                                   // 29
    s.yInfo = ini.GetInt("yInfo", 0);                                                   // 30
    s.yMsg = ini.GetInt("yMsg", 0);                                                     // 31
    s.xSize = ini.GetInt("xSize", 0);                                                   // 32
    s.ySize = ini.GetInt("ySize", 0);                                                   // 33
    s.xIcon = ini.GetInt("xIcon", 0);                                                   // 34
    s.yIcon = ini.GetInt("yIcon", 0);                                                   // 35
    s.popupPos = ReadPosition(ini, "xPos", "yPos");                                     // 36
    s.xMenu = ini.GetInt("xMenu", 0);                                                   // 37
    s.yMenu = ini.GetInt("yMenu", 0);                                                   // 38
    s.InfoSize = ini.GetInt("InfoSize", 16);                                            // 39
    s.InfoWeight = ClampWeight(ini.GetInt("InfoWeight", 0));                            // 40
    s.InfoItalic = ini.GetInt("InfoItalic", 0);                                         // 41
    ini.GetString("InfoFace", "Arial", s.InfoFace, kTextCap);                           // 42
    s.MsgSize = ini.GetInt("MsgSize", s.InfoSize);                                      // 43
    s.MsgWeight = ClampWeight(ini.GetInt("MsgWeight", s.InfoWeight));                   // 44
    s.MsgItalic = ini.GetInt("MsgItalic", s.InfoItalic);                                // 45
    ini.GetString("MsgFace", s.InfoFace, s.MsgFace, kTextCap);                          // 46
    ini.GetString("splash", "", s.splash, kTextCap);                                    // 47
    int32_t splashTime = ini.GetInt("SplashShowTime", 0);                               // 48
    s.SplashShowTime = splashTime > 0 ? SecondsToMs(splashTime) : 5000;
    s.SplashOptions = ini.GetInt("SplashOptions", 0);                                   // 49
    s.splashPos = ReadPosition(ini, "xSplash", "ySplash");                              // 50

    ReadMenuEntries(ini, s);                                                            // 51
    int missingViewerMsg = ReadViewerRules(ini, s);                                     // 52

    if (ini.GetString("DoNotRepeatId", "", s.DoNotRepeatId, kTextCap) != 0) {           // 53
        doNotRepeatActive = true;
        ini.GetString("DoNotRepeatText", "Do not show again", s.DoNotRepeatText, kTextCap);
    }
    return missingViewerMsg;
}
