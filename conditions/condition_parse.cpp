// Parsing of condition texts such as "f?a?|?!?r?HKEY_CURRENT_USER\Software\X\V=1?".
// Every term is a letter and "?"; file, version and registry terms then take
// an operand that runs up to the next "?" (or the end of the text).
#include "conditions/condition.h"

#include <cstring>

namespace {

const char kInvalidConditional[] = "Invalid conditional";
const char kInvalidVersionFrom[] = "Invalid filename 'version from' information";
const char kInvalidVersionTo[] = "Invalid filename 'version to' information";
const char kInvalidRegistryKey[] = "Invalid registry key name";

// A failed parse names its reason here; a null reason means memory ran out.
bool Fail(const char** error, const char* reason) {
    *error = reason;
    return false;
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

bool ParseRegistryOperand(const char* operand, ConditionTerm& term, const char** error) {
    const char* rest = nullptr;
    for (const RootPrefix& r : kRoots) {
        if (PrefixNoCase(operand, r.text)) {
            term.rootKey = r.root;
            rest = operand + strlen(r.text);
            break;
        }
    }
    if (!rest) return Fail(error, kInvalidRegistryKey);

    size_t pathLength = strcspn(rest, "=><");
    if (rest[pathLength]) {
        switch (rest[pathLength]) {
            case '=': term.op = OpEqual; break;
            case '>': term.op = OpGreater; break;
            default: term.op = OpLess; break;
        }
        const char* comparison = rest + pathLength + 1;
        term.comparisonText = CopyToHeap(comparison);
        if (!term.comparisonText) return false;
    }

    // The last path component is always the value name.
    const char* lastSlash = nullptr;
    for (size_t i = 0; i < pathLength; ++i) {
        if (rest[i] == '\\') lastSlash = rest + i;
    }
    const char* name = rest;
    if (lastSlash) {
        term.subkeyPath = CopyToHeap(rest, static_cast<size_t>(lastSlash - rest));
        if (!term.subkeyPath) return false;
        name = lastSlash + 1;
    }
    term.valueName = CopyToHeap(name, static_cast<size_t>(rest + pathLength - name));
    return term.valueName != nullptr;
}

bool ParseVersionOperand(char* operand, ConditionTerm& term, const char** error) {
    term.fromBound.Clear();
    term.toBound.Clear();
    char* colon = strchr(operand, ':');
    if (colon) *colon = '\0';
    if (!ParseVersionBound(term.fromBound, operand)) return Fail(error, kInvalidVersionFrom);
    if (colon && !ParseVersionBound(term.toBound, colon + 1)) return Fail(error, kInvalidVersionTo);
    return true;
}

// Parses one term at *position. On return *position is past the term, or
// null when the operand ran to the end of the text.
bool ParseTerm(char** position, ConditionTerm& term, const char** error) {
    char* p = *position;
    int kind;
    switch (*p) {
        case '&': kind = TermAnd; break;
        case '|': kind = TermOr; break;
        case '!': kind = TermNot; break;
        case 'f': kind = TermFile; break;
        case 'v': kind = TermVersion; break;
        case 'r': kind = TermRegistry; break;
        default: return Fail(error, kInvalidConditional);
    }
    ++p;
    if (*p != '?') return Fail(error, kInvalidConditional);
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
            term.path = CopyToHeap(operand);
            return term.path != nullptr;
        case TermVersion:
            return ParseVersionOperand(operand, term, error);
        default:
            return ParseRegistryOperand(operand, term, error);
    }
}

}  // namespace

bool ParseCondition(char* text, Condition& condition) {
    condition.Clear();
    char* position = text;
    while (position && *position && condition.count < kMaxTerms) {
        ConditionTerm& term = condition.terms[condition.count];
        if (!ParseTerm(&position, term, &condition.parseError)) {
            // Only the terms before the bad one count; drop the half-built slot.
            term.Clear();
            return false;
        }
        ++condition.count;
    }
    return true;
}
