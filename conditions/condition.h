// Condition expressions guarding the main target and the menu entries, e.g.
// "f?readme.txt?|?r?HKEY_CURRENT_USER\Software\X\Ver>0x10?". Parsing and the
// left-to-right combination are platform-free; the three tests are not.
#pragma once
#include <cstdint>
#include "base/utf.h"
#include "conditions/version_bound.h"

enum TermKind : int { TermNone = 0, TermAnd = 1, TermOr = 2, TermNot = 3, TermFile = 4, TermVersion = 5, TermRegistry = 6 };
enum RegRoot : int { RootClasses = 0, RootCurrentUser = 1, RootLocalMachine = 2, RootUsers = 3 };
enum RegOperator : int { OpNone = 0, OpEqual = 1, OpGreater = 2, OpLess = 3 };

struct ConditionTerm {
    int kind = TermNone;
    HeapText path;                    // file test
    VersionBound fromBound, toBound;  // version test
    int rootKey = RootClasses;        // registry test
    HeapText subkeyPath;              // none when the value lies directly under the root
    HeapText valueName;               // empty names the key's default value
    int op = OpNone;
    HeapText comparisonText;

    void Clear();
};

enum { kMaxTerms = 5 };

struct Condition {
    int count = 0;
    ConditionTerm terms[kMaxTerms];
    // Why parsing stopped ("Invalid conditional", ...), or null. Running out
    // of memory also stops it, without a text.
    const char* parseError = nullptr;
    void Clear();
};

// Cuts `text` in place. True when the whole text was parsed (or five terms
// were taken); on failure the terms parsed so far stay in the condition.
bool ParseCondition(char* text, Condition& condition);

// Strict left-to-right combination; `test` evaluates one file/version/registry term.
typedef bool (*TermTest)(const ConditionTerm& term, const char* target, void* context);
bool CombineCondition(const Condition& condition, const char* target, TermTest test, void* context);

// Fault texts of ParseRadix, for the checker and tests.
enum RadixFault : int { RadixOk = 0, RadixBadRadix = 1, RadixBadChar = 2, RadixDigitTooBig = 3 };
const char* RadixFaultText(int fault);  // "Bad radix\n", "Bad char\n", "Digit too big\n"
// Parses digits 0-9, A-F, a-f in `radix` (1..16), wrapping at 32 bits. A fault
// is reported through `fault` (when given) and never ends the program.
uint32_t ParseRadix(const char* text, int radix, int* fault = nullptr);

// Comparison of a registry number with a comparison text ("0x.." or decimal);
// false when the hexadecimal text is malformed.
bool CompareRegistryNumber(uint32_t registryValue, int op, const char* comparisonText);
// Byte-wise, case-sensitive comparison of `size` registry bytes (stopping at a
// zero byte within them) with the comparison text; never reads past `size`.
bool CompareRegistryText(const unsigned char* data, uint32_t size, int op, const char* comparisonText);

// --- platform side (condition_eval_win.cpp) ---
// Registry texts compare in the settings file's encoding: as UTF-8 for a
// Unicode file, in the ANSI code page for a file without a mark, as the
// system's ANSI functions handed both over.
bool EvaluateCondition(const Condition& condition, const char* target, TextEncoding encoding);
