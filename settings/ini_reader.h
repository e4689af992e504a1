// A reader for the [Info] section of Corva.INF that keeps the file's bytes
// as they are (UTF-8 mode depends on them) and answers key look-ups the way
// the Windows profile functions do. The file is read once.
#pragma once
#include <cstddef>
#include <cstdint>

#include "base/owned.h"
#include "settings/languages.h"

class IniFile {
public:
    IniFile() = default;
    ~IniFile();  // out of line: its heap parts are freed in one place
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;

    // Takes the file's contents; keeps only the entries of the first
    // section named `section` (case-insensitive) and, when the user's
    // display languages are given (most preferred first), those of the
    // language section [<section>.<tag>] chosen for them
    // (ChooseLanguageSection): a key there answers in place of the same key
    // of `section`. With `listAll` the same scan also records the whole
    // file's structure (see Sections/KeyLines).
    void Load(const char* data, size_t size, const char* section = "Info", bool listAll = false,
              const LanguageTag* languages = nullptr, size_t languageCount = 0) {
        // Two builds of one scan: the program never lists, and so never
        // carries the listing code.
        if (listAll) LoadListing(data, size, section, languages, languageCount);
        else LoadSection(data, size, section, languages, languageCount);
    }
    void LoadSection(const char* data, size_t size, const char* section, const LanguageTag* languages,
                     size_t languageCount);
    void LoadListing(const char* data, size_t size, const char* section, const LanguageTag* languages,
                     size_t languageCount);

    // The profile text rule: copies the value (or `def` when the key is
    // missing) into `buf`, cut to cap - 1 characters, and returns the count
    // of bytes copied. Key and section names count without their surrounding
    // blanks; one pair of enclosing quotes is dropped from the value, and
    // from the default after its trailing spaces.
    //
    // Characters are counted as the profile functions count them: in a file
    // with the UTF-8 mark (a UTF-16 file arrives as one) as UTF-16 units,
    // cut only between characters (see Utf8PrefixOfUnits), so that `buf`
    // needs DecodedRoom(cap) bytes; in a file without it as bytes of its
    // code page, as the ANSI functions cut them.
    size_t GetString(const char* key, const char* def, char* buf, size_t cap) const;

    // A file without the UTF-8 mark is text in the PC's ANSI code page: with
    // a decoder set, GetString hands its values over converted to UTF-8,
    // after cutting them as the profile functions cut them. `buf` then needs
    // DecodedRoom(cap) bytes. Defaults are the program's own UTF-8, never
    // converted, and cut by characters. A decoder that fails (it returns
    // kDecodeFailed, when memory runs out) leaves the value's bytes as they
    // are: its ASCII, which every code page shares, stays right.
    typedef size_t (*AnsiDecoder)(const char* text, size_t length, char* out, size_t room);
    enum : size_t { kDecodeFailed = static_cast<size_t>(-1) };
    void SetAnsiDecoder(AnsiDecoder decode) { decode_ = decode; }
    static constexpr size_t DecodedRoom(size_t cap) { return cap ? 3 * (cap - 1) + 1 : 0; }
    // Whether GetString hands out UTF-8 cut by characters (rather than bytes).
    bool CountsCharacters() const { return bom_ || decode_; }

    // The profile integer rule: `def` when the key is missing or empty, else
    // ProfileInteger of the value's first 29 characters.
    int32_t GetInt(const char* key, int32_t def) const;

    // For the settings checker: where a key's winning entry stands.
    struct Entry {
        const char* key;   // points into the kept bytes, not terminated; ends at a NUL byte
        size_t keyLength;
        const char* value; // null when the line has no '='
        size_t valueLength;
        int line;          // 1-based line number in the file
        int section;       // 0: the section read; n > 0: the n-th language section (1 once loaded: the chosen one)
    };
    const Entry* Find(const char* key) const;
    size_t EntryCount() const { return entries_.count; }
    const Entry& EntryAt(size_t i) const { return entries_[i]; }
    bool HasBom() const { return bom_; }
    // The tag of the language section whose keys answer first; empty when none does.
    LanguageTag Language() const { return language_; }

