// The checker's log of the look-ups the settings reader makes, apart from
// the reader so that the program, which never logs, does not carry it.
#include <cstring>

#include "settings/ini_reader.h"

namespace {

void RecordLookup(IniFile::LookupLog* log, const char* key, bool integer, size_t capacity, const char* def,
                  int32_t intDefault, const IniFile::Entry* entry) {
    if (!log) return;
    if (log->count >= IniFile::kMaxLookups) {
        log->overflow = true;
        return;
    }
    IniFile::Lookup& l = log->items[log->count++];
    std::memset(&l, 0, sizeof l);
    if (key) std::strncpy(l.key, key, sizeof l.key - 1);
    if (def) std::strncpy(l.def, def, sizeof l.def - 1);
    l.integer = integer;
    l.capacity = capacity;
    l.intDefault = intDefault;
    l.entry = entry;
}

}  // namespace

void IniFile::SetLookupLog(LookupLog* log) {
    log_ = log;
    record_ = log ? RecordLookup : nullptr;
}
