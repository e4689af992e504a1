// Version bound text form and comparison, without the platform.
#include "conditions/version_bound.h"


namespace {

// Splits at `delimiter` the way a classic tokenizer does: leading delimiters
// are skipped, the token is cut with a terminator and *rest moves past it.
// Returns null when only delimiters (or nothing) remain.
char* NextToken(char** rest, char delimiter) {
    char* p = *rest;
    if (!p) return nullptr;
    while (*p == delimiter) ++p;
    if (!*p) {
        *rest = p;
        return nullptr;
    }
    char* token = p;
    while (*p && *p != delimiter) ++p;
    if (*p) *p++ = '\0';
    *rest = p;
    return token;
}

// Leading white space, optional sign, decimal digits up to the first other
// character; no digits give 0. Saturates far outside the 16-bit range so an
// overlong piece can never wrap back into it.
long long DecimalPiece(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    long long value = 0;
    while (*p >= '0' && *p <= '9') {
        if (value < 1000000000LL) value = value * 10 + (*p - '0');
        ++p;
    }
    return negative ? -value : value;
}

}  // namespace

void VersionBound::Clear() {
    programName.Reset();
    set = false;
    negated = false;
    major = minor = build = revision = 0;
}

bool ParseVersionBound(VersionBound& bound, char* text) {
    // A record parsed a second time must not keep anything of its first text
    // (a stale "not" or version would change what the bound means).
    bound.Clear();
    if (!text) return false;

    char* rest = text;
    char* versionPart = NextToken(&rest, ',');
    if (!versionPart) return false;
    char* name = NextToken(&rest, ',');
    if (name) {
        bound.programName = CopyToHeap(name);
        if (!bound.programName) return false;
    }

    if (EqualNoCase(versionPart, "not")) {
        bound.negated = true;
        bound.set = true;
        return true;
    }

    uint16_t pieces[4];
    char* dots = versionPart;
    for (int i = 0; i < 4; ++i) {
        char* piece = NextToken(&dots, '.');
        if (!piece) return false;
        long long value = DecimalPiece(piece);
        if (value < 0 || value > 65535) return false;
        pieces[i] = static_cast<uint16_t>(value);
    }
    bound.major = pieces[0];
    bound.minor = pieces[1];
    bound.build = pieces[2];
    bound.revision = pieces[3];
    bound.set = true;
    return true;
}

bool VersionIsBelow(const FileVersion& have, const VersionBound& bound) {
    const uint16_t mine[4] = {have.major, have.minor, have.build, have.revision};
    const uint16_t want[4] = {bound.major, bound.minor, bound.build, bound.revision};
    for (int i = 0; i < 4; ++i) {
        if (mine[i] != want[i]) return mine[i] < want[i];
    }
    return false;
}
