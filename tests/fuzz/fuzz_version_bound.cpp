// Feeds arbitrary version bound texts to the parser and compares the result.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "conditions/version_bound.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The settings reader hands over at most 1023 characters and a terminator.
    char text[1024];
    size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    memcpy(text, data, n);
    text[n] = '\0';

    VersionBound bound;
    bool ok = ParseVersionBound(bound, text);
    if (ok != bound.set) __builtin_trap();
    if (bound.negated && !bound.set) __builtin_trap();
    if (bound.programName && strlen(bound.programName) >= sizeof text) __builtin_trap();

    FileVersion same = {bound.major, bound.minor, bound.build, bound.revision};
    if (VersionIsBelow(same, bound)) __builtin_trap();  // equal is never below
    FileVersion zero = {0, 0, 0, 0};
    VersionIsBelow(zero, bound);
    if (bound.programName) EqualNoCase(bound.programName, FileNamePart(bound.programName));
    return 0;
}
