// Letter case for the checker's std::string texts, folded as base/text.h
// folds it (ASCII letters only), so that the checker compares names exactly
// as the program does. Counted: a NUL byte inside a text compares as any
// other byte.
#pragma once
#include <cstring>
#include <string>

#include "base/text.h"

namespace corvcheck {

inline std::string LowerText(std::string s) {
    for (char& c : s) c = LowerAscii(c);
    return s;
}

inline bool SameNoCase(const std::string& a, const std::string& b) {
    return CompareNoCase(a.data(), a.size(), b.data(), b.size()) == 0;
}

inline bool SameNoCase(const std::string& a, const char* b) {
    return CompareNoCase(a.data(), a.size(), b, std::strlen(b)) == 0;
}

}  // namespace corvcheck
