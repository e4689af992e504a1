// Why a line of [Info] is never read: an unknown key, a number outside the
// lists, a menu entry or viewer rule after the lists stopped, or a key the
// program reads only together with another.
#include <cstdio>

#include "settings/value_parsers.h"
#include "tools/check/check_internal.h"

namespace corvcheck {
namespace engine {

void Checker::ExplainUnread(const IniFile::KeyLine& k) {
    const std::string key = KeyOf(k.entry);
    const int line = k.entry.line;
    int n = 0;
    const SettingKey* row = FindSettingKey(k.entry.key, k.entry.keyLength, &n);
    if (!row) {
        ExplainUnknownKey(key, line);
        return;
    }
    const bool numbered = row->place != PlaceSettings;
    if (numbered && (n < kFirstSettingNumber || n > kLastSettingNumber)) {
        char msg[300];
        std::snprintf(msg, sizeof msg, "'%s' is never read: only numbers %d to %d are read", key.c_str(),
                      kFirstSettingNumber, kLastSettingNumber);
        Add(row->flags & FlagStopsList ? Severity::Error : Severity::Warning, line, 0, "number-out-of-range", key, msg);
    } else if (row->place == PlaceMenu) {
        ExplainMenuNumbering(key, line, *row, n);
    } else if (row->place == PlaceViewer) {
        ExplainViewerNumbering(key, line, *row, n);
    } else {
        ExplainOtherUnread(key, line, *row);
    }
}

void Checker::ExplainUnknownKey(const std::string& key, int line) {
    std::string suggestion = Suggest(key);
    std::string text = "unknown key " + Quote(key) + " is never read";
    if (!key.empty() && (key[0] == '#' || key.compare(0, 2, "//") == 0))
        text += " (only ';' starts a comment)";
    if (!suggestion.empty()) text += "; did you mean '" + suggestion + "'?";
    Add(Severity::Warning, line, 0, "unknown-key", key, text);
}


// Menu entries stop at the first Filename<n> the program did not take.
void Checker::ExplainMenuNumbering(const std::string& key, int line, const SettingKey& row, int n) {
    int stop = MenuStop();
    const Read* stopRead = nullptr;
    char stopKey[64];
    SettingKeyName(ListHead(row), stop, stopKey, sizeof stopKey);
    stopRead = FindRead(stopKey);
    const char* why = stopRead && stopRead->lookup->entry ? "is empty" : "is missing";
    char msg[300];
    if (&row == &ListHead(row)) {
        std::snprintf(msg, sizeof msg,
                      "menu entry %d is never read: menu entries stop at the first missing number, and %s %s", n,
                      stopKey, why);
        Add(Severity::Error, line, 0, "gap", key, msg);
    } else if (n >= stop) {
        std::snprintf(msg, sizeof msg, "'%s' is never read: menu entry %d does not exist (%s %s)", key.c_str(), n,
                      stopKey, why);
        Add(Severity::Warning, line, 0, "orphan-key", key, msg);
    } else {
        Add(Severity::Warning, line, 0, "not-read", key, "'" + key + "' is not read");
    }
}

// Viewer rules stop at the first ViewerFile<n> not given, or at a rule
// without its ViewerMsg<n>.
void Checker::ExplainViewerNumbering(const std::string& key, int line, const SettingKey& row, int n) {
    int stop = ViewerStop();
    const SettingKey& head = ListHead(row);
    char why[160], name[64];
    if (missingViewerMsg_ && missingViewerMsg_ == stop) {
        SettingKeyName(ListRequired(head), stop, name, sizeof name);
        std::snprintf(why, sizeof why, "viewer rules stop at rule %d, which has no %s", stop, name);
    } else {
        SettingKeyName(head, stop, name, sizeof name);
        std::snprintf(why, sizeof why, "viewer rules stop at the first missing number, and %s is not given", name);
    }
    char msg[300];
    if (&row == &head) {
        std::snprintf(msg, sizeof msg, "viewer rule %d is never read: %s", n, why);
        Add(Severity::Error, line, 0, "gap", key, msg);
    } else {
        std::snprintf(msg, sizeof msg, "'%s' is never read: %s", key.c_str(), why);
        Add(Severity::Warning, line, 0, "orphan-key", key, msg);
    }
}

// Keys the program reads only in the place of another or together with one:
// the key before them in the table.
void Checker::ExplainOtherUnread(const std::string& key, int line, const SettingKey& row) {
    const char* previous = (&row)[-1].name;
    std::string text = "'" + key + "' is not read";
    if (row.flags & FlagIfPreviousEmpty) {
        text += std::string(" because ") + previous + " is given (" + row.name + " is only read in its place)";
    } else if (row.flags & FlagIfPreviousGiven) {
        text += std::string(" without ") + previous + ": there is no \"" + row.def.text + "\" box";
    } else if (row.kind == SettingPositionY) {
        const Read* x = FindRead(previous);
        if (!x || x->value.empty())
            text += std::string(" without ") + previous;
        else if (PositionKeyword(x->value.c_str()))
            text += std::string(": ") + previous + " is the keyword " + Quote(x->value);
        else
            text += std::string(" because ") + previous + " is not a position";
    }
    Add(Severity::Warning, line, 0, "not-read", key, text);
}

}  // namespace engine
}  // namespace corvcheck
