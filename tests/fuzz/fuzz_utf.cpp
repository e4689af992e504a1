// Feeds arbitrary bytes to the UTF-8 and UTF-16 conversions every name goes
// through: as UTF-8 text and as UTF-16 units, converted both ways into rooms
// of exactly the size asked for (so that a byte past them is caught) and into
// a room chosen by the first byte, which must cut between characters, and
// cut by characters as the settings reader cuts.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/utf.h"

namespace {

bool WellFormed(const std::string& s) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char* end = p + s.size();
    while (p < end) {
        const size_t n = Utf8SequenceLength(p, end);
        if (n == 0) return false;
        p += n;
    }
    return true;
}

std::u16string ToUtf16(const std::string& s) {
    std::vector<char16_t> out(Utf16FromUtf8(s.data(), s.size(), nullptr, 0) + 1);
    const size_t n = Utf16FromUtf8(s.data(), s.size(), out.data(), out.size());
    if (n + 1 != out.size() || out[n] != 0) __builtin_trap();
    return std::u16string(out.data(), n);
}

std::string ToUtf8(const std::u16string& s) {
    std::vector<char> out(Utf8FromUtf16(s.data(), s.size(), nullptr, 0) + 1);
    const size_t n = Utf8FromUtf16(s.data(), s.size(), out.data(), out.size());
    if (n + 1 != out.size() || out[n] != 0) __builtin_trap();
    return std::string(out.data(), n);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t room = data[0] % 16;
    const std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    // Any bytes come out as well-formed UTF-8; well-formed ones unchanged.
    const std::string again = ToUtf8(ToUtf16(bytes));
    if (!WellFormed(again)) __builtin_trap();
    if (WellFormed(bytes) && again != bytes) __builtin_trap();

    // Any units come out as UTF-8 that goes back to the same units when
    // they held no unpaired surrogate.
    std::u16string units(bytes.size() / 2, u'\0');
    std::memcpy(&units[0], bytes.data(), units.size() * 2);
    const std::string utf8 = ToUtf8(units);
    if (!WellFormed(utf8)) __builtin_trap();
    const std::u16string back = ToUtf16(utf8);
    if (ToUtf8(back) != utf8) __builtin_trap();

    // A small room keeps its terminator and a whole-character prefix.
    std::vector<char> cut(room ? room : 1, '#');
    const size_t n = Utf8FromUtf16(units.data(), units.size(), room ? cut.data() : nullptr, room);
    if (room) {
        if (n >= room || cut[n] != 0) __builtin_trap();
        if (utf8.compare(0, n, cut.data(), n) != 0) __builtin_trap();
    }
    // A cut by characters keeps whole characters and whole malformed
    // subparts: its conversion starts the whole text's conversion.
    size_t counted = 0;
    const size_t bytesKept = Utf8PrefixOfUnits(bytes.data(), bytes.size(), room, &counted);
    const std::u16string part = ToUtf16(bytes.substr(0, bytesKept));
    if (counted > room || part.size() != counted || ToUtf16(bytes).compare(0, counted, part) != 0) __builtin_trap();
    std::vector<char16_t> cut16(room ? room : 1, u'#');
    const size_t m = Utf16FromUtf8(bytes.data(), bytes.size(), room ? cut16.data() : nullptr, room);
    if (room && (m >= room || cut16[m] != 0)) __builtin_trap();
    return 0;
}
