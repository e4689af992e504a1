// The settings table of --explain: one row per key the program reads, with
// what the program makes of its value.
#include <cstdio>
#include <set>
#include <utility>

#include "base/text.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_case.h"

namespace corvcheck {
namespace engine {

std::string Checker::Effective(const Read& r) const {
    // The table's spelling of the name when it has one (the program asks in
    // that spelling), so that no lower-case copy is made for every row.
    const std::string name = r.row ? std::string() : LowerText(r.lookup->key);
    const char* const rowName = r.row ? r.row->name : nullptr;
    auto is = [&](const char* lower) { return rowName ? EqualNoCase(lower, rowName) : name == lower; };
    const Settings& s = *s_;
    char buf[160];
    auto position = [&](const Position& p, const char* absent) -> std::string {
        if (p.x <= -2 && p.x >= -10) return kPositionKeywords[-2 - p.x];
        if (p.x < 0) return absent;
        std::snprintf(buf, sizeof buf, "(%d, %d)", p.x, p.y);
        return buf;
    };
    if (is("showtime")) {
        if (s.ShowTime == -1) return "never closes by itself";
        std::snprintf(buf, sizeof buf, "%d ms", s.ShowTime);
        return buf;
    }
    if (is("splashshowtime")) return std::to_string(s.SplashShowTime) + " ms";
    if (is("infoweight")) return "weight " + std::to_string(s.InfoWeight * 100);
    if (is("msgweight")) return "weight " + std::to_string(s.MsgWeight * 100);
    if (is("donotrepeatcolor")) return ColourText(s.DoNotRepeatColor);
    if (is("infocolor")) return ColourText(s.InfoColor);
    if (is("msgcolor")) return ColourText(s.MsgColor);
    if (is("bkcolor")) return s.BkColor == kWindowColourMark ? "the system's window colour" : ColourText(s.BkColor);
    if (is("xpos")) return position(s.popupPos, s.anyButton ? "centre (menu mode)" : "top left");
    if (is("xsplash")) return position(s.splashPos, "centred");
    if (is("web") || is("webmsg")) return is("web") ? s.Web : s.WebMsg;
    if (is("noviewercmd")) return s.NoViewerCmd;
    if (is("noviewercmdclickretryshow")) return s.retryShow ? "retry on" : "retry off";
    if (is("specialparam") || (r.row && r.row->kind == SettingSpecial)) {
        const char* program = s.specialProgram;
        const char* params = s.specialParameters;
        if (r.number) program = s.menu[r.number].specialProgram, params = s.menu[r.number].specialParameters;
        if (!program) return r.value.empty() ? "" : "ignored (no comma)";
        return std::string("program '") + program + "', parameters '" + (params ? params : "") + "'";
    }
    if (r.row && r.row->kind == SettingCondition) {
        const Condition& c = r.number ? s.menu[r.number].condition : s.FilenameCondition;
        if (r.value.empty()) return "";
        return std::to_string(c.count) + (c.count == 1 ? " term" : " terms");
    }
    if (r.row && r.row->kind == SettingVersion) {
        const VersionBound& b = r.number ? s.viewer[r.number].versionBound : s.NoViewerVersion;
        if (r.value.empty()) return "";
        if (!b.set) return "not set (malformed)";
        if (b.negated) std::snprintf(buf, sizeof buf, "not");
        else std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", b.major, b.minor, b.build, b.revision);
        return std::string(buf) + (b.programName ? std::string(" for ") + b.programName.get() : std::string());
    }
    return "";
}

void Checker::BuildSettingRows() {
    // One row per key, at its first reading; a key is its table row and
    // number (names outside the table by their lower-case spelling).
    std::vector<char> done(kSettingKeyCount * (kLastSettingNumber + 1));
    std::set<std::string> doneOutside;
    report_.settings.reserve(reads_.size());
    for (const Read& r : reads_) {
        if (r.row && r.number >= 0 && r.number <= kLastSettingNumber) {
            char& once = done[static_cast<size_t>(r.row - kSettingKeys) * (kLastSettingNumber + 1) + r.number];
            if (once) continue;
            once = 1;
        } else if (!doneOutside.insert(LowerText(r.lookup->key)).second) {
            continue;
        }
        SettingRow row;
        row.key = r.lookup->key;
        const IniFile::Entry* e = r.lookup->entry;
        row.line = e ? e->line : 0;
        row.integer = r.lookup->integer;
        if (r.lookup->integer) {
            row.value = std::to_string(ini_.GetInt(r.lookup->key, r.lookup->intDefault));
            row.isDefault = !e || !e->value || r.value.empty();
        } else {
            row.value = r.value;
            row.isDefault = !e || !e->value;
        }
        row.effective = Effective(r);
        if (row.effective == row.value) row.effective.clear();
        row.value = FileText(row.value);
        row.effective = FileText(row.effective);
        report_.settings.push_back(std::move(row));
    }
}

}  // namespace engine
}  // namespace corvcheck
