// Feeds arbitrary bytes through the settings reader and the whole key table,
// including the colour, position, condition and version-bound parsers, with
// values cut by characters in a file with the UTF-8 mark, and with language
// sections over [Info] for a user whose languages the input's first byte
// picks.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "settings/ini_reader.h"
#include "settings/settings.h"
#include "settings/value_parsers.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const LanguageTag kUsers[][2] = {
        {{"de-AT", 5}, {"ja", 2}}, {{"sr-Latn-RS", 10}, {"en-US", 5}}, {{"x", 1}, {"", 0}}, {{"zh-TW", 5}, {"de", 2}}};
    const LanguageTag* languages = kUsers[size ? data[0] % 4 : 0];
    IniFile ini;
    ini.Load(reinterpret_cast<const char*>(data), size, "Info", false, languages, size ? 2 : 0);
    ReadSettings(ini, settings, 0x00FFFFFF);

    // Every winning entry is also read as a colour and a position.
    for (size_t i = 0; i < ini.EntryCount() && i < 64; ++i) {
        const IniFile::Entry& e = ini.EntryAt(i);
        char key[64];
        size_t n = e.keyLength < sizeof key - 1 ? e.keyLength : sizeof key - 1;
        std::memcpy(key, e.key, n);
        key[n] = '\0';
        char value[IniFile::DecodedRoom(kColourCap)];
        ini.GetString(key, "", value, kColourCap);
        (void)PositionKeyword(value);
        Colour c = 0;
        ParseColour(value, c);
        (void)ini.GetInt(key, 0);
    }
    ReleaseSettingsTexts(settings);
    return 0;
}
