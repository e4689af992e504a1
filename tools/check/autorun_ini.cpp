#include "tools/check/autorun_ini.h"

#include "tools/check/text_case.h"

namespace corvcheck {

namespace {

void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// UTF-16LE to UTF-8; a surrogate without its partner becomes U+FFFD, an odd
// last byte is dropped.
std::string Utf16ToUtf8(const unsigned char* p, size_t size) {
    std::string out;
    out.reserve(size);
    for (size_t i = 0; i + 1 < size; i += 2) {
        unsigned u = p[i] | (p[i + 1] << 8);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < size) {
            unsigned low = p[i + 2] | (p[i + 3] << 8);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (low - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? 0xFFFD : u);
    }
    return out;
}

bool IsBlankChar(char c) { return c == ' ' || c == '\t'; }

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

AutorunIni ReadAutorunIni(const char* data, size_t size) {
    AutorunIni ini;
    const unsigned char* b = reinterpret_cast<const unsigned char*>(data ? data : "");
    if (!data) size = 0;
    std::string text;
    if (size >= 2 && b[0] == 0xFF && b[1] == 0xFE) {
        ini.encoding = AutorunIni::Utf16;
        text = Utf16ToUtf8(b + 2, size - 2);
    } else if (size >= 3 && b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF) {
        ini.encoding = AutorunIni::Utf8Bom;
        text.assign(data + 3, size - 3);
    } else {
        text.assign(data, size);
    }
    const bool utf8 = ini.encoding != AutorunIni::Ansi;
    // Columns count characters: code points in UTF-8, bytes otherwise.
    auto column = [&](size_t lineStart, size_t at) {
        int n = 1;
        for (size_t i = lineStart; i < at; ++i)
            if (!utf8 || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) ++n;
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
        if (vEnd - v >= 2 && text[v] == '"' && text[vEnd - 1] == '"') ++v, --vEnd;
        e.value = text.substr(v, vEnd - v);
        e.line = line;
        e.keyColumn = column(lineStart, first);
        e.valueColumn = column(lineStart, v);
        current->entries.push_back(e);
    }
    return ini;
}

}  // namespace corvcheck
