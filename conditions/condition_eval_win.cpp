// The three tests of a condition against the running system: a file exists,
// the target's associated program lies in a version range, a registry value
// exists or compares.
#include <windows.h>
#include <shellapi.h>

#include "base/ansi_text.h"
#include "base/owned_win.h"
#include "conditions/condition.h"

namespace {

bool FileTest(const ConditionTerm& term) {
    return term.path && GetFileAttributesA(AnsiArg(term.path)) != INVALID_FILE_ATTRIBUTES;
}

bool NameMatches(const VersionBound& bound, const char* programName) {
    // The program's name comes from the shell in the ANSI code page.
    return !bound.programName || EqualNoCase(programName, AnsiArg(bound.programName));
}

bool VersionTest(const ConditionTerm& term, const char* target) {
    const VersionBound& from = term.fromBound;
    const VersionBound& to = term.toBound;
    if (!from.set) return true;

    char program[MAX_PATH] = {};
    HINSTANCE found = FindExecutableA(AnsiArg(target ? target : ""), nullptr, program);
    if (reinterpret_cast<INT_PTR>(found) <= 32) return from.negated;
    program[MAX_PATH - 1] = '\0';
    const char* name = FileNamePart(program);

    if (from.negated) {
        if (NameMatches(from, name)) return false;
    } else {
        if (!NameMatches(from, name)) return false;
        if (IsVersionBelow(from, program)) return false;
    }

    if (!to.set) return true;
    if (to.negated) return !NameMatches(to, name);
    if (!NameMatches(to, name)) return false;
    return IsVersionBelow(to, program);
}

HKEY RootHandle(int root) {
    switch (root) {
        case RootCurrentUser: return HKEY_CURRENT_USER;
        case RootLocalMachine: return HKEY_LOCAL_MACHINE;
        case RootUsers: return HKEY_USERS;
        default: return HKEY_CLASSES_ROOT;
    }
}

bool CompareValue(HKEY key, const ConditionTerm& term) {
    const AnsiArg name(term.valueName ? term.valueName : "");
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (term.op == OpNone) return true;

    if (type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS)
            return false;
        return CompareRegistryNumber(number, term.op, term.comparisonText);
    }

    // One spare byte so an empty value still gets a buffer; the comparison
    // itself never looks past the size the registry reports.
    HeapPtr<BYTE> data = HeapPtr<BYTE>::Allocate(static_cast<size_t>(size) + 1);
    if (!data) return false;
    DWORD dataSize = size;
    return RegQueryValueExA(key, name, nullptr, nullptr, data, &dataSize) == ERROR_SUCCESS && dataSize <= size &&
           CompareRegistryText(data, dataSize, term.op, AnsiArg(term.comparisonText));
}

bool RegistryTest(const ConditionTerm& term) {
    HKEY root = RootHandle(term.rootKey);
    if (!term.subkeyPath) return CompareValue(root, term);
    RegKey key;
    if (RegOpenKeyExA(root, AnsiArg(term.subkeyPath), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
    return CompareValue(key, term);
}

bool PlatformTest(const ConditionTerm& term, const char* target, void*) {
    switch (term.kind) {
        case TermFile: return FileTest(term);
        case TermVersion: return VersionTest(term, target);
        case TermRegistry: return RegistryTest(term);
        default: return true;
    }
}

}  // namespace

bool EvaluateCondition(const Condition& condition, const char* target) {
    return CombineCondition(condition, target, PlatformTest, nullptr);
}
