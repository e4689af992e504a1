// Placeholder replacement and the splitting of verb targets and command lines.
#include "launch/placeholders.h"

#include <cstring>

#include "base/text.h"


bool ExpandPlaceholder(char* dest, size_t cap, const char* templ, const char* placeholder, const char* value) {
    if (!dest || cap == 0) return false;
    if (!templ) templ = "";
    if (!value) value = "";
    const size_t placeholderLength = placeholder ? std::strlen(placeholder) : 0;
    const size_t valueLength = std::strlen(value);
    const size_t room = cap - 1;

    // Scanning the template rather than the destination gives the same result
    // as replacing in place and searching on after each inserted value.
    size_t out = 0;
    const char* p = templ;
    while (*p) {
        const char* piece = p;
        size_t pieceLength = 1;
        if (placeholderLength && std::strncmp(p, placeholder, placeholderLength) == 0) {
            piece = value;
            pieceLength = valueLength;
            p += placeholderLength;
        } else {
            ++p;
        }
        if (pieceLength > room - out) {
            std::memcpy(dest + out, piece, room - out);
            dest[room] = '\0';
            return false;
        }
        std::memcpy(dest + out, piece, pieceLength);
        out += pieceLength;
    }
    dest[out] = '\0';
    return true;
}

bool ReplaceNoCase(char* text, size_t cap, const char* placeholder, const char* value) {
    if (!text || cap == 0) return false;
    const void* end = std::memchr(text, '\0', cap);
    if (!end) return false;  // not terminated within its buffer
    size_t length = static_cast<size_t>(static_cast<const char*>(end) - text);
    if (!placeholder || !*placeholder) return true;
    if (!value) value = "";
    const size_t placeholderLength = std::strlen(placeholder);
    const size_t valueLength = std::strlen(value);

    size_t pos = 0;
    while (pos + placeholderLength <= length) {
        if (CompareNoCase(text + pos, placeholderLength, placeholder, placeholderLength) != 0) {
            ++pos;
            continue;
        }
        size_t newLength = length - placeholderLength + valueLength;
        if (newLength + 1 > cap) return false;
        // Move the tail with its terminator, then put the value in its place.
        std::memmove(text + pos + valueLength, text + pos + placeholderLength, length - pos - placeholderLength + 1);
        std::memcpy(text + pos, value, valueLength);
        length = newLength;
        // Search on after the value, so a value holding the placeholder is not
        // replaced again.
        pos += valueLength;
    }
    return true;
}

bool ExpandVariables(char* dest, size_t cap, const char* text, VariableLookup lookup) {
    if (!dest || cap == 0) return false;
    dest[0] = '\0';
    if (!text || !lookup) return false;
    const size_t room = cap - 1;
    size_t out = 0;
    for (const char* p = text; *p;) {
        if (*p == '%') {
            const char* close = std::strchr(p + 1, '%');
            const size_t nameLength = close ? static_cast<size_t>(close - p - 1) : 0;
            char name[256];
            if (nameLength > 0 && nameLength < sizeof name) {
                std::memcpy(name, p + 1, nameLength);
                name[nameLength] = '\0';
                const long n = lookup(name, dest + out, room + 1 - out);
                if (n >= 0) {
                    if (static_cast<size_t>(n) > room - out) {
                        dest[out] = '\0';  // whatever the lookup left there is no result
                        return false;
                    }
                    out += static_cast<size_t>(n);
                    p = close + 1;
                    continue;
                }
            }
        }
        if (out == room) {
            dest[room] = '\0';
            return false;
        }
        dest[out++] = *p++;
    }
    dest[out] = '\0';
    return true;
}

bool SplitVerbTarget(char* text, const char** cls, const char** verb, const char** operand) {
    if (!IsVerbTarget(text)) return false;
    char* classStart = text + 1;
    const char* verbText = "open";
    const char* operandText = nullptr;
    char* tilde = std::strchr(classStart, '~');
    if (tilde) {
        *tilde = '\0';
        char* verbStart = tilde + 1;
        verbText = verbStart;
        char* third = std::strchr(verbStart, '~');
        if (third) {
            *third = '\0';
            operandText = third + 1;
        }
    }
    if (cls) *cls = classStart;
    if (verb) *verb = verbText;
    if (operand) *operand = operandText;
    return true;
}

bool SplitCommandLine(char* line, const char** program, const char** parameters) {
    if (!line) return false;
    char* split;
    if (line[0] == '"') {
        char* closing = std::strchr(line + 1, '"');
        if (!closing || closing[1] != ' ') return false;
        split = closing + 1;
    } else {
        split = std::strchr(line, ' ');
    }
    if (program) *program = line;
    if (parameters) *parameters = nullptr;
    if (split) {
        *split = '\0';
        if (parameters) *parameters = split + 1;
    }
    return true;
}
