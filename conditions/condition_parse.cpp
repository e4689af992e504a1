// Parsing of condition texts such as "f?a?|?!?r?HKEY_CURRENT_USER\Software\X\V=1?".
// Every term is a letter and "?"; file, version and registry terms then take
// an operand that runs up to the next "?" (or the end of the text).
#include "conditions/condition.h"

#include <cstdlib>
#include <cstring>

namespace {

const char kInvalidConditional[] = "Invalid conditional";
const char kInvalidVersionFrom[] = "Invalid filename 'version from' information";
const char kInvalidVersionTo[] = "Invalid filename 'version to' information";
const char kInvalidRegistryKey[] = "Invalid registry key name";

void Report(bool report, const char* message) {
    if (!report) return;
    conditionError = true;
    size_t n = strlen(message);
    if (n >= sizeof conditionErrorText) n = sizeof conditionErrorText - 1;
    memcpy(conditionErrorText, message, n);
    conditionErrorText[n] = '\0';
}

char* HeapCopy(const char* text, size_t length) {
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy) return nullptr;
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

struct RootPrefix {
    const char* text;
    int root;
};
const RootPrefix kRoots[] = {
    {"HKEY_CLASSES_ROOT\\", RootClasses},
    {"HKEY_CURRENT_USER\\", RootCurrentUser},
    {"HKEY_LOCAL_MACHINE\\", RootLocalMachine},
    {"HKEY_USERS\\", RootUsers},
};

bool StartsWithNoCase(const char* text, const char* prefix) {
    for (; *prefix; ++text, ++prefix) {
        unsigned char x = static_cast<unsigned char>(*text), y = static_cast<unsigned char>(*prefix);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;  // also stops at the end of `text`
    }
    return true;
}

bool ParseRegistryOperand(const char* operand, ConditionTerm& term, bool report) {
    const char* rest = nullptr;
    for (const RootPrefix& r : kRoots) {
        if (StartsWithNoCase(operand, r.text)) {
            term.rootKey = r.root;
            rest = operand + strlen(r.text);
            break;
        }
    }
    if (!rest) {
        Report(report, kInvalidRegistryKey);
        return false;
    }

    size_t pathLength = strcspn(rest, "=><");
    if (rest[pathLength]) {
        switch (rest[pathLength]) {
            case '=': term.op = OpEqual; break;
            case '>': term.op = OpGreater; break;
            default: term.op = OpLess; break;
        }
        const char* comparison = rest + pathLength + 1;
        term.comparisonText = HeapCopy(comparison, strlen(comparison));
        if (!term.comparisonText) return false;
    }

    // The last path component is always the value name.
    const char* lastSlash = nullptr;
    for (size_t i = 0; i < pathLength; ++i) {
        if (rest[i] == '\\') lastSlash = rest + i;
    }
    const char* name = rest;
    if (lastSlash) {
        term.subkeyPath = HeapCopy(rest, static_cast<size_t>(lastSlash - rest));
        if (!term.subkeyPath) return false;
        name = lastSlash + 1;
    }
    term.valueName = HeapCopy(name, static_cast<size_t>(rest + pathLength - name));
    return term.valueName != nullptr;
}

bool ParseVersionOperand(char* operand, ConditionTerm& term, bool report) {
    term.fromBound.Clear();
    term.toBound.Clear();
    char* colon = strchr(operand, ':');
    if (colon) *colon = '\0';
    if (!ParseVersionBound(term.fromBound, operand)) {
        Report(report, kInvalidVersionFrom);
        return false;
    }
    if (colon && !ParseVersionBound(term.toBound, colon + 1)) {
        Report(report, kInvalidVersionTo);
        return false;
    }
    return true;
}

// Parses one term at *position. On return *position is past the term, or
// null when the operand ran to the end of the text.
bool ParseTerm(char** position, ConditionTerm& term, bool report) {
    char* p = *position;
    int kind;
    switch (*p) {
        case '&': kind = TermAnd; break;
        case '|': kind = TermOr; break;
        case '!': kind = TermNot; break;
        case 'f': kind = TermFile; break;
        case 'v': kind = TermVersion; break;
        case 'r': kind = TermRegistry; break;
        default:
            Report(report, kInvalidConditional);
            return false;
    }
    ++p;
    if (*p != '?') {
        Report(report, kInvalidConditional);
        return false;
    }
    ++p;
    term.kind = kind;
    *position = p;
    if (kind == TermAnd || kind == TermOr || kind == TermNot) return true;

    char* operand = p;
    char* end = strchr(p, '?');
    if (end) {
        *end = '\0';
        *position = end + 1;
    } else {
        *position = nullptr;
    }

    switch (kind) {
        case TermFile:
            term.path = HeapCopy(operand, strlen(operand));
            return term.path != nullptr;
        case TermVersion:
            return ParseVersionOperand(operand, term, report);
        default:
            return ParseRegistryOperand(operand, term, report);
    }
}

}  // namespace

bool ParseCondition(char* text, Condition& condition, bool report) {
    condition.Clear();
    char* position = text;
    while (position && *position && condition.count < kMaxTerms) {
        ConditionTerm& term = condition.terms[condition.count];
        if (!ParseTerm(&position, term, report)) {
            // Only the terms before the bad one count; drop the half-built slot.
            term.Clear();
            return false;
        }
        ++condition.count;
    }
    return true;
}
