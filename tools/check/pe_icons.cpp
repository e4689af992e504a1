#include "tools/check/pe_icons.h"

#include <cstdint>

namespace corvcheck {

namespace {

// Little-endian fields at `at`, or false when they do not lie inside the data.
struct Bytes {
    const unsigned char* p;
    size_t size;
    bool U16(uint64_t at, unsigned* v) const {
        if (at > size || size - at < 2) return false;
        *v = p[at] | (p[at + 1] << 8);
        return true;
    }
    bool U32(uint64_t at, uint32_t* v) const {
        if (at > size || size - at < 4) return false;
        *v = static_cast<uint32_t>(p[at]) | (static_cast<uint32_t>(p[at + 1]) << 8) |
             (static_cast<uint32_t>(p[at + 2]) << 16) | (static_cast<uint32_t>(p[at + 3]) << 24);
        return true;
    }
};

const unsigned kGroupIconType = 14;  // RT_GROUP_ICON

// File offset of the resource table, or false when the file has none or it cannot be placed.
bool ResourceTable(const Bytes& b, uint64_t* offset, bool* damaged) {
    uint32_t peAt = 0, signature = 0;
    if (!b.U32(0x3C, &peAt) || !b.U32(peAt, &signature) || signature != 0x00004550) return false;
    unsigned sections = 0, optionalSize = 0, magic = 0;
    const uint64_t coff = static_cast<uint64_t>(peAt) + 4, optional = coff + 20;
    if (!b.U16(coff + 2, &sections) || !b.U16(coff + 16, &optionalSize) || !b.U16(optional, &magic)) return false;
    uint64_t countAt, directories;
    if (magic == 0x10B) countAt = optional + 92, directories = optional + 96;
    else if (magic == 0x20B) countAt = optional + 108, directories = optional + 112;
    else return false;
    uint32_t count = 0, rva = 0, length = 0;
    if (!b.U32(countAt, &count) || count < 3 || directories + 24 > optional + optionalSize) return false;
    if (!b.U32(directories + 16, &rva) || !b.U32(directories + 20, &length) || rva == 0 || length == 0) return false;
    const uint64_t table = optional + optionalSize;
    for (unsigned i = 0; i < sections; ++i) {
        uint32_t virtualSize = 0, virtualAddress = 0, rawSize = 0, rawAt = 0;
        const uint64_t s = table + 40ull * i;
        if (!b.U32(s + 8, &virtualSize) || !b.U32(s + 12, &virtualAddress) || !b.U32(s + 16, &rawSize) ||
            !b.U32(s + 20, &rawAt)) {
            *damaged = true;
            return false;
        }
        const uint64_t span = virtualSize > rawSize ? virtualSize : rawSize;
        if (rva >= virtualAddress && rva < virtualAddress + span) {
            *offset = static_cast<uint64_t>(rawAt) + (rva - virtualAddress);
            return true;
        }
    }
    *damaged = true;
    return false;
}

}  // namespace

IconSource ReadIconSource(const unsigned char* data, size_t size) {
    IconSource out;
    const Bytes b{data, data ? size : 0};
    unsigned reserved = 1, type = 0, images = 0;
    if (b.U16(0, &reserved) && reserved == 0 && b.U16(2, &type) && type == 1 && b.U16(4, &images) && images > 0 &&
        6 + 16ull * images <= b.size) {
        out.kind = IconSource::IcoFile;
        out.groupIds.push_back(0);
        return out;
    }
    if (b.size < 2 || b.p[0] != 'M' || b.p[1] != 'Z') return out;
    uint64_t root = 0;
    bool damaged = false;
    if (!ResourceTable(b, &root, &damaged)) {
        // A program without resources has no icon; one whose headers do not
        // hold together is not taken for a program at all.
        uint32_t peAt = 0, signature = 0;
        if (b.U32(0x3C, &peAt) && b.U32(peAt, &signature) && signature == 0x00004550) out.kind = IconSource::Program;
        out.damaged = damaged;
        return out;
    }
    out.kind = IconSource::Program;
    // Root directory: one entry per resource type; find the icon groups' subdirectory.
    unsigned named = 0, numbered = 0;
    if (!b.U16(root + 12, &named) || !b.U16(root + 14, &numbered)) {
        out.damaged = true;
        return out;
    }
    uint64_t groups = 0;
    bool found = false;
    for (unsigned i = 0; i < named + numbered && !found; ++i) {
        uint32_t name = 0, target = 0;
        if (!b.U32(root + 16 + 8ull * i, &name) || !b.U32(root + 20 + 8ull * i, &target)) {
            out.damaged = true;
            return out;
        }
        if (!(name & 0x80000000u) && name == kGroupIconType && (target & 0x80000000u)) {
            groups = root + (target & 0x7FFFFFFFu);
            found = true;
        }
    }
    if (!found) return out;
    if (!b.U16(groups + 12, &named) || !b.U16(groups + 14, &numbered)) {
        out.damaged = true;
        return out;
    }
    for (unsigned i = 0; i < named + numbered; ++i) {
        uint32_t name = 0;
        if (!b.U32(groups + 16 + 8ull * i, &name)) {
            out.damaged = true;
            break;
        }
        out.groupIds.push_back((name & 0x80000000u) ? 0 : name);
    }
    return out;
}

bool HasIconAt(const IconSource& source, long index) {
    if (index >= 0) return static_cast<unsigned long>(index) < source.groupIds.size();
    if (source.kind != IconSource::Program || index < -65535) return false;
    for (unsigned id : source.groupIds)
        if (id != 0 && id == static_cast<unsigned>(-index)) return true;
    return false;
}

}  // namespace corvcheck
