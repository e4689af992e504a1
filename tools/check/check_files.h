// The medium as a folder on disk. Settings paths are Windows paths relative
// to the program folder; media are case-insensitive, so every name is matched
// ignoring ASCII letter case, also where the host file system is not. Every
// path here is UTF-8, on Windows too (where the wide file functions get it).
#pragma once
#include <string>
#include <vector>

#include "tools/check/check_engine.h"

namespace corvcheck {

class FolderMedium : public Medium {
public:
    explicit FolderMedium(const std::string& programFolder) : folder_(programFolder) {}
    Kind Look(const std::string& path, std::string* found) const override;
    bool Read(const std::string& found, std::vector<unsigned char>& bytes, size_t limit) const override;

    // True for texts that name nothing on the medium: web addresses and other
    // "scheme:" texts, drive-letter and UNC paths, paths from the root of the
    // drive, and texts with environment variables.
    static bool NamesNothingOnMedium(const std::string& path);

private:
    std::string folder_;
};

// Finds `name` in `folder` ignoring ASCII case; the name as stored, or empty.
std::string FindNoCase(const std::string& folder, const std::string& name);

// Reads at most `limit` bytes of the file at `path`; false when it cannot be read.
bool ReadFileBytes(const std::string& path, std::vector<unsigned char>& bytes, size_t limit);

}  // namespace corvcheck
