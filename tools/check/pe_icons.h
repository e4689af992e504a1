// The icons that a file named by autorun.inf's icon= entry can give: an .ico
// file holds one, a program or DLL one per icon group resource. Reads only
// the bytes given, every offset checked against them. Platform-free.
#pragma once
#include <cstddef>
#include <vector>

namespace corvcheck {

struct IconSource {
    enum Kind { NotIcons, IcoFile, Program };
    Kind kind = NotIcons;
    // Icon groups in the order an index counts them (the resource
    // directory's order: named groups first, then by number); 0 stands for a
    // named group. An .ico file has the one entry 0.
    std::vector<unsigned> groupIds;
    // A program whose resource table could not be read whole: it lies beyond
    // the bytes given or is malformed. groupIds holds what was found.
    bool damaged = false;
};

IconSource ReadIconSource(const unsigned char* data, size_t size);

// Whether icon=file,index shows an icon of `source`: an index of 0 or more
// counts groups, a negative one names the group with that number.
bool HasIconAt(const IconSource& source, long index);

}  // namespace corvcheck
