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

// Value as the profile functions hand it out: up to an embedded NUL, and
// without one pair of enclosing quotes (single or double).
void EffectiveValue(const IniFile::Entry& e, const char** start, size_t* length) {
    const char* v = e.value;
    size_t n = e.valueLength;
    const void* nul = std::memchr(v, 0, n);
    if (nul) n = static_cast<size_t>(static_cast<const char*>(nul) - v);
    if (n >= 2 && (v[0] == '"' || v[0] == '\'') && v[n - 1] == v[0]) {
        ++v;
        n -= 2;
    }
    *start = v;
    *length = n;
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

void IniFile::Load(const char* data, size_t size, const char* section, bool listAll) {
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
    const size_t sectionLength = std::strlen(section);
    enum { Before, Inside, After } state = Before;
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
                bool match = CompareNoCase(lineStart + 1, static_cast<size_t>(close - lineStart - 1), section,
                                           sectionLength) == 0;
                bool entering = state == Before && match;
                if (state == Inside) state = After;  // a later section ends ours
                else if (match && state == Before) state = Inside;
                if (listAll) {
                    Section h;
                    h.name = lineStart + 1;
                    h.nameLength = static_cast<size_t>(close - lineStart - 1);
                    h.line = line;
                    h.read = entering;
                    if (!Append(sections_, sectionCount_, sectionCapacity, h)) listAll = false;
                }
                continue;
            }
            // A header without ']' is read as an ordinary line, as the profile functions do.
        }
        if (*lineStart == ';') continue;
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
        if (listAll) {
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

    // The kept entries are the listed lines of the read section, in order.
    for (size_t k = 0, j = 0; k < keyLineCount_ && j < count_; ++k) {
        if (keyLines_[k].entry.line == entries_[j].line) keyLines_[k].kept = &entries_[j++];
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
    const size_t keyLength = std::strlen(key);
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

size_t IniFile::GetString(const char* key, const char* def, char* buf, size_t cap) const {
    const Entry* e = Find(key);
    Record(key, false, cap, def, 0, e);
    if (!buf || cap == 0) return 0;
    const char* src = def ? def : "";
    size_t n = std::strlen(src);
    // A line without '=' names a key without a value: the default applies.
    if (e && e->value) EffectiveValue(*e, &src, &n);
    if (n > cap - 1) n = cap - 1;
    std::memcpy(buf, src, n);
    buf[n] = '\0';
    return n;
}

int32_t IniFile::GetInt(const char* key, int32_t def) const {
    const Entry* e = Find(key);
    Record(key, true, 0, nullptr, def, e);
    if (!e || !e->value) return def;
    const char* v;
    size_t n;
    EffectiveValue(*e, &v, &n);
    if (n == 0) return def;
    size_t i = 0;
    bool negative = false;
    if (v[i] == '-' || v[i] == '+') {
        negative = v[i] == '-';
        ++i;
    }
    uint32_t value = 0;
    for (; i < n && v[i] >= '0' && v[i] <= '9'; ++i) value = value * 10u + static_cast<uint32_t>(v[i] - '0');
    if (negative) value = 0u - value;
    return static_cast<int32_t>(value);
}
