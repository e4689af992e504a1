// Reading Corva.INF from disk, once.
#pragma once
#include "base/utf.h"
#include "settings/ini_reader.h"

// Opens the file for reading, reads it in one go and hands its bytes to the
// reader. A missing or unreadable file leaves the reader empty (defaults).
// A UTF-16 file (byte-order mark FF FE or FE FF) is handed over as UTF-8 with
// its mark; a file without a mark is read in the ANSI code page, its values
// converted to UTF-8 as they are asked for.
// Files beyond kMaxSettingsBytes are read up to that size.
// `encoding`, when given, learns how the file was saved (ANSI when it was
// not read). `languages`, when given, are the user's display languages that
// choose the language section read with [Info] (IniFile::Load).
enum : unsigned long { kMaxSettingsBytes = 16ul * 1024 * 1024 };
bool LoadSettingsFile(const char* path, IniFile& ini, TextEncoding* encoding = nullptr,
                      const LanguageTag* languages = nullptr, size_t languageCount = 0);
