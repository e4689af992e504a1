#include "settings/value_parsers.h"

#include <cstring>

#include "base/text.h"

const char* const kPositionKeywords[kPositionKeywordCount] = {
    "center", "topleft", "topright", "bottomleft", "bottomright", "top", "bottom", "left", "right"};
const char* const kRetryOffWords[kRetryOffWordCount] = {"off", "no", "false"};

int32_t DecimalValue(const char* text) { return static_cast<int32_t>(DecimalWrapped(text)); }

void ParseColour(char* text, Colour& colour) {
    char* first = std::strchr(text, ',');
    if (!first) return;
    *first = '\0';
    uint32_t red = static_cast<uint32_t>(DecimalValue(text));
    char* second = std::strchr(first + 1, ',');
    if (!second) return;
    *second = '\0';
    uint32_t green = static_cast<uint32_t>(DecimalValue(first + 1));
    uint32_t blue = static_cast<uint32_t>(DecimalValue(second + 1));
    colour = (red & 0xFF) | ((green & 0xFF) << 8) | ((blue & 0xFF) << 16);
}

namespace {

// The index of `text` in `words` (any letter case), or -1.
int WordIndex(const char* text, const char* const* words, int count) {
    for (int i = 0; i < count; ++i)
        if (EqualNoCase(text, words[i])) return i;
    return -1;
}

}  // namespace

int PositionKeyword(const char* text) {
    const int i = WordIndex(text, kPositionKeywords, kPositionKeywordCount);
    return i < 0 ? 0 : -2 - i;
}

bool IsRetryOff(const char* word) { return WordIndex(word, kRetryOffWords, kRetryOffWordCount) >= 0; }
