#include "settings/ini_reader.h"

#include <cstring>

#include "base/text.h"
#include "base/utf.h"

namespace {

// The profile functions treat these as white space around names and values.
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

// The part of a text before its first NUL byte: the profile functions hold
// names and values as C strings, so an embedded NUL ends them.
size_t UpToNul(const char* p, size_t n) {
    const void* nul = std::memchr(p, 0, n);
    return nul ? static_cast<size_t>(static_cast<const char*>(nul) - p) : n;
}

// Drops the profile blanks at both ends of [*p, *p + *n).
void TrimBlanks(const char** p, size_t* n) {
    const char* s = *p;
    size_t k = *n;
    while (k && IsBlank(static_cast<unsigned char>(*s))) ++s, --k;
    while (k && IsBlank(static_cast<unsigned char>(s[k - 1]))) --k;
    *p = s;
    *n = k;
}

// A text as the profile functions hand it out: up to an embedded NUL, and
// without one pair of enclosing quotes (single or double).
void Unquote(const char** start, size_t* length) {
    const char* v = *start;
    size_t n = UpToNul(v, *length);
    if (n >= 2 && (v[0] == '"' || v[0] == '\'') && v[n - 1] == v[0]) {
        ++v;
        n -= 2;
    }
    *start = v;
    *length = n;
}

// The default as the profile functions use it: trailing spaces (only
// spaces, and never the first character) are dropped, then it is unquoted
// like a value.
void EffectiveDefault(const char* def, const char** start, size_t* length) {
    const char* d = def ? def : "";
    size_t n = std::strlen(d);
    while (n > 1 && d[n - 1] == ' ') --n;
    *start = d;
    *length = n;
    Unquote(start, length);
}

// The profile integer rule reads the value as the text function gives it into
// a buffer of 30 characters, so only the first 29 characters count.
enum { kIntegerTextCapacity = 30 };

// The integer rule once, in two builds: the program's plain one, and the
// checker's, which also tells how much was read and whether it wrapped.
template <bool kDetails>
int32_t ParseProfileInteger(const char* text, size_t length, size_t* used, bool* wrapped) {
    size_t i = 0;
    // Control characters and blanks before the number are skipped.
    while (i < length && static_cast<unsigned char>(text[i]) <= ' ') ++i;
    bool negative = false;
    if (i < length && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    // A lower-case prefix 0x, 0o or 0b picks base 16, 8 or 2; otherwise decimal.
    uint32_t base = 10;
    if (i + 1 < length && text[i] == '0') {
        char p = text[i + 1];
        base = p == 'x' ? 16 : p == 'o' ? 8 : p == 'b' ? 2 : 10;
        if (base != 10) i += 2;
    }
    uint32_t value = 0;
    uint64_t magnitude = 0;  // saturating, for telling the author that it wrapped
    const size_t first = i;
    for (; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        uint32_t digit = c >= '0' && c <= '9'   ? c - '0'
                         : c >= 'a' && c <= 'z' ? c - 'a' + 10u
                         : c >= 'A' && c <= 'Z' ? c - 'A' + 10u
                                                : 99u;
        if (digit >= base) break;
        value = value * base + digit;  // wraps like the 32-bit conversion
        if (kDetails && magnitude <= 0x7FFFFFFFu) magnitude = magnitude * base + digit;
    }
    if (kDetails) {
        if (used) *used = i > first ? i : 0;
        if (wrapped) *wrapped = magnitude > 0x7FFFFFFFu;
    }
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}

// Bottom-up merge sort of entry numbers by key, stable so that the first of
// duplicate keys stays first (after any of the language section). Written out rather than taken from the standard
// library, whose sort would bring its exception support into the program.
void SortByKey(const IniFile::Entry* entries, size_t* index, size_t* scratch, size_t n) {
    size_t* from = index;
    size_t* to = scratch;
    for (size_t width = 1; width < n; width *= 2) {
        for (size_t lo = 0; lo < n; lo += 2 * width) {
            size_t mid = lo + width < n ? lo + width : n;
            size_t hi = lo + 2 * width < n ? lo + 2 * width : n;
            size_t a = lo, b = mid, out = lo;
            while (a < mid && b < hi) {
                const IniFile::Entry& x = entries[from[a]];
                const IniFile::Entry& y = entries[from[b]];
                // Take from the right run only when strictly first: a smaller
                // key, or the same key from the language section over one of
                // the section read.
                const int order = CompareNoCase(y.key, y.keyLength, x.key, x.keyLength);
                if (order < 0 || (order == 0 && y.section > x.section)) to[out++] = from[b++];
                else to[out++] = from[a++];
            }
            while (a < mid) to[out++] = from[a++];
            while (b < hi) to[out++] = from[b++];
        }
        size_t* t = from;
        from = to;
        to = t;
    }
    if (from != index) std::memcpy(index, from, n * sizeof(size_t));
}

}  // namespace

bool StartsWithUtf8Bom(const unsigned char* bytes, size_t count) {
    return count >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
}

IniFile::~IniFile() = default;

void IniFile::LoadSection(const char* data, size_t size, const char* section, const LanguageTag* languages,
                          size_t languageCount) {
    Scan<false>(data, size, section, languages, languageCount);
}

void IniFile::LoadListing(const char* data, size_t size, const char* section, const LanguageTag* languages,
                          size_t languageCount) {
    Scan<true>(data, size, section, languages, languageCount);
}

// Where the scan stands: before, inside or after the section that is read,
// and in which language section (0: none).
struct IniFile::ScanState {
    enum Place { Before, Inside, After } place;
    const char* wanted;  // the section asked for, without its blanks
    size_t wantedLength;
    int line;
    bool listAll;    // cleared when memory for the listing runs out
    bool languages;  // language sections are looked for
    int language;    // the number of the language section the scan is in, from 1
};

template <bool kList>
void IniFile::Scan(const char* data, size_t size, const char* section, const LanguageTag* languages,
                   size_t languageCount) {
    entries_.Clear();
    index_.Reset();
    sections_.Clear();
    keyLines_.Clear();
    languageSectionCount_ = 0;
    language_ = LanguageTag{"", 0};
    bom_ = false;
    if (!data) size = 0;
    data_ = CopyToHeap(data ? data : "", size);
    if (!data_) return;

    const char* p = data_;
    const char* const end = data_ + size;
    bom_ = StartsWithUtf8Bom(reinterpret_cast<const unsigned char*>(p), size);
    if (bom_) p += 3;

    // The empty name is the part of the file before the first header.
    ScanState state;
    state.wanted = section ? section : "";
    state.wantedLength = std::strlen(state.wanted);
    TrimBlanks(&state.wanted, &state.wantedLength);
    state.place = state.wantedLength ? ScanState::Before : ScanState::Inside;
    state.line = 0;
    state.listAll = kList;
    state.languages = languageCount > 0 && state.wantedLength > 0;
    state.language = 0;
    // Without a listing or languages the scan ends with the section that is read.
    while (p < end && (state.place != ScanState::After || state.listAll || state.languages)) {
        ++state.line;
        const char* const rawStart = p;
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        p = lineEnd;
        // CR LF, a lone LF and a lone CR each end one line.
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n' && (p == lineEnd || p[-1] == '\r')) ++p;
        ScanLine<kList>(state, rawStart, lineEnd);
    }
    KeepLanguage(languages, languageCount);
    LinkKeptEntries();
    BuildIndex();
}

// Of the language sections' entries, those of the one chosen stay (as
// section 1); the others go.
void IniFile::KeepLanguage(const LanguageTag* languages, size_t languageCount) {
    const int chosen = ChooseLanguageSection(languages, languageCount, languageSections_, languageSectionCount_) + 1;
    if (chosen > 0) language_ = languageSections_[chosen - 1];
    size_t kept = 0;
    for (size_t i = 0; i < entries_.count; ++i) {
        Entry e = entries_[i];
        if (e.section != 0 && e.section != chosen) continue;
        if (e.section) e.section = 1;
        entries_[kept++] = e;
    }
    entries_.count = kept;
}

template <bool kList>
void IniFile::ScanLine(ScanState& state, const char* rawStart, const char* lineEnd) {
    const char* lineStart = rawStart;
    while (lineStart < lineEnd && IsBlank(static_cast<unsigned char>(*lineStart))) ++lineStart;
    if (lineStart >= lineEnd) return;

    if (*lineStart == '[') {
        const char* close = lineEnd - 1;
        while (close > lineStart && *close != ']') --close;
        if (close > lineStart) {
            // The name between '[' and the last ']', without surrounding
            // blanks ("[ Info ]" is [Info]) and up to a NUL byte.
            const char* name = lineStart + 1;
            size_t nameLength = static_cast<size_t>(close - name);
            TrimBlanks(&name, &nameLength);
            nameLength = UpToNul(name, nameLength);
            const bool match = state.wantedLength && CompareNoCase(name, nameLength, state.wanted, state.wantedLength) == 0;
            const bool entering = state.place == ScanState::Before && match;
            if (state.place == ScanState::Inside) state.place = ScanState::After;  // a later section ends ours
            else if (entering) state.place = ScanState::Inside;
            // "<wanted>.<tag>": its entries are kept until the language is chosen.
            state.language = 0;
            if (state.languages && nameLength > state.wantedLength && name[state.wantedLength] == '.' &&
                CompareNoCase(name, state.wantedLength, state.wanted, state.wantedLength) == 0) {
                if (languageSectionCount_ < kMaxLanguageSections) {
                    languageSections_[languageSectionCount_++] =
                        LanguageTag{name + state.wantedLength + 1, nameLength - state.wantedLength - 1};
                    state.language = static_cast<int>(languageSectionCount_);
                }
            }
            if (kList && state.listAll && !sections_.Append(Section{name, nameLength, state.line, entering}))
                state.listAll = false;
            return;
        }
        // A header without ']' is read as an ordinary line, as the profile functions do.
    }
    const bool keep = state.place == ScanState::Inside || state.language;
    if (!keep && !(kList && state.listAll)) return;

    while (lineEnd > lineStart && IsBlank(static_cast<unsigned char>(lineEnd[-1]))) --lineEnd;
    const char* eq = static_cast<const char*>(std::memchr(lineStart, '=', static_cast<size_t>(lineEnd - lineStart)));
    Entry e = {lineStart, static_cast<size_t>(lineEnd - lineStart), nullptr, 0, state.line,
               state.place == ScanState::Inside ? 0 : state.language};
    if (eq) {
        const char* nameEnd = eq;
        while (nameEnd > lineStart && IsBlank(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
        e.keyLength = static_cast<size_t>(nameEnd - lineStart);
        const char* v = eq + 1;
        while (v < lineEnd && IsBlank(static_cast<unsigned char>(*v))) ++v;
        e.value = v;
        e.valueLength = static_cast<size_t>(lineEnd - v);
    }
    // A name ends at a NUL byte; the blanks before it stay part of it.
    e.keyLength = UpToNul(e.key, e.keyLength);
    // The profile functions know no comments: a line starting with ';' is a
    // key whose name starts with ';', which the program never asks for. The
    // listing leaves it out (its entry is linked below, once entries stop moving).
    if (kList && state.listAll && *lineStart != ';' &&
        !keyLines_.Append(KeyLine{e, rawStart, static_cast<int>(sections_.count) - 1, nullptr}))
        state.listAll = false;
    if (keep) entries_.Append(e, 64);  // out of memory keeps what was read
}

// The kept entries are the listed lines of the read section, in order
// (comment lines are entries but not listed).
void IniFile::LinkKeptEntries() {
    for (size_t k = 0, j = 0; k < keyLines_.count && j < entries_.count; ++k) {
        while (j < entries_.count && entries_[j].line < keyLines_[k].entry.line) ++j;
        if (j < entries_.count && keyLines_[k].entry.line == entries_[j].line) keyLines_[k].kept = &entries_[j++];
    }
}

// A sorted index keeps look-ups fast even for a settings file of garbage with
// millions of lines; the stable sort keeps the first duplicate first.
void IniFile::BuildIndex() {
    const size_t count = entries_.count;
    if (!count) return;
    index_ = HeapPtr<size_t>::Allocate(count);
    HeapPtr<size_t> scratch = HeapPtr<size_t>::Allocate(count);
    if (!index_ || !scratch) {
        index_.Reset();
        entries_.count = 0;
        return;
    }
    for (size_t i = 0; i < count; ++i) index_[i] = i;
    SortByKey(entries_.items, index_, scratch, count);
}

const IniFile::Entry* IniFile::Find(const char* key) const {
    const size_t count = entries_.count;
    if (!key || !count || !index_) return nullptr;
    // The name asked for counts without its surrounding blanks.
    size_t keyLength = std::strlen(key);
    TrimBlanks(&key, &keyLength);
    size_t lo = 0, hi = count;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        const Entry& e = entries_[index_[mid]];
        if (CompareNoCase(e.key, e.keyLength, key, keyLength) < 0) lo = mid + 1;
        else hi = mid;
    }
    if (lo < count) {
        const Entry& e = entries_[index_[lo]];
        if (CompareNoCase(e.key, e.keyLength, key, keyLength) == 0) return &e;
    }
    return nullptr;
}

size_t IniFile::CopyValue(const Entry* e, const char* def, char* buf, size_t cap, bool characters) {
    if (!buf || cap == 0) return 0;
    const char* src;
    size_t n;
    // A line without '=' names a key without a value: the default applies.
    if (e && e->value) {
        src = e->value;
        n = e->valueLength;
        Unquote(&src, &n);
    } else {
        EffectiveDefault(def, &src, &n);
    }
    if (characters) n = Utf8PrefixOfUnits(src, n, cap - 1);
    else if (n > cap - 1) n = cap - 1;
    std::memcpy(buf, src, n);
    buf[n] = '\0';
    return n;
}

size_t IniFile::GetString(const char* key, const char* def, char* buf, size_t cap) const {
    const Entry* e = Find(key);
    if (record_) record_(log_, key, false, cap, def, 0, e);
    if (!decode_ || bom_ || !e || !e->value || !buf || cap == 0) return CopyValue(e, def, buf, cap, CountsCharacters());
    const char* src = e->value;
    size_t n = e->valueLength;
    Unquote(&src, &n);
    const size_t decoded = decode_(src, n < cap - 1 ? n : cap - 1, buf, DecodedRoom(cap));
    return decoded != kDecodeFailed ? decoded : CopyValue(e, def, buf, cap, false);
}

int32_t IniFile::GetInt(const char* key, int32_t def) const {
    const Entry* e = Find(key);
    if (record_) record_(log_, key, true, 0, nullptr, def, e);
    char text[kIntegerTextCapacity];
    // Digits are ASCII: a cut by bytes reads the same number as one by characters.
    size_t n = CopyValue(e, "", text, sizeof text, false);
    if (n == 0) return def;
    return ParseProfileInteger<false>(text, n, nullptr, nullptr);
}

int32_t ProfileInteger(const char* text, size_t length, size_t* used, bool* wrapped) {
    return ParseProfileInteger<true>(text, length, used, wrapped);
}
