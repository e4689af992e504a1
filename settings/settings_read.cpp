// The settings reader: one walk over the key table, asking the file for each
// row as the row says, then one short pass for what keys imply together.
#include <cstring>
#include <initializer_list>

#include "base/format.h"
#include "base/text.h"
#include "base/utf.h"
#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/settings_keys.h"
#include "settings/value_parsers.h"

Settings settings;

Settings::Settings() { ResetSettings(*this); }

const Colour kDefaultMsgColour = 0x00FF8080;

namespace {

// Stands for "no colour yet": no parsed colour has a high byte.
const Colour kNoColour = 0xFF000000u;

// Seconds to milliseconds without overflowing: the timer's own maximum is
// about 24.8 days, and a larger number of seconds means "practically never".
int32_t SecondsToMs(int32_t seconds) {
    const int32_t kMax = 0x7FFFFFFF;
    return seconds > kMax / 1000 ? kMax : seconds * 1000;
}

Colour ColourOf(const char* text, Colour fallback) {
    char copy[kColourCap];
    CopyBounded(copy, sizeof copy, text);
    ParseColour(copy, fallback);
    return fallback;
}

inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

template <typename T>
T& Field(char* record, const SettingKey& row) {
    return *reinterpret_cast<T*>(record + row.offset);
}

struct Walk {
    Walk(const IniFile& file, Settings& record, Colour window) : ini(file), s(record), windowColour(window) {}
    const IniFile& ini;
    Settings& s;
    Colour windowColour;
    bool previousGiven = false;  // the previous row's value was given (for a position x: a number)
    int viewerMsgMissing = 0;
    char key[48];
    char buf[kTextRoom];  // a value on its way to a heap copy or a parser
};

// A colour that is not given or malformed takes its default: the row's own,
// the window colour for a row without one, or for a colour that follows
// another (MsgColor): when not given, that colour unless it is its own
// default; when malformed, light blue.
Colour ReadColour(const SettingKey& row, char* record, char* text, bool given, Colour window) {
    Colour c = kNoColour;
    if (given) ParseColour(text, c);
    if (c != kNoColour) return c;
    if (row.def.text) return ColourOf(row.def.text, kNoColour);
    if (!row.from) return window;
    const SettingKey& source = (&row)[-row.from];
    const Colour followed = Field<Colour>(record, source);
    return !given && followed != ColourOf(source.def.text, kNoColour) ? followed : kDefaultMsgColour;
}

// Integers: the profile rule, then the kind's own step.
void ReadInteger(Walk& w, const SettingKey& row, const char* name, char* record) {
    const int32_t def = row.from ? Field<int32_t>(record, (&row)[-row.from]) : row.def.number;
    int32_t v = w.ini.GetInt(name, def);
    if (row.kind == SettingWeight) v = v < 0 ? 0 : (v > 9 ? 9 : v);
    if (row.kind == SettingSeconds && v <= 0 && !(v == -1 && (row.flags & FlagKeepsMinusOne))) v = def;
    Field<int32_t>(record, row) = v;
}

// One row into `record` (Settings, or the MenuEntry or ViewerRule of number
// `n`); false when the row ends its numbered list.
bool ReadRow(Walk& w, const SettingKey& row, int n, char* record) {
    const char* name = row.name;
    if (n) {
        FormatText(w.key, sizeof w.key, row.name, n);
        name = w.key;
    }
    if (row.capacity == 0) {
        ReadInteger(w, row, name, record);
        return true;
    }
    // Read in the place of the previous key, or only after it.
    if ((row.flags & FlagIfPreviousEmpty) && w.previousGiven) return true;
    if (row.kind == SettingPositionY && !w.previousGiven) return true;
    // A text's default may be the text of the key it follows (MsgFace).
    const char* def = row.from && row.kind == SettingText ? &Field<char>(record, (&row)[-row.from]) : row.def.text;
    if ((row.flags & FlagDefaultIfPreviousEmpty) && w.previousGiven) def = nullptr;

    const bool heap = row.flags & (FlagHeap | FlagHeapAlways);
    const bool inPlace = !heap && row.kind <= SettingSpecial;
    char* text = inPlace ? &Field<char>(record, row) : w.buf;
    const size_t length = !(row.flags & FlagIfPreviousGiven) || w.previousGiven
                              ? w.ini.GetString(name, def, text, row.capacity)
                              : IniFile::CopyValue(nullptr, def, text, row.capacity, true);
    const bool given = length != 0;
    const bool numericX = row.kind == SettingPositionX && given && IsDigit(text[0]);
    w.previousGiven = row.kind == SettingPositionX ? numericX : given;
    if (!given && (row.flags & (FlagStopsList | FlagRequired))) {
        if (row.flags & FlagRequired) w.viewerMsgMissing = n;
        return false;
    }
    switch (row.kind) {
    case SettingColour: Field<Colour>(record, row) = ReadColour(row, record, text, given, w.windowColour); break;
    case SettingPositionX: {
        Position& p = Field<Position>(record, row);
        p = Position();
        if (!given) break;
        if (int code = PositionKeyword(text)) p.x = code;
        else if (numericX) p.x = DecimalValue(text);
        break;
    }
    case SettingPositionY: {
        // Digits beyond 32 bits wrap; a wrapped negative number would read as
        // a keyword code, so such a position counts as not given.
        Position& p = Field<Position>(record, row);
        if (given && IsDigit(text[0])) p.y = DecimalValue(text);
        if (p.x < 0 || p.y < 0) p = Position();
        break;
    }
    case SettingCondition:
        Field<Condition>(record, row).Clear();
        ParseCondition(text, Field<Condition>(record, row));  // an entry's faulty condition is not told
        break;
    case SettingVersion:
        Field<VersionBound>(record, row).Clear();
        ParseVersionBound(Field<VersionBound>(record, row), text);
        break;
    default:
        if (heap && (given || (row.flags & FlagHeapAlways))) {
            HeapText& copy = Field<HeapText>(record, row);
            copy = CopyToHeap(text, length);
            if (!copy && (row.flags & (FlagStopsList | FlagHeapAlways))) return false;
        }
        break;
    }
    return true;
}

// A numbered list: its rows for 1, 2, ... until one of them ends it.
void ReadList(Walk& w, const SettingKey* first, const SettingKey* end) {
    const bool menu = first->place == PlaceMenu;
    for (int n = kFirstSettingNumber; n <= kLastSettingNumber; ++n) {
        char* record = menu ? reinterpret_cast<char*>(&w.s.menu[n]) : reinterpret_cast<char*>(&w.s.viewer[n]);
        const SettingKey* row = first;
        while (row < end && ReadRow(w, *row, n, record)) ++row;
        if (row < end) {
            if (menu) w.s.menu[n].Release();
            else w.s.viewer[n].Release();
            return;
        }
        if (menu) w.s.menu[n].present = true;
        else w.s.viewer[n].present = true;
    }
}

// Cuts `text` (`room` bytes) to `cap` - 1 characters as the reader counts them.
void CutToCapacity(char* text, size_t cap, bool characters) {
    const size_t length = std::strlen(text);
    text[characters ? Utf8PrefixOfUnits(text, length, cap - 1) : (length < cap ? length : cap - 1)] = '\0';
}

// A "program.exe,parameters" text cut at its first comma into its two parts.
char* CutAtComma(char* text) {
    char* comma = text ? std::strchr(text, ',') : nullptr;
    if (comma) *comma++ = '\0';
    return comma;
}

// What keys imply together, once every key is read.
void DeriveValues(Settings& s, bool characters) {
    s.specialParameters = CutAtComma(s.SpecialParam);
    s.specialProgram = s.specialParameters ? s.SpecialParam : nullptr;
    s.mainHasButton = s.anyButton = s.FilenameMenu[0] != '\0';
    s.displayLength = std::strlen(s.Display);
    if (!s.Web[0]) {
        CopyBounded(s.Web, kTextCap, kMakerWebAddress);
    } else if (!s.WebMsg[0]) {
        FormatText(s.WebMsg, kTextRoom, "Starting %s", s.Web);
        CutToCapacity(s.WebMsg, kTextCap, characters);
    }
    s.retryShow = !IsRetryOff(s.NoViewerCmdClickRetryShow);
    if (s.ShowTime != -1) s.ShowTime = SecondsToMs(s.ShowTime < kShortestShowTime ? kShortestShowTime : s.ShowTime);
    s.SplashShowTime = SecondsToMs(s.SplashShowTime);
    for (int n = 1; n <= kMaxMenuEntries && s.menu[n].present; ++n) {
        MenuEntry& m = s.menu[n];
        if (char* parameters = CutAtComma(m.specialProgram)) m.specialParameters = CopyToHeap(parameters);
        else m.specialProgram.Reset();
        m.hasButton = m.Menu[0] != '\0';
        if (m.hasButton) s.anyButton = true;
    }
    s.doNotRepeatActive = s.DoNotRepeatId[0] != '\0';
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
    IniFile none;
    ReadSettings(none, s, 0x00FFFFFF);
}

void ReadSettings(const IniFile& ini, Settings& s, Colour windowColour) {
    ReleaseSettingsTexts(s);
    Walk w(ini, s, windowColour);
    const SettingKey* const end = kSettingKeys + kSettingKeyCount;
    for (const SettingKey* row = kSettingKeys; row < end;) {
        if (row->place == PlaceSettings) {
            ReadRow(w, *row++, 0, reinterpret_cast<char*>(&s));
            continue;
        }
        const SettingKey* last = row;
        while (last < end && last->place == row->place) ++last;
        ReadList(w, row, last);
        row = last;
    }
    s.viewerMsgMissing = w.viewerMsgMissing;
    DeriveValues(s, ini.CountsCharacters());
}
