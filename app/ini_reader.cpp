#include "app/ini_reader.h"

#include <cstdlib>
#include <cstring>

namespace {

// The profile functions treat these as white space around names and values.
bool IsBlank(unsigned char c) { return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == 0x1A; }

unsigned char Lower(unsigned char c) { return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c; }

int CompareNoCase(const char* a, size_t an, const char* b, size_t bn) {
    size_t n = an < bn ? an : bn;
    for (size_t i = 0; i < n; ++i) {
        unsigned char x = Lower(static_cast<unsigned char>(a[i]));
        unsigned char y = Lower(static_cast<unsigned char>(b[i]));
        if (x != y) return x < y ? -1 : 1;
    }
    if (an == bn) return 0;
    return an < bn ? -1 : 1;
}

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
// duplicate keys stays first. Written out rather than taken from the standard
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
                // Take from the right run only when strictly smaller.
                if (CompareNoCase(y.key, y.keyLength, x.key, x.keyLength) < 0) to[out++] = from[b++];
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

IniFile::~IniFile() {
    std::free(data_);
    std::free(entries_);
    std::free(index_);
    std::free(sections_);
    std::free(keyLines_);
}

namespace {

// Appends one element to a malloc'd array that doubles as it grows; false
// when memory runs out (the array keeps what it had).
template <typename T>
bool Append(T*& array, size_t& count, size_t& capacity, const T& item) {
    if (count == capacity) {
        size_t grown = capacity ? capacity * 2 : 16;
        T* bigger = static_cast<T*>(std::realloc(array, grown * sizeof(T)));
        if (!bigger) return false;
        array = bigger;
        capacity = grown;
    }
    array[count++] = item;
    return true;
}

}  // namespace

void IniFile::LoadSection(const char* data, size_t size, const char* section) { Scan<false>(data, size, section); }

void IniFile::LoadListing(const char* data, size_t size, const char* section) { Scan<true>(data, size, section); }

template <bool kList>
void IniFile::Scan(const char* data, size_t size, const char* section) {
    bool listAll = kList;  // cleared when memory for the listing runs out
    std::free(data_);
    std::free(entries_);
    std::free(index_);
    std::free(sections_);
    std::free(keyLines_);
    data_ = nullptr;
    entries_ = nullptr;
    index_ = nullptr;
    count_ = 0;
    bom_ = false;
    sections_ = nullptr;
    sectionCount_ = 0;
    keyLines_ = nullptr;
    keyLineCount_ = 0;
    size_t sectionCapacity = 0, keyLineCapacity = 0;
    if (!data) size = 0;

    data_ = static_cast<char*>(std::malloc(size + 1));
    if (!data_) return;
    if (size) std::memcpy(data_, data, size);
    data_[size] = '\0';

    const char* p = data_;
    const char* end = data_ + size;
    if (size >= 3 && static_cast<unsigned char>(p[0]) == 0xEF && static_cast<unsigned char>(p[1]) == 0xBB &&
        static_cast<unsigned char>(p[2]) == 0xBF) {
        bom_ = true;
        p += 3;
    }

    size_t capacity = 0;
    // The section asked for is named without its surrounding blanks; the
    // empty name is the part of the file before the first header.
    const char* wanted = section ? section : "";
    size_t wantedLength = std::strlen(wanted);
    TrimBlanks(&wanted, &wantedLength);
    enum { Before, Inside, After } state = wantedLength ? Before : Inside;
    int line = 0;
    // Without a listing the scan ends with the section that is read.
    while (p < end && (state != After || listAll)) {
        ++line;
        const char* lineStart = p;
        const char* const rawStart = p;
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\r' && *lineEnd != '\n') ++lineEnd;
        p = lineEnd;
        // CR LF, a lone LF and a lone CR each end one line.
        if (p < end && *p == '\r') ++p;
        if (p < end && *p == '\n' && (p == lineEnd || p[-1] == '\r')) ++p;

        while (lineStart < lineEnd && IsBlank(static_cast<unsigned char>(*lineStart))) ++lineStart;
        if (lineStart >= lineEnd) continue;

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
                bool match = wantedLength && CompareNoCase(name, nameLength, wanted, wantedLength) == 0;
                bool entering = state == Before && match;
                if (state == Inside) state = After;  // a later section ends ours
                else if (match && state == Before) state = Inside;
                if (listAll) {
                    Section h;
                    h.name = name;
                    h.nameLength = nameLength;
                    h.line = line;
                    h.read = entering;
                    if (!Append(sections_, sectionCount_, sectionCapacity, h)) listAll = false;
                }
                continue;
            }
            // A header without ']' is read as an ordinary line, as the profile functions do.
        }
        // The profile functions know no comments: a line starting with ';' is
        // a key whose name starts with ';', which the program never asks for.
        const bool comment = *lineStart == ';';
        if (state != Inside && !listAll) continue;

