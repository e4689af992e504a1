// A reader for a medium's autorun.inf as Windows reads it: sections and keys
// without regard to letter case, blanks around keys and values dropped, the
// first of two equal keys wins, ';' starts a comment line. Text saved as
// UTF-16 (little-endian, with its byte-order mark) or as UTF-8 with a
// byte-order mark is turned into UTF-8; any other text is kept byte for byte.
// Platform-free; the caller bounds the input.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

namespace corvcheck {

struct AutorunEntry {
    std::string key;    // as written
    std::string value;  // blanks around it and one pair of enclosing double quotes removed
    int line;           // 1-based
    int keyColumn;      // 1-based, in characters
    int valueColumn;
};

struct AutorunSection {
    std::string name;  // between the brackets, as written
    int line;
    bool closed;       // the header ends with ']'
    std::vector<AutorunEntry> entries;
    std::vector<int> linesWithoutEquals;
};

struct AutorunIni {
    enum Encoding { Ansi, Utf8Bom, Utf16 };
    Encoding encoding = Ansi;
    std::vector<AutorunSection> sections;  // in file order; a repeated header starts another one
    std::vector<int> linesBeforeSections;  // key lines outside any section

    // The first section of that name (ignoring letter case), or null.
    const AutorunSection* Find(const std::string& name) const;
    // The first entry of that key in `s` (ignoring letter case), or null.
    static const AutorunEntry* Find(const AutorunSection& s, const std::string& key);
};

AutorunIni ReadAutorunIni(const char* data, size_t size);

}  // namespace corvcheck
