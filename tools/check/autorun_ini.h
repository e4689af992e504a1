// A reader for a medium's autorun.inf as Windows reads it: sections and keys
// without regard to letter case, blanks around keys and values dropped, the
// first of two equal keys wins, ';' starts a comment line, a Ctrl-Z at the end
// is the old end-of-file mark. Text saved as UTF-16 (either byte order, with
// its byte-order mark), as UTF-8 with a byte-order mark, or as ANSI text in a
// code page is turned into UTF-8. Platform-free; the caller bounds the input.
#pragma once
#include <cstddef>
#include <string>
#include <vector>

#include "tools/check/check_engine.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

struct AutorunEntry {
    std::string key;    // as written
    std::string value;  // blanks around it and one pair of enclosing double quotes removed
    int line;           // 1-based
    int keyColumn;      // 1-based, in characters
    int valueColumn;
    bool quoted;        // the value was enclosed in double quotes, which Windows drops
};

struct AutorunSection {
    std::string name;  // between the brackets, as written
    int line;
    bool closed;       // the header ends with ']'
    std::vector<AutorunEntry> entries;
    std::vector<int> linesWithoutEquals;
};

struct AutorunIni {
    Encoding encoding = Encoding::Ansi;
    // An ANSI file whose bytes are UTF-8 with text beyond ASCII: an editor
    // saved it as UTF-8 without the mark. It is read as UTF-8 (what its author
    // meant); Windows reads it in the ANSI code page. Its lines with such text:
    std::vector<int> utf8Lines;
    std::vector<AutorunSection> sections;  // in file order; a repeated header starts another one
    std::vector<int> linesBeforeSections;  // key lines outside any section

    // The first section of that name (ignoring letter case), or null.
    const AutorunSection* Find(const std::string& name) const;
    // The first entry of that key in `s` (ignoring letter case), or null.
    static const AutorunEntry* Find(const AutorunSection& s, const std::string& key);
};

AutorunIni ReadAutorunIni(const char* data, size_t size, int codePage = kDefaultCodePage);

}  // namespace corvcheck
