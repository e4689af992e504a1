// Command line and target selection (platform-free part).
#include "run/cmdline.h"

#include <cstring>

#include "base/text.h"

const char kNoParameterGiven[] = "No parameter given";

bool MatchOption(const char** pos, const char* word, const char* wordBlank) {
    if (!pos || !*pos || !word || !wordBlank) return false;
    if (EqualNoCase(*pos, word)) {
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

namespace {

// The first word of the command line is the target: a quoted name (an
// unmatched leading quote stays part of the target), or up to the first
// blank. What follows is the text, unless the Message gave one already.
void TakeTargetFromLine(TargetChoice& c, char* commandLine) {
    if (commandLine[0] == '"') {
        if (char* closing = std::strchr(commandLine + 1, '"')) {
            *closing = '\0';
            c.target = commandLine + 1;
            if (!c.popupText) c.popupText = closing + 1;
            return;
        }
    }
    c.target = commandLine;
    if (char* blank = std::strchr(commandLine, ' ')) {
        *blank = '\0';
        if (!c.popupText) c.popupText = blank + 1;
    }
}

// Takes the options off the start of the text; null when nothing is left.
void TakeOptions(TargetChoice& c) {
    const char*& text = c.popupText;
    while (text) {
        while (*text == ' ') ++text;
        if (!*text) {
            text = nullptr;
            break;
        }
        if (MatchOption(&text, "nomsg", "nomsg ") || MatchOption(&text, "-nomsg", "-nomsg ")) {
            c.nomsgOption = true;
        } else if (MatchOption(&text, "-c", "-c ")) {
            c.keepDirectory = true;
        } else if (MatchOption(&text, "-max", "-max ")) {
            c.maxOption = true;
        } else if (MatchOption(&text, "-min", "-min ")) {
            c.minOption = true;
        } else {
            break;
        }
    }
}

}  // namespace

TargetChoice ChooseTargetAndOptions(const char* filename, const char* message, char* commandLine) {
    TargetChoice c;
    if (filename && *filename) c.target = filename;
    if (message && *message) c.popupText = message;

    if (c.target) {
        if (!c.popupText) c.popupText = commandLine;
    } else if (!commandLine || !*commandLine) {
        c.popupText = kNoParameterGiven;
        c.targetGiven = false;
    } else {
        TakeTargetFromLine(c, commandLine);
    }
    TakeOptions(c);
    return c;
}

HeapText BuildStatusText(const char* targetText, const char* typeName) {
    // An empty target ("" on the command line) is still a target: only the
    // absence of one leaves the text empty.
    if (!targetText) return CopyToHeap("");
    const bool withType = typeName && *typeName;
    const size_t length = std::strlen("Starting ") + std::strlen(targetText) + std::strlen("... ") +
                          (withType ? 2 + std::strlen(typeName) + 1 : 0);
    HeapText text = HeapText::Allocate(length + 1);
    if (!text) return text;
    text[0] = '\0';
    AppendBounded(text, length + 1, "Starting ");
    AppendBounded(text, length + 1, targetText);
    if (withType) {
        AppendBounded(text, length + 1, " (");
        AppendBounded(text, length + 1, typeName);
        AppendBounded(text, length + 1, ")");
    }
    AppendBounded(text, length + 1, "... ");
    return text;
}
