// Findings about the files that settings name: present on the medium, and
// for a bitmap, one the program loads.
#include <cstring>
#include <vector>

#include "graphics/bmp_check.h"
#include "tools/check/check_internal.h"
#include "tools/check/text_case.h"

namespace corvcheck {
namespace engine {

namespace {

const size_t kMaxBitmapBytes = 64u * 1024 * 1024;

}  // namespace

void Checker::CheckFile(const std::string& path, const IniFile::Entry* entry, const std::string& key, SettingFile kind,
                        bool inCondition) {
    if (path.empty()) return;
    const int line = entry ? entry->line : 0;
    if (kind == FileTarget && path[0] == '~') return;  // a verb target names a file class
    if (kind == FileProgram && path.find_first_of("\\/") == std::string::npos) return;  // found on the PATH
    std::string found;
    Medium::Kind k = medium_->Look(FileText(path), &found);
    if (k == Medium::NotChecked) return;
    if (k == Medium::Missing) {
        std::string text = "'" + key + "' names " + Quote(path) + ", which is not on the medium";
        Severity sev = Severity::Error;
        if (inCondition) text += ": the file test is false here", sev = Severity::Warning;
        else if (kind == FileBitmap) text += IsLogo(key) ? ": the built-in logo is shown instead"
                                                         : ": no splash window is shown";
        else if (kind == FileSample) text += ": the popup shows \"" + key + " (" + path + ") file not found.\"";
        else if (kind == FileProgram) sev = Severity::Warning;
        Add(sev, line, 0, "missing-file", key, text);
        return;
    }
    if (kind != FileBitmap) return;
    const char* instead = IsLogo(key) ? "the built-in logo is shown instead" : "no splash window is shown";
    std::vector<unsigned char> bytes;
    if (k == Medium::Folder || !medium_->Read(found, bytes, kMaxBitmapBytes)) {
        Add(Severity::Error, line, 0, "bad-bitmap", key,
            "'" + key + "' " + Quote(path) + " cannot be read as a file: " + instead);
        return;
    }
    BmpVerdict verdict = CheckBmp(bytes.data(), bytes.size());
    if (verdict != BmpOk)
        Add(Severity::Error, line, 0, "bad-bitmap", key,
            "'" + key + "' " + Quote(path) + " is not a bitmap the program loads (" + BmpVerdictName(verdict) + "): " +
                instead);
}

void Checker::CheckFiles() {
    if (!medium_) return;
    for (const Read& r : reads_) {
        if (!r.row || r.row->file == FileNothing || !r.lookup->entry) continue;
        if (r.row->kind != SettingText) continue;
        if (r.row->file == FileBitmap && SameNoCase(r.value, "none") && IsLogo(r.lookup->key)) continue;
        // Only what the program keeps: menu entries and viewer rules it took.
        if (r.row->place == PlaceMenu && !s_->menu[r.number].present) continue;
        if (r.row->place == PlaceViewer && !s_->viewer[r.number].present) continue;
        CheckFile(r.value, r.lookup->entry, r.lookup->key, r.row->file, false);
    }
    for (const auto& f : filePaths_) CheckFile(f.first, f.second, KeyOf(*f.second), FileTarget, true);
}

}  // namespace engine
}  // namespace corvcheck
