// Feeds arbitrary Filename, Message and command-line texts to the choice of
// target and the option loop, and checks what the popup would be given.
// Input: Filename LF Message LF command line (the rest); with fewer than two
// line feeds the command line is absent.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "run/cmdline.h"

namespace {

bool Within(const char* p, const char* start, size_t size) {
    return p >= start && p <= start + size;
}

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithOption(const char* text) {
    static const char* const kOptions[] = {"nomsg", "-nomsg", "-c", "-max", "-min"};
    for (const char* option : kOptions) {
        size_t i = 0;
        while (option[i] && text[i] && Fold(text[i]) == option[i]) ++i;
        if (!option[i] && (text[i] == '\0' || text[i] == ' ')) return true;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    // Texts from the settings file and the process hold no NUL.
    for (char& c : input)
        if (c == '\0') c = 'N';
    size_t first = input.find('\n');
    size_t second = first == std::string::npos ? std::string::npos : input.find('\n', first + 1);
    std::string filename = input.substr(0, first);
    std::string message = first == std::string::npos ? std::string() : input.substr(first + 1, second - first - 1);
    bool hasLine = second != std::string::npos;
    std::string lineText = hasLine ? input.substr(second + 1) : std::string();

    // Exact-size copies so that any read or write past them is caught.
    std::vector<char> fn(filename.begin(), filename.end());
    fn.push_back('\0');
    std::vector<char> msg(message.begin(), message.end());
    msg.push_back('\0');
    std::vector<char> line(lineText.begin(), lineText.end());
    line.push_back('\0');

    const TargetChoice c = ChooseTargetAndOptions(fn.data(), msg.data(), hasLine ? line.data() : nullptr);
    const char* target = c.target;
    const char* popupText = c.popupText;

    bool noLine = !hasLine || lineText.empty();
    if (filename.empty() && noLine) {
        assert(target == nullptr);
        assert(!c.targetGiven);
        assert(popupText == kNoParameterGiven);
    } else {
        assert(c.targetGiven);
        assert(target != nullptr);
        if (!filename.empty()) {
            assert(target == fn.data());
        } else {
            assert(Within(target, line.data(), lineText.size()));
            assert(std::strlen(target) <= lineText.size());
        }
    }
    if (popupText) {
        assert(popupText == kNoParameterGiven || Within(popupText, msg.data(), message.size()) ||
               (hasLine && Within(popupText, line.data(), lineText.size())));
        assert(popupText[0] != ' ' && popupText[0] != '\0');
        assert(!StartsWithOption(popupText));
        if (!message.empty() && popupText != kNoParameterGiven) assert(Within(popupText, msg.data(), message.size()));
    }
    assert(std::strcmp(fn.data(), filename.c_str()) == 0);  // Filename is never cut

    // The status text.
    const HeapText status = BuildStatusText(target, message.c_str());
    assert(status != nullptr);
    // An empty target ("" on the command line) is still a target.
    if (target) {
        assert(std::strncmp(status, "Starting ", 9) == 0);
        size_t length = std::strlen(status);
        assert(length >= 13 && std::strcmp(status + length - 4, "... ") == 0);
    } else {
        assert(status[0] == '\0');
    }
    return 0;
}
