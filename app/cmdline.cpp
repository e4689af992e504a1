// Command line and target selection (platform-free part).
#include "app/cmdline.h"

#include <cstdlib>
#include <cstring>

const char* target = nullptr;
const char* popupText = nullptr;
size_t popupTextLength = 0;
const char* textAfterOptions = nullptr;
bool targetGiven = true;
bool nomsgOption = false;
bool maxOption = false;
bool minOption = false;

const char kNoParameterGiven[] = "No parameter given";

namespace {

// The status text settled at start-up; shown again when a caller restores a
// text that does not exist (a Message made only of options has nothing left).
const char* settledStatusText = nullptr;

char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsNoCase(const char* a, const char* b) {
    while (*a && *b) {
        if (FoldAscii(*a) != FoldAscii(*b)) return false;
        ++a;
        ++b;
    }
    return *a == *b;
}

// Length of `prefix` when `text` begins with it (ASCII case ignored), else 0.
size_t PrefixNoCase(const char* text, const char* prefix) {
    size_t i = 0;
    for (; prefix[i]; ++i) {
        if (!text[i] || FoldAscii(text[i]) != FoldAscii(prefix[i])) return 0;
    }
    return i;
}

}  // namespace

bool MatchOption(const char** pos, const char* word, const char* wordBlank) {
    if (!pos || !*pos || !word || !wordBlank) return false;
    if (EqualsNoCase(*pos, word)) {
        *pos = nullptr;
        return true;
    }
    size_t n = PrefixNoCase(*pos, wordBlank);
    if (n == 0) return false;
    *pos += n;
    return true;
}

char* ArgumentsAfterProgramName(char* wholeCommandLine) {
    if (!wholeCommandLine) return nullptr;
    auto blankOrControl = [](char c) { return c != '\0' && static_cast<unsigned char>(c) <= ' '; };
    char* p = wholeCommandLine;
    while (blankOrControl(*p)) ++p;
    if (*p == '"') {
        ++p;
        while (*p && *p != '"') ++p;
        if (*p == '"') ++p;
    } else {
        while (*p && !blankOrControl(*p)) ++p;
    }
    while (blankOrControl(*p)) ++p;
    return p;
}

bool ChooseTargetAndOptions(const char* filename, const char* message, char* commandLine) {
    // Settled once per run; starting from the initial state keeps a repeated
    // call from mixing results.
    target = nullptr;
    popupText = nullptr;
    popupTextLength = 0;
    textAfterOptions = nullptr;
    targetGiven = true;
    nomsgOption = false;
    maxOption = false;
    minOption = false;

    if (filename && *filename) target = filename;
    if (message && *message) popupText = message;

    if (target) {
        if (!popupText) popupText = commandLine;
    } else if (!commandLine || !*commandLine) {
        popupText = kNoParameterGiven;
        targetGiven = false;
    } else {
        targetGiven = true;
        if (commandLine[0] == '"') {
            char* closing = std::strchr(commandLine + 1, '"');
            if (closing) {
                *closing = '\0';
                target = commandLine + 1;
                if (!popupText) popupText = closing + 1;
            }
        }
        if (!target) {
            // An unmatched leading quote stays part of the target.
            target = commandLine;
            char* blank = std::strchr(commandLine, ' ');
            if (blank) {
                *blank = '\0';
                if (!popupText) popupText = blank + 1;
            }
        }
    }

    bool keepDirectory = false;
    while (popupText) {
        while (*popupText == ' ') ++popupText;
        if (!*popupText) {
            popupText = nullptr;
            break;
        }
        if (MatchOption(&popupText, "nomsg", "nomsg ") || MatchOption(&popupText, "-nomsg", "-nomsg ")) {
            nomsgOption = true;
        } else if (MatchOption(&popupText, "-c", "-c ")) {
            keepDirectory = true;
        } else if (MatchOption(&popupText, "-max", "-max ")) {
            maxOption = true;
        } else if (MatchOption(&popupText, "-min", "-min ")) {
            minOption = true;
        } else {
            break;
        }
    }
    textAfterOptions = popupText;
    popupTextLength = popupText ? std::strlen(popupText) : 0;
    return keepDirectory;
}

char* BuildStatusText(const char* targetText, const char* typeName) {
    static const char kStarting[] = "Starting ";
    static const char kEllipsis[] = "... ";
    char* text;
    // An empty target ("" on the command line) is still a target: only the
    // absence of one leaves the text empty.
    if (!targetText) {
        text = static_cast<char*>(std::malloc(1));
        if (text) text[0] = '\0';
    } else {
        bool withType = typeName && *typeName;
        size_t length = std::strlen(kStarting) + std::strlen(targetText) + std::strlen(kEllipsis);
        if (withType) length += 2 + std::strlen(typeName) + 1;
        text = static_cast<char*>(std::malloc(length + 1));
        if (text) {
            char* p = text;
            auto put = [&p](const char* s) {
                size_t n = std::strlen(s);
                std::memcpy(p, s, n);
                p += n;
            };
            put(kStarting);
            put(targetText);
            if (withType) {
                put(" (");
                put(typeName);
                put(")");
            }
            put(kEllipsis);
            *p = '\0';
        }
    }
    if (text) settledStatusText = text;
    return text;
}

void SetPopupText(const char* text) {
    if (!text) text = settledStatusText ? settledStatusText : "";
    popupText = text;
    popupTextLength = std::strlen(text);
}
