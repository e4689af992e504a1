#include "settings/value_parsers.h"

#include <cstring>

#include "base/text.h"
#include "settings/ini_reader.h"

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

int PositionKeyword(const char* text) {
    static const char* const kKeywords[] = {"center", "topleft", "topright", "bottomleft", "bottomright",
                                            "top",    "bottom",  "left",     "right"};
    for (int i = 0; i < 9; ++i)
        if (EqualNoCase(text, kKeywords[i])) return -2 - i;
    return 0;
}

Position ReadPosition(const IniFile& ini, const char* xKey, const char* yKey) {
    Position none;
    char buf[kTextRoom];
    if (ini.GetString(xKey, "", buf, kTextCap) == 0) return none;
    if (int code = PositionKeyword(buf)) {
        Position p;
        p.x = code;
        return p;
    }
    if (buf[0] < '0' || buf[0] > '9') return none;
    int32_t x = DecimalValue(buf);
    if (ini.GetString(yKey, "", buf, kTextCap) == 0) return none;
    if (buf[0] < '0' || buf[0] > '9') return none;
    int32_t y = DecimalValue(buf);
    // Digits beyond 32 bits wrap; a wrapped negative number would read as a
    // keyword code, so such a position counts as not given.
    if (x < 0 || y < 0) return none;
    Position p;
    p.x = x;
    p.y = y;
    return p;
}
