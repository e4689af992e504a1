// The texts of a medium's files as the checker reports them: every message,
// name and path inside the checker is UTF-8. Settings and autorun.inf files
// come as ANSI text in some Windows code page, as UTF-8 or as UTF-16; these
// helpers turn each into UTF-8 and tell which characters a code page can
// hold. The code pages are the single-byte ones of Windows, with their tables
// here, so that the checker decodes the same on every platform.
#pragma once
#include <cstddef>
#include <string>

#include "base/utf.h"

namespace corvcheck {

// The ANSI code page names are decoded in unless told otherwise: that of
// Western European Windows.
const int kDefaultCodePage = 1252;

// True for the code pages below; `list` (optional) gets them as "874, 1250, ...".
bool KnownCodePage(int codePage, std::string* list = nullptr);

void AppendUtf8(std::string& out, unsigned codePoint);

// ANSI bytes to UTF-8; ASCII stays as it is, a byte the code page leaves
// undefined becomes U+FFFD. An unknown code page decodes as 1252.
std::string AnsiToUtf8(const std::string& bytes, int codePage);


// UTF-16 without its byte-order mark to UTF-8; a surrogate without its
// partner becomes U+FFFD, an odd last byte is dropped.
std::string Utf16ToUtf8(const unsigned char* p, size_t size, bool bigEndian);

using ::Utf8SequenceLength;  // base/utf.h

// True when the text is well-formed UTF-8 and has at least one character
// beyond ASCII: text an editor saved as UTF-8, not as ANSI.
bool IsMultiByteUtf8(const char* p, size_t size);

// Characters (code points) in UTF-8 text; a byte that is not UTF-8 counts as one.
size_t Utf8Characters(const std::string& s);

}  // namespace corvcheck
