// Small programs for the icon checks: a PE file whose only section holds a
// resource table with the given icon groups (named ones first, then
// numbered), as a linker lays it out; and a one-image .ico file.
#pragma once
#include <string>
#include <vector>

namespace petest {

inline void Put16(std::string& s, size_t at, unsigned v) {
    s[at] = static_cast<char>(v & 0xFF);
    s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Put32(std::string& s, size_t at, unsigned long v) {
    Put16(s, at, v & 0xFFFF);
    Put16(s, at + 2, (v >> 16) & 0xFFFF);
}

inline std::string Program(unsigned namedGroups, const std::vector<unsigned>& numberedGroups, bool pe64 = false) {
    const size_t peAt = 0x40, optional = peAt + 24, optionalSize = pe64 ? 240 : 224;
    const size_t sectionTable = optional + optionalSize, rsrcAt = 0x200;
    // Resource table: root (icons and icon groups), an empty icon directory, the groups.
    const size_t groupsAt = 16 + 2 * 8 + 16, groupCount = namedGroups + numberedGroups.size();
    const size_t rsrcSize = groupsAt + 16 + 8 * groupCount;
    std::string f(rsrcAt + rsrcSize, '\0');
    f[0] = 'M', f[1] = 'Z';
    Put32(f, 0x3C, peAt);
    f.replace(peAt, 4, std::string("PE\0\0", 4));
    Put16(f, peAt + 4, pe64 ? 0x8664 : 0x14C);
    Put16(f, peAt + 6, 1);
    Put16(f, peAt + 20, optionalSize);
    Put16(f, optional, pe64 ? 0x20B : 0x10B);
    const size_t dirs = optional + (pe64 ? 112 : 96);
    Put32(f, optional + (pe64 ? 108 : 92), 16);
    Put32(f, dirs + 16, 0x1000);
    Put32(f, dirs + 20, rsrcSize);
    f.replace(sectionTable, 5, ".rsrc");
    Put32(f, sectionTable + 8, rsrcSize);
    Put32(f, sectionTable + 12, 0x1000);
    Put32(f, sectionTable + 16, rsrcSize);
    Put32(f, sectionTable + 20, rsrcAt);
    const size_t r = rsrcAt;
    Put16(f, r + 14, 2);
    Put32(f, r + 16, 3);  // RT_ICON
    Put32(f, r + 20, 0x80000000u | 32);
    Put32(f, r + 24, 14);  // RT_GROUP_ICON
    Put32(f, r + 28, 0x80000000u | groupsAt);
    Put16(f, r + groupsAt + 12, namedGroups);
    Put16(f, r + groupsAt + 14, static_cast<unsigned>(numberedGroups.size()));
    size_t e = r + groupsAt + 16;
    for (unsigned i = 0; i < namedGroups; ++i, e += 8) Put32(f, e, 0x80000000u | 0x100);
    for (unsigned id : numberedGroups) Put32(f, e, id), e += 8;
    return f;
}

inline std::string IcoFile() {
    std::string f(6 + 16 + 40, '\0');
    Put16(f, 2, 1);
    Put16(f, 4, 1);
    return f;
}

}  // namespace petest
