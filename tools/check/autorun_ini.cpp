#include "tools/check/autorun_ini.h"

#include "tools/check/text_case.h"

namespace corvcheck {

namespace {

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

// The file's text as UTF-8, and how it was stored.
std::string DecodeText(const char* data, size_t size, int codePage, AutorunIni& ini) {
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data);
    if (size >= 2 && ((b[0] == 0xFF && b[1] == 0xFE) || (b[0] == 0xFE && b[1] == 0xFF))) {
        ini.encoding = b[0] == 0xFE ? Encoding::Utf16Be : Encoding::Utf16Le;
        return Utf16ToUtf8(b + 2, size - 2, b[0] == 0xFE);
    }
    if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        ini.encoding = Encoding::Utf8;
        return std::string(data + 3, size - 3);
    }
    if (IsMultiByteUtf8(data, size)) {
        int line = 1;
        for (size_t i = 0; i < size; ++i) {
            if (b[i] == '\n') ++line;
            else if (b[i] >= 0x80 && (ini.utf8Lines.empty() || ini.utf8Lines.back() != line)) ini.utf8Lines.push_back(line);
        }
        return std::string(data, size);
    }
    return AnsiToUtf8(std::string(data, size), codePage);
}

}  // namespace

const AutorunSection* AutorunIni::Find(const std::string& name) const {
    for (const AutorunSection& s : sections)
        if (SameNoCase(s.name, name)) return &s;
    return nullptr;
}

const AutorunEntry* AutorunIni::Find(const AutorunSection& s, const std::string& key) {
    for (const AutorunEntry& e : s.entries)
        if (SameNoCase(e.key, key)) return &e;
    return nullptr;
}

AutorunIni ReadAutorunIni(const char* data, size_t size, int codePage) {
    AutorunIni ini;
    if (!data) size = 0;
    std::string text = DecodeText(data ? data : "", size, codePage, ini);
    // Editors of old wrote Ctrl-Z after the last line; it is no line of its own.
    size_t tail = text.size();
    while (tail > 0 && (text[tail - 1] == '\x1A' || text[tail - 1] == '\r' || text[tail - 1] == '\n' ||
                        IsBlankChar(text[tail - 1])))
        --tail;
    size_t mark = text.find('\x1A', tail);
    if (mark != std::string::npos) text.resize(mark);
    // Columns count characters.
    auto column = [&](size_t lineStart, size_t at) {
        int n = 1;
        for (size_t i = lineStart; i < at; ++i)
            if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++n;
        return n;
    };

    AutorunSection* current = nullptr;
    size_t start = 0;
    for (int line = 1; start < text.size(); ++line) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        size_t first = start, last = end;
        while (first < last && (IsBlankChar(text[first]) || text[first] == '\r')) ++first;
        while (last > first && (IsBlankChar(text[last - 1]) || text[last - 1] == '\r')) --last;
        const size_t lineStart = start;
        start = end + 1;
        if (first == last || text[first] == ';') continue;
        if (text[first] == '[') {
            size_t close = text.find(']', first);
            AutorunSection s;
            s.closed = close != std::string::npos && close < last;
            size_t nameEnd = s.closed ? close : last;
            s.name = text.substr(first + 1, nameEnd - first - 1);
            while (!s.name.empty() && IsBlankChar(s.name.back())) s.name.pop_back();
            while (!s.name.empty() && IsBlankChar(s.name[0])) s.name.erase(0, 1);
            s.line = line;
            ini.sections.push_back(s);
            current = &ini.sections.back();
            continue;
        }
        size_t eq = text.find('=', first);
        if (eq == std::string::npos || eq >= last) {
            if (current) current->linesWithoutEquals.push_back(line);
            else ini.linesBeforeSections.push_back(line);
            continue;
        }
        if (!current) {
            ini.linesBeforeSections.push_back(line);
            continue;
        }
        AutorunEntry e;
        size_t keyEnd = eq;
        while (keyEnd > first && IsBlankChar(text[keyEnd - 1])) --keyEnd;
        e.key = text.substr(first, keyEnd - first);
        size_t v = eq + 1;
        while (v < last && IsBlankChar(text[v])) ++v;
        size_t vEnd = last;
        e.quoted = vEnd - v >= 2 && text[v] == '"' && text[vEnd - 1] == '"';
        if (e.quoted) ++v, --vEnd;
        e.value = text.substr(v, vEnd - v);
        e.line = line;
        e.keyColumn = column(lineStart, first);
        e.valueColumn = column(lineStart, v);
        current->entries.push_back(e);
    }
    return ini;
}

}  // namespace corvcheck
