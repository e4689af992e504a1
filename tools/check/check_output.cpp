// The three forms of a report: compiler-style lines, the settings table and JSON.
#include <cstdio>
#include <string>

#include "tools/check/check_engine.h"
#include "tools/check/text_encoding.h"

namespace corvcheck {

namespace {

// UTF-8 as it stands, except that control characters and bytes that are not
// UTF-8 are made visible, so a report line stays one line of UTF-8. Appends to
// `out`: the reports are built by appending, without temporary strings (the
// fuzzer runs this for every input).
void AppendVisible(std::string& out, const std::string& s) {
    static const char kHex[] = "0123456789ABCDEF";
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* end = p + s.size();
    while (p < end) {
        const unsigned char c = *p;
        const size_t n = c < 0x20 || c == 0x7F ? 0 : Utf8SequenceLength(p, end);
        if (n == 0) {
            const char escaped[4] = {'\\', 'x', kHex[c >> 4], kHex[c & 15]};
            out.append(escaped, 4);
            ++p;
        } else {
            out.append(reinterpret_cast<const char*>(p), n);
            p += n;
        }
    }
}

void AppendNumber(std::string& out, long long n) {
    char digits[24];
    int length = std::snprintf(digits, sizeof digits, "%lld", n);
    out.append(digits, static_cast<size_t>(length));
}

void AppendPlural(std::string& out, int n, const char* word) {
    AppendNumber(out, n);
    out += ' ';
    out += word;
    if (n != 1) out += 's';
}

void AppendJsonString(std::string& out, const std::string& bytes);

// A section's name, or null for none.
void AppendJsonSection(std::string& out, const std::string& section) {
    if (section.empty()) out += "null";
    else AppendJsonString(out, section);
}

}  // namespace

std::string FormatText(const Report& report, const std::string& fileName) {
    std::string out;
    for (const Finding& f : report.findings) {
        out += fileName;
        if (f.line > 0) {
            out += ':';
            AppendNumber(out, f.line);
            if (f.column > 0) {
                out += ':';
                AppendNumber(out, f.column);
            }
        }
        out += ": ";
        out += SeverityName(f.severity);
        out += ": ";
        AppendVisible(out, f.message);
        out += " [";
        out += f.code;
        out += "]\n";
    }
    out += fileName;
    out += ": ";
    AppendPlural(out, report.errors, "error");
    out += ", ";
    AppendPlural(out, report.warnings, "warning");
    out += ", ";
    AppendPlural(out, report.notes, "note");
    out += '\n';
    return out;
}

std::string FormatExplain(const Report& report, const std::string& fileName) {
    const char* how = report.utf8 ? " (UTF-8 with byte-order mark):\n"
                      : report.encoding == Encoding::Ansi ? " (ANSI code page):\n"
                                                          : " (UTF-16, every character read):\n";
    std::string out = "Settings the program reads from " + fileName;
    if (!report.languages.empty()) {
        out += " for a user of ";
        for (size_t i = 0; i < report.languages.size(); ++i) out += (i ? ", " : "") + report.languages[i];
        out += report.languageSection.empty() ? ", [Info] alone" : ", [" + report.languageSection + "] over [Info]";
    }
    out += how;
    size_t width = 0;
    for (const SettingRow& r : report.settings)
        if (r.key.size() > width) width = r.key.size();
    for (const SettingRow& r : report.settings) {
        const size_t start = out.size();
        out += "  ";
        out += r.key;
        out.append(width - r.key.size() + 2, ' ');
        out += "= ";
        if (r.integer) {
            out += r.value;
        } else {
            out += '"';
            AppendVisible(out, r.value);
            out += '"';
        }
        if (!r.effective.empty()) {
            out += " -> ";
            AppendVisible(out, r.effective);
        }
        if (out.size() - start < 64) out.append(64 - (out.size() - start), ' ');
        if (r.isDefault) {
            out += "  (default)";
        } else {
            out += "  (line ";
            AppendNumber(out, r.line);
            if (r.section != "Info") out += ", [" + r.section + "]";
            out += ')';
        }
        out += '\n';
    }
    return out;
}

std::string JsonString(const std::string& bytes) {
    std::string out;
    AppendJsonString(out, bytes);
    return out;
}

namespace {

void AppendJsonString(std::string& out, const std::string& bytes) {
    static const char kHex[] = "0123456789ABCDEF";
    out += '"';
    const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        unsigned char c = *p;
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++p;
        } else if (c >= 0x20 && c < 0x7F) {
            // Plain text runs are copied whole.
            const unsigned char* run = p;
            while (p < end && *p >= 0x20 && *p < 0x7F && *p != '"' && *p != '\\') ++p;
            out.append(reinterpret_cast<const char*>(run), static_cast<size_t>(p - run));
        } else if (c < 0x80) {  // control characters and DEL
            const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
            out.append(escaped, 6);
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
                const char escaped[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
                out.append(escaped, 6);
                ++p;
            }
        }
    }
    out += '"';
}

