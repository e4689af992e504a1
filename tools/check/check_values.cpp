// Findings about the values the program read: texts cut to the reader's
// capacity, numbers, colours, positions, conditions and version bounds, each
// parsed again by the program's own parser to see what it made of them.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <utility>

#include "base/utf.h"
#include "conditions/condition.h"
#include "conditions/version_bound.h"
#include "settings/value_parsers.h"
#include "tools/check/check_internal.h"
#include "tools/check/contrast.h"
#include "tools/check/text_case.h"

namespace corvcheck {
namespace engine {

void Checker::CheckValues() {
    if (missingViewerMsg_) {
        char fileKey[64], msgKey[64], msg[400];
        const SettingKey* head = kSettingKeys;
        while (head->place != PlaceViewer) ++head;
        SettingKeyName(*head, missingViewerMsg_, fileKey, sizeof fileKey);
        SettingKeyName(ListRequired(*head), missingViewerMsg_, msgKey, sizeof msgKey);
        std::snprintf(msg, sizeof msg,
                      "%s has no %s (or it is empty): the program shows the message box \"%s parameter not given\" "
                      "and ignores viewer rule %d and every later one",
                      fileKey, msgKey, msgKey, missingViewerMsg_);
        Add(Severity::Error, LineOf(fileKey), 0, "viewer-msg-missing", fileKey, msg);
    }
    std::vector<char> seen(ini_.EntryCount());
    for (const Read& r : reads_) {
        if (!r.lookup->entry || !r.lookup->entry->value || !r.row) continue;
        char& once = seen[EntryNumber(*r.lookup->entry)];
        if (once) continue;
        once = 1;
        CheckValue(r);
    }
}

void Checker::CheckValue(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (!r.lookup->integer && r.full.size() > r.value.size()) {
        // Characters as the program counts them: UTF-16 units of a UTF-8 or
        // UTF-16 file, bytes (one character each in the code pages the
        // checker knows) of an ANSI file.
        size_t whole = r.full.size(), kept = r.value.size();
        if (ini_.CountsCharacters()) {
            Utf8PrefixOfUnits(r.full.data(), r.full.size(), static_cast<size_t>(-1), &whole);
            Utf8PrefixOfUnits(r.value.data(), r.value.size(), static_cast<size_t>(-1), &kept);
        }
        char msg[200];
        std::snprintf(msg, sizeof msg, "value has %zu characters; the program keeps the first %zu", whole, kept);
        Add(Severity::Warning, e.line, ColumnOf(e, r.full, r.value.size()), "cut", key, "'" + key + "': " + msg);
    }
    switch (r.row->kind) {
    case SettingInt:
    case SettingBits:
    case SettingWeight:
    case SettingSeconds: CheckInteger(r); break;
    case SettingColour: CheckColour(r); break;
    case SettingPositionX: CheckPosition(r); break;
    case SettingCondition: CheckCondition(r); break;
    case SettingVersion: CheckVersion(r); break;
    case SettingSpecial:
        if (!r.value.empty() && r.value.find(',') == std::string::npos)
            Add(Severity::Warning, e.line, 0, "special-no-comma", key,
                "'" + key + "' has no comma and is ignored; write program.exe,parameters");
        break;
    case SettingWord:
        if (!r.value.empty() && !s_->retryShow) break;
        if (!r.value.empty() && !SameNoCase(r.value, "on") && !SameNoCase(r.value, "yes") && !SameNoCase(r.value, "true")) {
            std::string words;
            for (int i = 0; i < kRetryOffWordCount; ++i)
                words += std::string(i == 0 ? "" : i + 1 < kRetryOffWordCount ? ", " : " or ") + kRetryOffWords[i];
            Add(Severity::Warning, e.line, 0, "retry-word", key,
                "'" + key + "' " + Quote(r.value) + " leaves the retry on: only " + words + " switch it off");
        }
        break;
    default: break;
    }
}

void Checker::CheckInteger(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;  // empty: the default, as for a missing key
    const int32_t v = ini_.GetInt(key.c_str(), r.lookup->intDefault);
    char msg[300];
    // The program's integer rule (29 characters, an optional 0x/0o/0b prefix).
    const size_t length = r.value.size() < 29 ? r.value.size() : 29;
    size_t used = 0;
    bool wrapped = false;
    ProfileInteger(r.value.data(), length, &used, &wrapped);
    size_t rest = used;
    while (rest < r.value.size() && (r.value[rest] == ' ' || r.value[rest] == '\t')) ++rest;
    if (used == 0) {
        std::snprintf(msg, sizeof msg, "'%s' %s is not a number: the program reads 0", key.c_str(),
                      Quote(r.value).c_str());
        Add(Severity::Warning, e.line, 0, "not-a-number", key, msg);
    } else if (rest < r.value.size()) {
        std::snprintf(msg, sizeof msg, "'%s' %s: the text after the number is ignored, the program reads %d",
                      key.c_str(), Quote(r.value).c_str(), v);
        Add(Severity::Warning, e.line, 0, "not-a-number", key, msg);
    } else if (wrapped) {
        std::snprintf(msg, sizeof msg, "'%s' %s is too large for 32 bits: the program reads %d", key.c_str(),
                      Quote(r.value).c_str(), v);
        Add(Severity::Warning, e.line, 0, "number-wraps", key, msg);
    }
    if (r.row->kind == SettingSeconds) {
        // The row's default and rules, as the reader applies them.
        const bool keepsMinusOne = r.row->flags & FlagKeepsMinusOne;
        const bool raised = &Stored<int32_t>(r) == &s_->ShowTime && v >= 1 && v < kShortestShowTime;
        const char* code = nullptr;
        if (raised) {
            std::snprintf(msg, sizeof msg, "%s %d is raised to %d seconds (the shortest time)", key.c_str(), v,
                          static_cast<int>(kShortestShowTime));
            code = "showtime-raised";
        } else if (v <= 0 && !(v == -1 && keepsMinusOne)) {
            std::snprintf(msg, sizeof msg, "%s %d keeps the default of %d seconds%s", key.c_str(), v,
                          r.row->def.number,
                          keepsMinusOne ? "; -1 keeps the popup open, n > 0 closes it after n seconds" : "");
            code = keepsMinusOne ? "showtime-default" : "splashtime-default";
        } else if (v >= 1000) {
            std::snprintf(msg, sizeof msg, "%s is in seconds: %d seconds is %d minutes (milliseconds meant?)",
                          key.c_str(), v, v / 60);
            code = "time-in-seconds";
        }
        if (code) Add(Severity::Warning, e.line, 0, code, key, msg);
    } else if (r.row->kind == SettingWeight) {
        const int32_t clamped = Stored<int32_t>(r);
        if (clamped != v) {
            std::snprintf(msg, sizeof msg, "'%s' %d is clamped to %d: the weight is 0..9 in hundreds (%d means %d)",
                          key.c_str(), v, clamped, clamped, clamped * 100);
            Add(Severity::Warning, e.line, 0, "weight-clamped", key, msg);
        }
    } else if (r.row->kind == SettingBits) {
        uint32_t unused = static_cast<uint32_t>(v) & ~r.row->validBits;
        if (unused) {
            std::snprintf(msg, sizeof msg, "'%s' %d: the program uses only the bits in %u; 0x%X is ignored", key.c_str(),
                          v, r.row->validBits, unused);
            Add(Severity::Warning, e.line, 0, "unused-bits", key, msg);
        }
    }
}

void Checker::CheckColour(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    Colour c = kWindowColourMark;  // a value ParseColour never produces
    ParseColour(buf.data(), c);
    if (c == kWindowColourMark) {
        // What the program kept instead, from its own reading.
        const Colour kept = Stored<Colour>(r);
        const std::string stays = kept == kWindowColourMark ? "the system's window colour" : ColourName(kept);
        Add(Severity::Error, e.line, 0, "bad-colour", key,
            "malformed colour " + Quote(r.value) + " for '" + key +
                "': needs three numbers red,green,blue separated by commas; the colour stays " + stays);
        return;
    }
    // ParseColour cut the text at the two commas: look at the three pieces.
    const char* red = buf.data();
    const char* green = red + std::strlen(red) + 1;
    const char* blue = green + std::strlen(green) + 1;
    for (const char* piece : {red, green, blue}) {
        if (!IsPlainNumber(piece, false) || DecimalValue(piece) > 255) {
            Add(Severity::Warning, e.line, 0, "colour-read-as", key,
                "colour " + Quote(r.value) + " for '" + key + "' is read as " + ColourText(c) +
                    ": each part must be a number from 0 to 255");
            return;
        }
    }
}

void Checker::CheckPosition(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    const Position& p = Stored<Position>(r);
    const char* yKey = r.row[1].name;  // the y key follows its x key
    const char* fallback = &p == &s_->popupPos ? "the popup keeps its default place" : "the splash window is centred";
    if (PositionKeyword(r.value.c_str())) return;
    if (!IsDigit(r.value[0])) {
        std::string best, words;
        int bestDistance = 3;
        for (const char* k : kPositionKeywords) {
            int d = EditDistance(r.value, k);
            if (d < bestDistance) bestDistance = d, best = k;
            words += std::string(k) + ", ";
        }
        std::string text = "'" + key + "' " + Quote(r.value) + " is not a position (" + words + "or a number with " +
                           yKey + "); " + fallback;
        if (!best.empty()) text += "; did you mean '" + best + "'?";
        Add(Severity::Error, e.line, 0, "bad-position", key, text);
        return;
    }
    const Read* y = FindRead(yKey);
    if (p.x == -1) {
        std::string text;
        int line = e.line;
        if (!y || y->value.empty())
            text = "'" + key + "' is a number but " + yKey + " is not given: the position is ignored, " + fallback;
        else if (!IsDigit(y->value[0])) {
            text = "'" + std::string(yKey) + "' " + Quote(y->value) + " is not a number: the position is ignored, " +
                   fallback;
            if (y->lookup->entry) line = y->lookup->entry->line;
        } else
            text = "position numbers too large for 32 bits: the position is ignored, " + std::string(fallback);
        Add(Severity::Error, line, 0, "bad-position", key, text);
        return;
    }
    for (const Read* part : {&r, y}) {
        if (part && !IsPlainNumber(part->value.c_str(), false)) {
            char msg[200];
            std::snprintf(msg, sizeof msg, "'%s' %s: the text after the number is ignored, the program reads %d",
                          part->lookup->key, Quote(part->value).c_str(), part == &r ? p.x : p.y);
            Add(Severity::Warning, part->lookup->entry ? part->lookup->entry->line : e.line, 0, "not-a-number",
                part->lookup->key, msg);
        }
    }
}

void Checker::CheckCondition(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    Condition condition;
    const bool ok = ParseCondition(buf.data(), condition);
    const std::string errorText = condition.parseError ? condition.parseError : "";

    // Where each term starts in the text: a term is a letter and '?', and a
    // test term's operand runs to the next '?'. ParseCondition's count says
    // how many terms it took; this only turns that count into a column.
    const std::string& text = r.value;
    size_t pos = 0;
    for (int i = 0; i < condition.count && pos < text.size(); ++i) {
        pos += 2;
        int kind = condition.terms[i].kind;
        if (kind == TermFile || kind == TermVersion || kind == TermRegistry) {
            size_t q = text.find('?', pos);
            pos = q == std::string::npos ? text.size() : q + 1;
        }
    }
    if (pos > text.size()) pos = text.size();
    const bool main = &Stored<Condition>(r) == &s_->FilenameCondition;
    char msg[400];
    if (!ok) {
        size_t termEnd = pos + 2 <= text.size() ? text.find('?', pos + 2) : std::string::npos;
        std::string term = text.substr(pos, termEnd == std::string::npos ? std::string::npos : termEnd - pos);
        std::snprintf(msg, sizeof msg, "condition: %s at term %d %s; %s", errorText.c_str(), condition.count + 1,
                      Quote(term, 40).c_str(),
                      main ? "the program shows this message instead of starting the target"
                           : (condition.count ? "the entry is tested with the terms before it only"
                                              : "the entry is tested without any term (always true)"));
        Add(Severity::Error, e.line, ColumnOf(e, text, pos), "bad-condition", key, msg);
    } else if (condition.count == kMaxTerms && pos < text.size()) {
        std::snprintf(msg, sizeof msg, "condition has more than %d terms: %s is ignored", static_cast<int>(kMaxTerms),
                      Quote(text.substr(pos), 40).c_str());
        Add(Severity::Warning, e.line, ColumnOf(e, text, pos), "condition-too-long", key, msg);
    }
    for (int i = 0; i < condition.count; ++i) {
        const ConditionTerm& t = condition.terms[i];
        if (t.kind == TermFile && t.path) filePaths_.push_back(std::make_pair(std::string(t.path), &e));
        if (t.kind == TermRegistry && t.op != OpNone && t.comparisonText &&
            (std::strncmp(t.comparisonText, "0x", 2) == 0 || std::strncmp(t.comparisonText, "0X", 2) == 0)) {
            int fault = RadixOk;
            ParseRadix(t.comparisonText.get() + 2, 16, &fault);
            if (fault != RadixOk) {
                std::string faultText = RadixFaultText(fault);
                while (!faultText.empty() && faultText.back() == '\n') faultText.pop_back();
                Add(Severity::Warning, e.line, 0, "bad-hex", key,
                    "comparison text " + Quote(t.comparisonText.get()) + " is not a hexadecimal number (" + faultText +
                        "): a number value never compares true with it");
            }
        }
    }
}

void Checker::CheckVersion(const Read& r) {
    const IniFile::Entry& e = *r.lookup->entry;
    const std::string key = r.lookup->key;
    if (r.value.empty()) return;
    std::vector<char> buf(r.value.begin(), r.value.end());
    buf.push_back('\0');
    VersionBound bound;
    if (!ParseVersionBound(bound, buf.data()))
        Add(Severity::Error, e.line, 0, "bad-version", key,
            "malformed version bound " + Quote(r.value) + " for '" + key +
                "': write major.minor.build.revision (each 0 to 65535) or not, optionally followed by ,program.exe; "
                "no version test is made");
}

// Text colours against the background they are painted on, as the program
// derives them: MsgColor follows a changed InfoColor, and without BkColor the
// background is the system's window colour, taken as white here.
void Checker::CheckContrast() {
    const Colour white = 0x00FFFFFF;
    auto given = [&](const char* key) {
        const Read* r = FindRead(key);
        return r && r->lookup->entry && !r->value.empty();
    };
    const char* const bk = NameOf(&s_->BkColor);
    const char* const info = NameOf(&s_->InfoColor);
    const char* const msg = NameOf(&s_->MsgColor);
    const char* const box = NameOf(&s_->DoNotRepeatColor);
    const bool bkGiven = given(bk) && s_->BkColor != kWindowColourMark;
    const Colour background = bkGiven ? s_->BkColor : white;
    const std::string on = bkGiven ? std::string("on ") + bk + " " + ColourText(background)
                                   : std::string("on the window colour (no ") + bk + ": taken as white 255,255,255)";
    const int bkLine = bkGiven ? LineOf(bk) : 0;
    auto check = [&](const char* key, Colour text, bool textGiven, const char* about, const std::string& also) {
        const double ratio = ContrastRatio(text, background);
        if (ratio >= kMinTextContrast) return;
        char shown[32];
        std::snprintf(shown, sizeof shown, "%.2f:1", ratio > 4.49 ? 4.49 : ratio);  // never "4.50" below 4.5
        // The default light blue on white is what most media show: worth
        // knowing, not worth a warning.
        const bool defaultOnWhite = !textGiven && background == white && key == msg;
        Add(defaultOnWhite ? Severity::Note : Severity::Warning, textGiven ? LineOf(key) : bkLine, 0, "low-contrast",
            key,
            "'" + std::string(key) + "' " + ColourText(text) + about + " " + on + " has a contrast of " + shown +
                ", below the 4.5:1 that text needs to be easy to read" + also);
    };
    const bool infoGiven = given(info), msgGiven = given(msg);
    // Not given, MsgColor follows InfoColor unless that keeps its default.
    const bool msgFollowsInfo = !msgGiven && s_->MsgColor == s_->InfoColor;
    check(info, s_->InfoColor, infoGiven, infoGiven ? "" : " (the default)",
          msgFollowsInfo ? std::string("; ") + msg + " is not given, so the message has this colour too" : "");
    if (!msgFollowsInfo)
        check(msg, s_->MsgColor, msgGiven, msgGiven ? "" : " (the default light blue)", "");
    if (s_->doNotRepeatActive)
        check(box, s_->DoNotRepeatColor, given(box), given(box) ? "" : " (the default)", "");
}

}  // namespace engine
}  // namespace corvcheck
