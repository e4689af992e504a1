// A reader for the [Info] section of Corva.INF that keeps the file's bytes
// as they are (UTF-8 mode depends on them) and answers key look-ups the way
// the Windows profile functions do. The file is read once.
#pragma once
#include <cstddef>
#include <cstdint>

class IniFile {
public:
    IniFile() = default;
    IniFile(const IniFile&) = delete;
    IniFile& operator=(const IniFile&) = delete;
    ~IniFile();

    // Takes the file's contents; keeps only the entries of the first
    // section named `section` (case-insensitive).
    void Load(const char* data, size_t size, const char* section = "Info");

    // The profile text rule: copies the value (or `def` when the key is
    // missing) into `buf`, cut to cap - 1 bytes, and returns the count copied.
    size_t GetString(const char* key, const char* def, char* buf, size_t cap) const;

    // The profile integer rule: `def` when the key is missing or empty, else
    // an optional sign and decimal digits at the value's start (else 0).
    int32_t GetInt(const char* key, int32_t def) const;

    // For the settings checker: where a key's winning entry stands.
    struct Entry {
        const char* key;   // points into the kept bytes, not terminated
        size_t keyLength;
        const char* value; // null when the line has no '='
        size_t valueLength;
        int line;          // 1-based line number in the file
    };
    const Entry* Find(const char* key) const;
    size_t EntryCount() const { return count_; }
    const Entry& EntryAt(size_t i) const { return entries_[i]; }
    bool HasBom() const { return bom_; }

private:
    char* data_ = nullptr;
    Entry* entries_ = nullptr;
    size_t* index_ = nullptr;  // entries sorted by key, file order among equals
    size_t count_ = 0;
    bool bom_ = false;
};