    // For the settings checker, recorded only by Load(..., listAll = true):
    // every section header and every key line of the whole file, in file
    // order, including those the look-ups never see. Lines starting with ';'
    // are left out: authors mean them as comments, and no key the program
    // asks for starts with ';' (to the look-ups they are keys all the same).
    struct Section {
        const char* name;  // between '[' and the last ']' without blanks, up to a NUL; not terminated
        size_t nameLength;
        int line;
        bool read;         // the section whose entries the look-ups answer from
    };
    struct KeyLine {
        Entry entry;
        const char* lineStart;  // first byte of the line, for columns
        int section;            // index into the sections, -1 before the first header
        const Entry* kept;      // the same line among EntryAt(), or null outside the read section
    };
    size_t SectionCount() const { return sections_.count; }
    const Section& SectionAt(size_t i) const { return sections_[i]; }
    size_t KeyLineCount() const { return keyLines_.count; }
    const KeyLine& KeyLineAt(size_t i) const { return keyLines_[i]; }

    // For the settings checker: while a log is attached, every GetString and
    // GetInt call is recorded, so the checker learns exactly which keys the
    // settings reader asked for, with which capacity and default.
    struct Lookup {
        char key[48];        // as asked, cut to fit
        bool integer;        // GetInt rather than GetString
        size_t capacity;     // GetString's cap
        char def[128];       // GetString's default, cut to fit
        int32_t intDefault;  // GetInt's default
        const Entry* entry;  // the winning entry, or null when the key is missing
    };
    enum { kMaxLookups = 256 };
    struct LookupLog {
        Lookup items[kMaxLookups];
        size_t count = 0;
        bool overflow = false;
    };
    // Kept in a file of its own (ini_lookup_log.cpp), which only the checker
    // links: the program never logs.
    void SetLookupLog(LookupLog* log);

    // GetString's copy for an entry already found (null: the key is missing),
    // cut by characters or by bytes (see GetString) without decoding.
    static size_t CopyValue(const Entry* e, const char* def, char* buf, size_t cap, bool characters);

private:
    struct ScanState;
    template <bool kList>
    void Scan(const char* data, size_t size, const char* section, const LanguageTag* languages, size_t languageCount);
    void KeepLanguage(const LanguageTag* languages, size_t languageCount);
    template <bool kList>
    void ScanLine(ScanState& state, const char* rawStart, const char* lineEnd);
    void LinkKeptEntries();
    void BuildIndex();
    typedef void (*Recorder)(LookupLog* log, const char* key, bool integer, size_t capacity, const char* def,
                             int32_t intDefault, const Entry* entry);

    HeapText data_;
    HeapArray<Entry> entries_;
    HeapPtr<size_t> index_;  // entries sorted by key, file order among equals
    bool bom_ = false;
    HeapArray<Section> sections_;
    HeapArray<KeyLine> keyLines_;
    // The tags of the language sections met, in file order; a file with more
    // sections than any medium needs loses its last ones.
    enum { kMaxLanguageSections = 64 };
    LanguageTag languageSections_[kMaxLanguageSections];
    size_t languageSectionCount_ = 0;
    LanguageTag language_ = {"", 0};
    LookupLog* log_ = nullptr;
    Recorder record_ = nullptr;
    AnsiDecoder decode_ = nullptr;
};

// True when the first bytes are exactly EF BB BF, the UTF-8 byte-order mark.
bool StartsWithUtf8Bom(const unsigned char* bytes, size_t count);

// The number at the start of `text` as the profile integer rule reads it:
// control characters and blanks skipped, an optional sign, then digits in
// base 10, or in base 16, 8 or 2 after a prefix 0x, 0o or 0b; wraps modulo
// 2^32; 0 without digits. `used`, when given, gets the count of characters
// read (0 without digits); `wrapped` whether the digits' value exceeds
// 2^31 - 1, so that the number read is not the number written.
int32_t ProfileInteger(const char* text, size_t length, size_t* used = nullptr, bool* wrapped = nullptr);
