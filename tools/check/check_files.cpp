#include "tools/check/check_files.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "tools/check/text_case.h"

namespace fs = std::filesystem;

namespace corvcheck {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

}  // namespace

std::string FindNoCase(const std::string& folder, const std::string& name) {
    std::error_code ec;
    std::string match;
    for (fs::directory_iterator it(fs::u8path(folder), ec), end; !ec && it != end; it.increment(ec)) {
        std::string stored = it->path().filename().u8string();
        if (stored == name) return stored;
        if (match.empty() && SameNoCase(stored, name)) match = stored;
    }
    return match;
}

bool FolderMedium::NamesNothingOnMedium(const std::string& path) {
    if (path.find('%') != std::string::npos) return true;
    if (path[0] == '\\' || path[0] == '/') return true;
    size_t colon = path.find(':');
    if (colon != std::string::npos) {
        // "C:..." is a drive; "http:", "mailto:" and the like are schemes.
        bool scheme = colon >= 1 && IsLetter(path[0]);
        for (size_t i = 1; i < colon && scheme; ++i) {
            char c = path[i];
            scheme = IsLetter(c) || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
        }
        if (scheme) return true;
    }
    return false;
}

Medium::Kind FolderMedium::Look(const std::string& path, std::string* found) const {
    if (path.empty() || NamesNothingOnMedium(path)) return NotChecked;
    std::string current = folder_;
    size_t start = 0;
    while (start <= path.size()) {
        size_t end = path.find_first_of("\\/", start);
        if (end == std::string::npos) end = path.size();
        std::string part = path.substr(start, end - start);
        start = end + 1;
        if (part.empty() || part == ".") continue;
        if (part == "..") {
            current = (fs::u8path(current) / "..").u8string();
            continue;
        }
        std::string stored = FindNoCase(current, part);
        if (stored.empty()) return Missing;
        current = (fs::u8path(current) / fs::u8path(stored)).u8string();
    }
    std::error_code ec;
    fs::file_status status = fs::status(fs::u8path(current), ec);
    if (ec || !fs::exists(status)) return Missing;
    if (found) *found = current;
    return fs::is_directory(status) ? Folder : File;
}

bool FolderMedium::Read(const std::string& found, std::vector<unsigned char>& bytes, size_t limit) const {
    return ReadFileBytes(found, bytes, limit);
}

bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& bytes, size_t limit) {
    bytes.clear();
    std::error_code ec;
    if (fs::is_directory(fs::u8path(path), ec)) return false;
    std::ifstream in(fs::u8path(path), std::ios::binary);
    if (!in) return false;
    char chunk[65536];
    while (bytes.size() < limit && in) {
        in.read(chunk, static_cast<std::streamsize>(std::min(sizeof chunk, limit - bytes.size())));
        bytes.insert(bytes.end(), chunk, chunk + in.gcount());
    }
    return !in.bad();
}

}  // namespace corvcheck