        while (lineEnd > lineStart && IsBlank(static_cast<unsigned char>(lineEnd[-1]))) --lineEnd;
        const char* eq = static_cast<const char*>(std::memchr(lineStart, '=', static_cast<size_t>(lineEnd - lineStart)));
        Entry e;
        e.key = lineStart;
        e.line = line;
        if (eq) {
            const char* nameEnd = eq;
            while (nameEnd > lineStart && IsBlank(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
            e.keyLength = static_cast<size_t>(nameEnd - lineStart);
            const char* v = eq + 1;
            while (v < lineEnd && IsBlank(static_cast<unsigned char>(*v))) ++v;
            e.value = v;
            e.valueLength = static_cast<size_t>(lineEnd - v);
        } else {
            e.keyLength = static_cast<size_t>(lineEnd - lineStart);
            e.value = nullptr;
            e.valueLength = 0;
        }
        // A name ends at a NUL byte; the blanks before it stay part of it.
        e.keyLength = UpToNul(e.key, e.keyLength);
        if (listAll && !comment) {
            KeyLine k;
            k.entry = e;
            k.lineStart = rawStart;
            k.section = static_cast<int>(sectionCount_) - 1;
            k.kept = nullptr;  // linked below, once the entries stop moving
            if (!Append(keyLines_, keyLineCount_, keyLineCapacity, k)) listAll = false;
        }
        if (state != Inside) continue;
        if (count_ == capacity) {
            size_t grown = capacity ? capacity * 2 : 64;
            Entry* bigger = static_cast<Entry*>(std::realloc(entries_, grown * sizeof(Entry)));
            if (!bigger) break;  // keep what was read
            entries_ = bigger;
            capacity = grown;
        }
        entries_[count_++] = e;
    }

    // The kept entries are the listed lines of the read section, in order
    // (comment lines are entries but not listed).
    for (size_t k = 0, j = 0; k < keyLineCount_ && j < count_; ++k) {
        while (j < count_ && entries_[j].line < keyLines_[k].entry.line) ++j;
        if (j < count_ && keyLines_[k].entry.line == entries_[j].line) keyLines_[k].kept = &entries_[j++];
    }

    // A sorted index keeps look-ups fast even for a settings file of garbage
    // with millions of lines; the stable sort keeps the first duplicate first.
    if (count_) {
        index_ = static_cast<size_t*>(std::malloc(count_ * sizeof(size_t)));
        size_t* scratch = static_cast<size_t*>(std::malloc(count_ * sizeof(size_t)));
        if (!index_ || !scratch) {
            std::free(scratch);
            std::free(index_);
            index_ = nullptr;
            count_ = 0;
            return;
        }
        for (size_t i = 0; i < count_; ++i) index_[i] = i;
        SortByKey(entries_, index_, scratch, count_);
        std::free(scratch);
    }
}

const IniFile::Entry* IniFile::Find(const char* key) const {
    if (!key || !count_) return nullptr;
    // The name asked for counts without its surrounding blanks.
    size_t keyLength = std::strlen(key);
    TrimBlanks(&key, &keyLength);
    size_t lo = 0, hi = count_;
    while (lo < hi) {
        size_t mid = lo + (hi - lo) / 2;
        const Entry& e = entries_[index_[mid]];
        if (CompareNoCase(e.key, e.keyLength, key, keyLength) < 0) lo = mid + 1;
        else hi = mid;
    }
    if (lo < count_) {
        const Entry& e = entries_[index_[lo]];
        if (CompareNoCase(e.key, e.keyLength, key, keyLength) == 0) return &e;
    }
    return nullptr;
}

void IniFile::Record(const char* key, bool integer, size_t capacity, const char* def, int32_t intDefault,
                     const Entry* entry) const {
    if (!log_) return;
    if (log_->count >= kMaxLookups) {
        log_->overflow = true;
        return;
    }
    Lookup& l = log_->items[log_->count++];
    std::memset(&l, 0, sizeof l);
    if (key) std::strncpy(l.key, key, sizeof l.key - 1);
    if (def) std::strncpy(l.def, def, sizeof l.def - 1);
    l.integer = integer;
    l.capacity = capacity;
    l.intDefault = intDefault;
    l.entry = entry;
}

size_t IniFile::CopyValue(const Entry* e, const char* def, char* buf, size_t cap) {
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
    if (n > cap - 1) n = cap - 1;
    std::memcpy(buf, src, n);
    buf[n] = '\0';
    return n;
}

size_t IniFile::GetString(const char* key, const char* def, char* buf, size_t cap) const {
    const Entry* e = Find(key);
    Record(key, false, cap, def, 0, e);
    return CopyValue(e, def, buf, cap);
}

int32_t IniFile::GetInt(const char* key, int32_t def) const {
    const Entry* e = Find(key);
    Record(key, true, 0, nullptr, def, e);
    char text[kIntegerTextCapacity];
    size_t n = CopyValue(e, "", text, sizeof text);
    if (n == 0) return def;
    return ParseProfileInteger<false>(text, n, nullptr, nullptr);
}

int32_t ProfileInteger(const char* text, size_t length, size_t* used, bool* wrapped) {
    return ParseProfileInteger<true>(text, length, used, wrapped);
}