// The members that a settings report and an autorun.inf report share.
std::string JsonCounts(const Report& report, const std::string& fileName, int exitStatus, const char* indent) {
    const std::string in = indent;
    std::string out = in + "\"file\": ";
    AppendJsonString(out, fileName);
    out += ",\n" + in + "\"utf8\": ";
    out += report.utf8 ? "true" : "false";
    out += ",\n" + in + "\"encoding\": ";
    AppendJsonString(out, EncodingName(report.encoding));
    out += ",\n" + in + "\"exitStatus\": ";
    AppendNumber(out, exitStatus);
    out += ",\n" + in + "\"errors\": ";
    AppendNumber(out, report.errors);
    out += ",\n" + in + "\"warnings\": ";
    AppendNumber(out, report.warnings);
    out += ",\n" + in + "\"notes\": ";
    AppendNumber(out, report.notes);
    out += ",\n" + in + "\"findings\": [";
    for (size_t i = 0; i < report.findings.size(); ++i) {
        const Finding& f = report.findings[i];
        out += i ? ",\n  " : "\n  ";
        out += in;
        out += "{\"severity\": ";
        AppendJsonString(out, SeverityName(f.severity));
        out += ", \"line\": ";
        AppendNumber(out, f.line);
        out += ", \"column\": ";
        AppendNumber(out, f.column);
        out += ", \"code\": ";
        AppendJsonString(out, f.code);
        out += ", \"key\": ";
        AppendJsonString(out, f.key);
        out += ", \"message\": ";
        AppendJsonString(out, f.message);
        out += ", \"section\": ";
        AppendJsonSection(out, f.section);
        out += '}';
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
    out += ",\n  \"languages\": [";
    for (size_t i = 0; i < report.languages.size(); ++i) {
        if (i) out += ", ";
        AppendJsonString(out, report.languages[i]);
    }
    out += "],\n  \"languageSection\": ";
    AppendJsonSection(out, report.languageSection);
    if (withSettings) {
        out += ",\n  \"settings\": [";
        for (size_t i = 0; i < report.settings.size(); ++i) {
            const SettingRow& r = report.settings[i];
            out += i ? ",\n    " : "\n    ";
            out += "{\"key\": ";
            AppendJsonString(out, r.key);
            out += ", \"value\": ";
            AppendJsonString(out, r.value);
            out += ", \"effective\": ";
            AppendJsonString(out, r.effective);
            out += ", \"default\": ";
            out += r.isDefault ? "true" : "false";
            out += ", \"line\": ";
            AppendNumber(out, r.line);
            out += ", \"section\": ";
            AppendJsonSection(out, r.section);
            out += '}';
        }
        out += report.settings.empty() ? "]" : "\n  ]";
    }
    if (autorun) {
        out += ",\n  \"autorun\": {\n" + JsonCounts(*autorun, autorunFile, autorun->ExitStatus(), "    ");
        out += "\n  }";
    }
    out += "\n}\n";
    return out;
}

}  // namespace corvcheck
