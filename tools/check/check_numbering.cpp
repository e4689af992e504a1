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
    const std::string pattern = row->name;
    const bool numbered = pattern.find("%d") != std::string::npos;
    if (numbered && (n < kFirstSettingNumber || n > kLastSettingNumber)) {
        char msg[300];
        std::snprintf(msg, sizeof msg, "'%s' is never read: only numbers %d to %d are read", key.c_str(),
                      kFirstSettingNumber, kLastSettingNumber);
        Add(pattern == "Filename%d" || pattern == "ViewerFile%d" ? Severity::Error : Severity::Warning, line, 0,
            "number-out-of-range", key, msg);
    } else if (pattern.compare(0, 8, "Filename") == 0 && numbered) {
        ExplainMenuNumbering(key, line, pattern, n);
    } else if (pattern.compare(0, 6, "Viewer") == 0) {
        ExplainViewerNumbering(key, line, pattern, n);
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
void Checker::ExplainMenuNumbering(const std::string& key, int line, const std::string& pattern, int n) {
    int stop = MenuStop();
    const Read* stopRead = nullptr;
    char stopKey[32];
    std::snprintf(stopKey, sizeof stopKey, "Filename%d", stop);
    stopRead = FindRead(stopKey);
    const char* why = stopRead && stopRead->lookup->entry ? "is empty" : "is missing";
    char msg[300];
    if (pattern == "Filename%d") {
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
void Checker::ExplainViewerNumbering(const std::string& key, int line, const std::string& pattern, int n) {
    int stop = ViewerStop();
    char why[160];
    if (missingViewerMsg_ && missingViewerMsg_ == stop)
        std::snprintf(why, sizeof why, "viewer rules stop at rule %d, which has no ViewerMsg%d", stop, stop);
    else
        std::snprintf(why, sizeof why, "viewer rules stop at the first missing number, and ViewerFile%d is not given",
                      stop);
    char msg[300];
    if (pattern == "ViewerFile%d") {
        std::snprintf(msg, sizeof msg, "viewer rule %d is never read: %s", n, why);
        Add(Severity::Error, line, 0, "gap", key, msg);
    } else {
        std::snprintf(msg, sizeof msg, "'%s' is never read: %s", key.c_str(), why);
        Add(Severity::Warning, line, 0, "orphan-key", key, msg);
    }
}

// Keys the program reads only in the place of another or together with one.
void Checker::ExplainOtherUnread(const std::string& key, int line, const SettingKey& row) {
    const std::string pattern = row.name;
    if (pattern == "NoBrowser") {
        Add(Severity::Warning, line, 0, "not-read", key,
            "'NoBrowser' is not read because NoViewerCmd is given (NoBrowser is only read in its place)");
    } else if (pattern == "DoNotRepeatText") {
        Add(Severity::Warning, line, 0, "not-read", key,
            "'DoNotRepeatText' is not read without DoNotRepeatId: there is no \"Do not show again\" box");
    } else if (row.kind == SettingPositionY) {
        const char* xKey = pattern == "yPos" ? "xPos" : "xSplash";
        const Read* x = FindRead(xKey);
        std::string text;
        if (!x || x->value.empty())
            text = "'" + key + "' is not read without " + xKey;
        else if (PositionKeyword(x->value.c_str()))
            text = "'" + key + "' is not read: " + xKey + " is the keyword " + Quote(x->value);
        else
            text = "'" + key + "' is not read because " + xKey + " is not a position";
        Add(Severity::Warning, line, 0, "not-read", key, text);
    } else {
        Add(Severity::Warning, line, 0, "not-read", key, "'" + key + "' is not read");
    }
}

}  // namespace engine
}  // namespace corvcheck
