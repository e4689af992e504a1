// The three tests of a condition against the running system: a file exists,
// the target's associated program lies in a version range, a registry value
// exists or compares.
#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "base/owned_win.h"
#include "base/wide_text.h"
#include "conditions/condition.h"

namespace {

bool FileTest(const ConditionTerm& term) {
    return term.path && GetFileAttributesW(WideArg(term.path)) != INVALID_FILE_ATTRIBUTES;
}

bool NameMatches(const VersionBound& bound, const char* programName) {
    return !bound.programName || EqualNoCase(programName, bound.programName);
}

bool VersionTest(const ConditionTerm& term, const char* target) {
    const VersionBound& from = term.fromBound;
    const VersionBound& to = term.toBound;
    if (!from.set) return true;

    char program[kProgramRoom];
    if (FindAssociatedProgram(target, program) <= 32) return from.negated;
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

// Texts compare byte by byte in the settings file's own encoding: UTF-8, or
// for a file in the ANSI code page that code page, as the system's ANSI
// functions handed both over. Other data compares as stored with the ANSI
// form of the text.
bool CompareText(const BYTE* data, DWORD size, DWORD type, const ConditionTerm& term, bool unicodeFile) {
    const HeapText ansiText = AnsiFromUtf8(term.comparisonText);
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ)
        return CompareRegistryText(data, size, term.op, ansiText);
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(data);
    const HeapText value = unicodeFile ? Utf8FromWide(wide, (int)(size / 2)) : AnsiFromWide(wide, (int)(size / 2));
    if (!value) return false;
    const char* wanted = unicodeFile ? term.comparisonText.get() : ansiText.get();
    return CompareRegistryText(reinterpret_cast<const unsigned char*>(value.get()), (uint32_t)std::strlen(value),
                               term.op, wanted);
}

bool CompareValue(HKEY key, const ConditionTerm& term, bool unicodeFile) {
    const WideArg name(term.valueName ? term.valueName.get() : "");
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key, name, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return false;
    if (term.op == OpNone) return true;

    if (type == REG_DWORD) {
        DWORD number = 0;
        DWORD numberSize = sizeof number;
        if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&number), &numberSize) != ERROR_SUCCESS)
            return false;
        return CompareRegistryNumber(number, term.op, term.comparisonText);
    }

    // Spare bytes so an empty value still gets a buffer; the comparison
    // itself never looks past the size the registry reports.
    HeapPtr<BYTE> data = HeapPtr<BYTE>::Allocate(static_cast<size_t>(size) + 2);
    if (!data) return false;
    DWORD dataSize = size;
    return RegQueryValueExW(key, name, nullptr, nullptr, data, &dataSize) == ERROR_SUCCESS && dataSize <= size &&
           CompareText(data, dataSize, type, term, unicodeFile);
}

bool RegistryTest(const ConditionTerm& term, bool unicodeFile) {
    HKEY root = RootHandle(term.rootKey);
    if (!term.subkeyPath) return CompareValue(root, term, unicodeFile);
    RegKey key;
    if (RegOpenKeyExW(root, WideArg(term.subkeyPath), 0, KEY_QUERY_VALUE, key.Receive()) != ERROR_SUCCESS) return false;
    return CompareValue(key, term, unicodeFile);
}

// `context` points at the settings file's encoding.
bool PlatformTest(const ConditionTerm& term, const char* target, void* context) {
    switch (term.kind) {
        case TermFile: return FileTest(term);
        case TermVersion: return VersionTest(term, target);
        case TermRegistry: return RegistryTest(term, *static_cast<const TextEncoding*>(context) != TextEncoding::Ansi);
        default: return true;
    }
}

}  // namespace

bool EvaluateCondition(const Condition& condition, const char* target, TextEncoding encoding) {
    return CombineCondition(condition, target, PlatformTest, &encoding);
}
