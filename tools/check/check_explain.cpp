// The settings table of --explain: one row per key the program reads, with
// what the program makes of its value.
#include <cstdio>
#include <set>
#include <utility>

#include "base/text.h"
#include "settings/value_parsers.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_case.h"

namespace corvcheck {
namespace engine {

std::string Checker::Effective(const Read& r) const {
    // What the program holds after reading, from the row's field; a key
    // outside the table holds nothing.
    if (!r.row || r.number < 0 || r.number > kLastSettingNumber || (r.row->place != PlaceSettings && !r.number))
        return "";
    const Settings& s = *s_;
    char buf[160];
    switch (r.row->kind) {
    case SettingSeconds: {
        const int32_t ms = Stored<int32_t>(r);
        if (ms == -1) return "never closes by itself";
        std::snprintf(buf, sizeof buf, "%d ms", ms);
        return buf;
    }
    case SettingWeight: return "weight " + std::to_string(Stored<int32_t>(r) * 100);
    case SettingInt:
    case SettingBits: return std::to_string(Stored<int32_t>(r));
    case SettingColour: {
        const Colour c = Stored<Colour>(r);
        return c == kWindowColourMark ? "the system's window colour" : ColourText(c);
    }
    case SettingPositionX: {
        const Position& p = Stored<Position>(r);
        if (p.x <= -2 && p.x >= -10) return kPositionKeywords[-2 - p.x];
        if (p.x >= 0) {
            std::snprintf(buf, sizeof buf, "(%d, %d)", p.x, p.y);
            return buf;
        }
        // An absent position, placed as the popup and the splash window place it.
        if (&p == &s.popupPos) return s.anyButton ? "centre (menu mode)" : "top left";
        return "centred";
    }
    case SettingPositionY: return "";
    case SettingWord: return s.retryShow ? "retry on" : "retry off";
    case SettingSpecial: {
        const char* program = r.number ? s.menu[r.number].specialProgram.get() : s.specialProgram;
        const char* params = r.number ? s.menu[r.number].specialParameters.get() : s.specialParameters;
        if (!program) return r.value.empty() ? "" : "ignored (no comma)";
        return std::string("program '") + program + "', parameters '" + (params ? params : "") + "'";
    }
    case SettingCondition: {
        const Condition& c = Stored<Condition>(r);
        if (r.value.empty()) return "";
        return std::to_string(c.count) + (c.count == 1 ? " term" : " terms");
    }
    case SettingVersion: {
        const VersionBound& b = Stored<VersionBound>(r);
        if (r.value.empty()) return "";
        if (!b.set) return "not set (malformed)";
        if (b.negated) std::snprintf(buf, sizeof buf, "not");
        else std::snprintf(buf, sizeof buf, "%u.%u.%u.%u", b.major, b.minor, b.build, b.revision);
        return std::string(buf) + (b.programName ? std::string(" for ") + b.programName.get() : std::string());
    }
    case SettingText:
        // A text kept in place shows what other keys made of it (Web, WebMsg,
        // NoViewerCmd); heap copies hold what was read.
        if (r.row->flags & (FlagHeap | FlagHeapAlways)) return "";
        return &Stored<char>(r);
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
        if (e) row.section = e->section ? FileText(sectionName_) : "Info";
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
