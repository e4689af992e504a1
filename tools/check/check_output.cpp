// The three forms of a report: compiler-style lines, the settings table and JSON.
#include <cstdio>
#include <string>

#include "tools/check/check_engine.h"

namespace corvcheck {

namespace {

std::string Plural(int n, const char* word) {
    return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// Bytes as they stand, except that control characters are made visible so a
// report line stays one line.
std::string Visible(const std::string& s) {
    std::string r;
    for (char ch : s) {
        unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            r += hex;
        } else {
            r += ch;
        }
    }
    return r;
}

}  // namespace

std::string FormatText(const Report& report, const std::string& fileName) {
    std::string out;
    for (const Finding& f : report.findings) {
        out += fileName;
        if (f.line > 0) {
            out += ":" + std::to_string(f.line);
            if (f.column > 0) out += ":" + std::to_string(f.column);
        }
        out += ": ";
        out += SeverityName(f.severity);
        out += ": " + Visible(f.message) + " [" + f.code + "]\n";
    }
    out += fileName + ": " + Plural(report.errors, "error") + ", " + Plural(report.warnings, "warning") + ", " +
           Plural(report.notes, "note") + "\n";
    return out;
}

std::string FormatExplain(const Report& report, const std::string& fileName) {
    std::string out = "Settings the program reads from " + fileName +
                      (report.utf8 ? " (UTF-8 with byte-order mark):\n" : " (ANSI code page):\n");
    size_t width = 0;
    for (const SettingRow& r : report.settings)
        if (r.key.size() > width) width = r.key.size();
    for (const SettingRow& r : report.settings) {
        std::string line = "  " + r.key + std::string(width - r.key.size() + 2, ' ') + "= " +
                           (r.integer ? r.value : "\"" + Visible(r.value) + "\"");
        if (!r.effective.empty()) line += " -> " + Visible(r.effective);
        if (line.size() < 64) line += std::string(64 - line.size(), ' ');
        line += r.isDefault ? "  (default)" : "  (line " + std::to_string(r.line) + ")";
        out += line + "\n";
    }
    return out;
}

std::string JsonString(const std::string& bytes) {
    std::string out = "\"";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        unsigned char c = *p;
        char hex[8];
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++p;
        } else if (c < 0x20 || c == 0x7F) {
            std::snprintf(hex, sizeof hex, "\\u%04X", c);
            out += hex;
            ++p;
        } else if (c < 0x80) {
            out += static_cast<char>(c);
            ++p;
        } else {
            // Valid UTF-8 passes; any other byte is taken as Latin-1, so the
            // JSON stays valid whatever the settings file's code page.
            size_t n = 0;
            unsigned cp = 0, lowest = 0;
            if (c >= 0xC2 && c <= 0xDF) n = 2, lowest = 0x80;
            else if (c >= 0xE0 && c <= 0xEF) n = 3, lowest = 0x800;
            else if (c >= 0xF0 && c <= 0xF4) n = 4, lowest = 0x10000;
            bool ok = n && static_cast<size_t>(end - p) >= n;
            if (ok) {
                cp = c & (0x7F >> n);
                for (size_t i = 1; i < n && ok; ++i) {
                    ok = (p[i] & 0xC0) == 0x80;
                    cp = (cp << 6) | (p[i] & 0x3Fu);
                }
                ok = ok && cp >= lowest && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
            }
            if (ok) {
                out.append(reinterpret_cast<const char*>(p), n);
                p += n;
            } else {
                std::snprintf(hex, sizeof hex, "\\u%04X", c);
                out += hex;
                ++p;
            }
        }
    }
    return out + "\"";
}

namespace {

// The members that a settings report and an autorun.inf report share.
std::string JsonCounts(const Report& report, const std::string& fileName, int exitStatus, const char* indent) {
    const std::string in = indent;
    std::string out = in + "\"file\": " + JsonString(fileName) + ",\n";
    out += in + "\"utf8\": " + (report.utf8 ? "true" : "false") + ",\n";
    out += in + "\"exitStatus\": " + std::to_string(exitStatus) + ",\n";
    out += in + "\"errors\": " + std::to_string(report.errors) + ",\n";
    out += in + "\"warnings\": " + std::to_string(report.warnings) + ",\n";
    out += in + "\"notes\": " + std::to_string(report.notes) + ",\n";
    out += in + "\"findings\": [";
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        out += (i ? ",\n  " : "\n  ") + in;
        out += "{\"severity\": " + JsonString(SeverityName(f.severity)) + ", \"line\": " + std::to_string(f.line) +
               ", \"column\": " + std::to_string(f.column) + ", \"code\": " + JsonString(f.code) +
               ", \"key\": " + JsonString(f.key) + ", \"message\": " + JsonString(f.message) + "}";
    }
    out += report.findings.empty() ? "]" : "\n" + in + "]";
    return out;
}

}  // namespace

std::string FormatJson(const Report& report, const std::string& fileName, bool withSettings, const Report* autorun,
                       const std::string& autorunFile) {
    int status = report.ExitStatus();
    if (autorun && autorun->ExitStatus() > status) status = autorun->ExitStatus();
    std::string out = "{\n" + JsonCounts(report, fileName, status, "  ");
    if (withSettings) {
        out += ",\n  \"settings\": [";
        for (size_t i = 0; i < report.settings.size(); ++i) {
            const SettingRow& r = report.settings[i];
            out += i ? ",\n    " : "\n    ";
            out += "{\"key\": " + JsonString(r.key) + ", \"value\": " + JsonString(r.value) +
                   ", \"effective\": " + JsonString(r.effective) +
                   ", \"default\": " + (r.isDefault ? "true" : "false") + ", \"line\": " + std::to_string(r.line) + "}";
        }
        out += report.settings.empty() ? "]" : "\n  ]";
    }
    if (autorun)
        out += ",\n  \"autorun\": {\n" + JsonCounts(*autorun, autorunFile, autorun->ExitStatus(), "    ") + "\n  }";
    return out + "\n}\n";
}

}  // namespace corvcheck
