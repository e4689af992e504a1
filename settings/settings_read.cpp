#include <cstring>
#include <initializer_list>

#include "base/format.h"
#include "base/text.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/value_parsers.h"

Settings settings;

Settings::Settings() { ResetSettings(*this); }

const char kMakerWebAddress[] = "https://www.quarnco.com/corvane/";
const char kMakerWebMessage[] = "Showing Quarnco web site...";

namespace {

const Colour kBlue = 0x00FF0000;
const Colour kLightBlue = 0x00FF8080;

int32_t ClampWeight(int32_t w) { return w < 0 ? 0 : (w > 9 ? 9 : w); }

// Seconds to milliseconds without overflowing: the timer's own maximum is
// about 24.8 days, and a larger number of seconds means "practically never".
int32_t SecondsToMs(int32_t seconds) {
    const int32_t kMax = 0x7FFFFFFF;
    return seconds > kMax / 1000 ? kMax : seconds * 1000;
}

void ReadMenuEntries(const IniFile& ini, Settings& s) {
    char key[48];
    char buf[kTextRoom];
    for (int n = 1; n <= kMaxMenuEntries; ++n) {
        MenuEntry& m = s.menu[n];
        m.Release();
        FormatText(key, sizeof key, "Filename%d", n);
        if (ini.GetString(key, "", buf, kPathCap) == 0) break;
        m.Filename = CopyToHeap(buf);
        if (!m.Filename) break;
        m.present = true;
        FormatText(key, sizeof key, "Filename%dParam", n);
        if (ini.GetString(key, "", buf, kPathCap) != 0) m.Param = CopyToHeap(buf);
        FormatText(key, sizeof key, "Filename%dSpecialParam", n);
        if (ini.GetString(key, "", buf, kPathCap) != 0) {
            if (char* comma = std::strchr(buf, ',')) {
                *comma = '\0';
                m.specialProgram = CopyToHeap(buf);
                m.specialParameters = CopyToHeap(comma + 1);
            }
        }
        FormatText(key, sizeof key, "Filename%dCondition", n);
        ini.GetString(key, "", buf, kTextCap);
        ParseCondition(buf, m.condition);  // an entry's faulty condition is not told
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
    char file[kPathRoom], msg[kPathRoom], texts[6][kPathRoom], version[kPathRoom];
    for (int n = 1; n <= kMaxViewerRules; ++n) {
        ViewerRule& r = s.viewer[n];
        r.Release();
        FormatText(key, sizeof key, "ViewerFile%d", n);
        if (ini.GetString(key, "", file, kPathCap) == 0) break;
        FormatText(key, sizeof key, "ViewerMsg%d", n);
        if (ini.GetString(key, "", msg, kPathCap) == 0) return n;
        for (int i = 0; i < 6; ++i) {
            FormatText(key, sizeof key, kFields[i], n);
            ini.GetString(key, "", texts[i], kPathCap);
        }
        FormatText(key, sizeof key, "ViewerVersion%d", n);
        ini.GetString(key, "", version, kPathCap);

        HeapText* fields[8] = {&r.ViewerFile,          &r.ViewerMsg,          &r.ViewerCmd,          &r.ViewerCmdParam,
                               &r.ViewerCmdClick,      &r.ViewerCmdClickParam, &r.ViewerCmdClickText, &r.ViewerCmdClickMsg};
        const char* values[8] = {file, msg, texts[0], texts[1], texts[2], texts[3], texts[4], texts[5]};
        bool ok = true;
        for (int i = 0; i < 8; ++i) ok = (*fields[i] = CopyToHeap(values[i])) && ok;
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
    Filename.Reset();
    Param.Reset();
    specialProgram.Reset();
    specialParameters.Reset();
    condition.Clear();
    Menu[0] = '\0';
    present = false;
    hasButton = false;
}

void ViewerRule::Release() {
    for (HeapText* text : {&ViewerFile, &ViewerMsg, &ViewerCmd, &ViewerCmdParam, &ViewerCmdClick, &ViewerCmdClickParam,
                           &ViewerCmdClickText, &ViewerCmdClickMsg})
        text->Reset();
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
    CopyBounded(s.Display, kTextCap, "Quarnsoft");
    s.displayLength = std::strlen(s.Display);
    CopyBounded(s.Title, kTextCap, "Corvane 3.2");
    CopyBounded(s.NoViewerCmdClickText, kTextCap, "Install viewer");
    CopyBounded(s.ExitMsg, kTextCap, "Exit");
    CopyBounded(s.InfoFace, kTextCap, "Arial");
    CopyBounded(s.MsgFace, kTextCap, "Arial");
    CopyBounded(s.DoNotRepeatText, kTextCap, "Do not show again");
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
    s.doNotRepeatActive = false;
    s.viewerMsgMissing = 0;
}

namespace {

// The main target, its parameters, condition and menu caption, and the texts
// of the popup. The order of the look-ups is the order the checker's
// --explain shows.
void ReadTargetAndTexts(const IniFile& ini, Settings& s) {
    char buf[kTextRoom];
    ini.GetString("Filename", "", s.Filename, kTextCap);
    ini.GetString("Param", "", s.Param, kTextCap);
    if (ini.GetString("SpecialParam", "", s.SpecialParam, kTextCap) != 0) {
        if (char* comma = std::strchr(s.SpecialParam, ',')) {
            *comma = '\0';
            s.specialProgram = s.SpecialParam;
            s.specialParameters = comma + 1;
        }
    }
    ini.GetString("FilenameCondition", "", buf, kTextCap);
    ParseCondition(buf, s.FilenameCondition);
    s.mainHasButton = s.anyButton = ini.GetString("FilenameMenu", "", s.FilenameMenu, kTextCap) != 0;
    ini.GetString("Message", "", s.Message, kTextCap);
    s.displayLength = ini.GetString("Display", "Quarnsoft", s.Display, kTextCap);
    if (ini.GetString("Web", "", s.Web, kTextCap) == 0) {
        CopyBounded(s.Web, kTextCap, kMakerWebAddress);
        ini.GetString("WebMsg", kMakerWebMessage, s.WebMsg, kTextCap);
    } else if (ini.GetString("WebMsg", "", s.WebMsg, kTextCap) == 0) {
        FormatText(s.WebMsg, kTextCap, "Starting %s", s.Web);  // cut to fit, never past the buffer
    }
    ini.GetString("Title", "Corvane 3.2", s.Title, kTextCap);
}

// What to do when no viewer for the main target exists, and the Exit caption.
void ReadNoViewerKeys(const IniFile& ini, Settings& s) {
    char buf[kTextRoom];
    ini.GetString("NoViewerMsg", "", s.NoViewerMsg, kTextCap);
    if (ini.GetString("NoViewerCmd", "", s.NoViewerCmd, kTextCap) == 0)
        ini.GetString("NoBrowser", "", s.NoViewerCmd, kTextCap);
    ini.GetString("NoViewerCmdParam", "", s.NoViewerCmdParam, kTextCap);
    ini.GetString("NoViewerCmdClick", "", s.NoViewerCmdClick, kTextCap);
    ini.GetString("NoViewerCmdClickParam", "", s.NoViewerCmdClickParam, kTextCap);
    ini.GetString("NoViewerCmdClickText", "Install viewer", s.NoViewerCmdClickText, kTextCap);
    ini.GetString("NoViewerCmdClickMsg", "", s.NoViewerCmdClickMsg, kTextCap);
    ini.GetString("NoViewerCmdClickRetryShow", "", s.NoViewerCmdClickRetryShow, kWordCap);
    s.retryShow = !(EqualNoCase(s.NoViewerCmdClickRetryShow, "off") || EqualNoCase(s.NoViewerCmdClickRetryShow, "no") ||
                    EqualNoCase(s.NoViewerCmdClickRetryShow, "false"));
    ini.GetString("ExitMsg", "Exit", s.ExitMsg, kTextCap);
    s.yExit = ini.GetInt("yExit", 0);
    ini.GetString("NoViewerVersion", "", buf, kPathCap);
    ParseVersionBound(s.NoViewerVersion, buf);
}

// Times, option bits and colours.
void ReadTimesAndColours(const IniFile& ini, Settings& s, Colour windowColour) {
    char buf[kTextRoom];
    const int32_t showTime = ini.GetInt("ShowTime", 0);
    if (showTime == -1) s.ShowTime = -1;
    else if (showTime > 0) s.ShowTime = SecondsToMs(showTime < 5 ? 5 : showTime);
    else s.ShowTime = 15000;
    s.ShowOptions = ini.GetInt("ShowOptions", 0);

    s.DoNotRepeatColor = kBlue;
    ini.GetString("DoNotRepeatColor", "0,0,255", buf, kColourCap);
    ParseColour(buf, s.DoNotRepeatColor);
    s.InfoColor = kBlue;
    ini.GetString("InfoColor", "0,0,255", buf, kColourCap);
    ParseColour(buf, s.InfoColor);
    s.MsgColor = kLightBlue;
    if (ini.GetString("MsgColor", "", buf, kColourCap) != 0) ParseColour(buf, s.MsgColor);
    else if (s.InfoColor != kBlue) s.MsgColor = s.InfoColor;
    s.BkColor = windowColour;
    if (ini.GetString("BkColor", "", buf, kColourCap) != 0) ParseColour(buf, s.BkColor);
}

// The logo, the places and sizes of the popup's parts, its fonts and the splash.
void ReadLayoutAndFonts(const IniFile& ini, Settings& s) {
    ini.GetString("icon", "", s.icon, kTextCap);
    s.xInfo = ini.GetInt("xInfo", 0);
    s.yInfo = ini.GetInt("yInfo", 0);
    s.yMsg = ini.GetInt("yMsg", 0);
    s.xSize = ini.GetInt("xSize", 0);
    s.ySize = ini.GetInt("ySize", 0);
    s.xIcon = ini.GetInt("xIcon", 0);
    s.yIcon = ini.GetInt("yIcon", 0);
    s.popupPos = ReadPosition(ini, "xPos", "yPos");
    s.xMenu = ini.GetInt("xMenu", 0);
    s.yMenu = ini.GetInt("yMenu", 0);
    s.InfoSize = ini.GetInt("InfoSize", 16);
    s.InfoWeight = ClampWeight(ini.GetInt("InfoWeight", 0));
    s.InfoItalic = ini.GetInt("InfoItalic", 0);
    ini.GetString("InfoFace", "Arial", s.InfoFace, kTextCap);
    // The message's font defaults to the information line's.
    s.MsgSize = ini.GetInt("MsgSize", s.InfoSize);
    s.MsgWeight = ClampWeight(ini.GetInt("MsgWeight", s.InfoWeight));
    s.MsgItalic = ini.GetInt("MsgItalic", s.InfoItalic);
    ini.GetString("MsgFace", s.InfoFace, s.MsgFace, kTextCap);
    ini.GetString("splash", "", s.splash, kTextCap);
    const int32_t splashTime = ini.GetInt("SplashShowTime", 0);
    s.SplashShowTime = splashTime > 0 ? SecondsToMs(splashTime) : 5000;
    s.SplashOptions = ini.GetInt("SplashOptions", 0);
    s.splashPos = ReadPosition(ini, "xSplash", "ySplash");
}

}  // namespace

void ReadSettings(const IniFile& ini, Settings& s, Colour windowColour) {
    ResetSettings(s);
    ReadTargetAndTexts(ini, s);
    ReadNoViewerKeys(ini, s);
    ReadTimesAndColours(ini, s, windowColour);
    ReadLayoutAndFonts(ini, s);
    ReadMenuEntries(ini, s);
    s.viewerMsgMissing = ReadViewerRules(ini, s);
    s.doNotRepeatActive = ini.GetString("DoNotRepeatId", "", s.DoNotRepeatId, kTextCap) != 0;
    if (s.doNotRepeatActive) ini.GetString("DoNotRepeatText", "Do not show again", s.DoNotRepeatText, kTextCap);
}
