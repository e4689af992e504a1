// The conversions every name goes through: a malformed UTF-8 sequence gives
// one U+FFFD per maximal subpart, and a cut by characters never splits one.
#include <gtest/gtest.h>

#include <string>

#include "base/utf.h"

namespace {

std::u16string ToUtf16(const std::string& s) {
    char16_t out[64];
    const size_t n = Utf16FromUtf8(s.data(), s.size(), out, 64);
    return std::u16string(out, n);
}

TEST(Utf, EachMaximalSubpartOfAMalformedSequenceIsOneReplacement) {
    const struct { const char* bytes; const char16_t* want; } cases[] = {
        {"\xE2\x82", u"\xFFFD"},                  // a cut three-byte sequence
        {"\xE2\x82" "A", u"\xFFFD" "A"},
        {"\xF0\x9F\x98", u"\xFFFD"},              // a cut four-byte sequence
        {"\xC0\x80", u"\xFFFD\xFFFD"},            // overlong: C0 never starts a sequence
        {"\xED\xA0\x80", u"\xFFFD\xFFFD\xFFFD"},  // a surrogate: ED allows 80..9F only
        {"\xE0\x80\x80", u"\xFFFD\xFFFD\xFFFD"},  // overlong three bytes
        {"\xF4\x90\x80\x80", u"\xFFFD\xFFFD\xFFFD\xFFFD"},  // beyond U+10FFFF
        {"\xF0\x9F\x98\x80", u"\xD83D\xDE00"},    // well-formed, a pair
        {"\x80\xBF", u"\xFFFD\xFFFD"},
        {"\xE2\x82\xAC\xE2", u"\x20AC\xFFFD"},
    };
    for (const auto& c : cases) EXPECT_EQ(ToUtf16(c.bytes), std::u16string(c.want)) << c.bytes;
}

TEST(Utf, PrefixOfUnitsCountsAsTheWideFunctionsAndNeverSplitsACharacter) {
    const std::string text = "a\xD0\xB4\xF0\x9F\x98\x80" "b";  // a, д, U+1F600, b: 5 units in 8 bytes
    size_t counted = 0;
    EXPECT_EQ(Utf8PrefixOfUnits(text.data(), text.size(), static_cast<size_t>(-1), &counted), 8u);
    EXPECT_EQ(counted, 5u);
    EXPECT_EQ(Utf8PrefixOfUnits(text.data(), text.size(), 2), 3u);   // a, д
    EXPECT_EQ(Utf8PrefixOfUnits(text.data(), text.size(), 3), 3u);   // the pair does not fit in one unit
    EXPECT_EQ(Utf8PrefixOfUnits(text.data(), text.size(), 4, &counted), 7u);
    EXPECT_EQ(counted, 4u);
    // A malformed subpart counts one, as the one U+FFFD it becomes, and is
    // kept whole: the start converts to the start of the whole's conversion.
    const std::string bad = "\xE2\x82x\xFF\xF0\x9F\x98";
    EXPECT_EQ(Utf8PrefixOfUnits(bad.data(), bad.size(), 1), 2u);
    EXPECT_EQ(Utf8PrefixOfUnits(bad.data(), bad.size(), 3, &counted), 4u);
    EXPECT_EQ(counted, 3u);
    Utf8PrefixOfUnits(bad.data(), bad.size(), static_cast<size_t>(-1), &counted);
    EXPECT_EQ(counted, ToUtf16(bad).size());
}

}  // namespace
