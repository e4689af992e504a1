// Feeds arbitrary templates, placeholders, values and buffer sizes to the
// placeholder replacements and the splitting of verb targets and command
// lines, and compares the replacements with a plain reference.
// Input: one byte choosing the capacity, then template LF placeholder LF value.
#include <cassert>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "launch/placeholders.h"

namespace {

char Fold(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Left-to-right replacement that never searches an inserted value again.
std::string Reference(const std::string& text, const std::string& placeholder, const std::string& value, bool noCase) {
    if (placeholder.empty()) return text;
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        bool hit = i + placeholder.size() <= text.size();
        for (size_t k = 0; hit && k < placeholder.size(); ++k) {
            char a = text[i + k], b = placeholder[k];
            hit = noCase ? Fold(a) == Fold(b) : a == b;
        }
        if (hit) {
            out += value;
            i += placeholder.size();
        } else {
            out += text[i++];
        }
    }
    return out;
}

// The one variable the environment of ExpandVariables knows: the input's
// placeholder line names it, its value line is its value.
std::string variableName, variableValue;

long LookUp(const char* name, char* value, size_t cap) {
    if (variableName != name) return -1;
    if (variableValue.size() + 1 > cap) return static_cast<long>(variableValue.size() + 1);
    std::memcpy(value, variableValue.c_str(), variableValue.size() + 1);
    return static_cast<long>(variableValue.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    // Mostly the real 1024, sometimes small buffers to reach the edges.
    size_t cap = (data[0] & 1) ? kCommandCap : 1 + (data[0] >> 1) % 48;
    std::string input(reinterpret_cast<const char*>(data + 1), size - 1);
    for (char& c : input)
        if (c == '\0') c = 'N';
    size_t a = input.find('\n');
    size_t b = a == std::string::npos ? std::string::npos : input.find('\n', a + 1);
    std::string templ = input.substr(0, a);
    std::string placeholder = a == std::string::npos ? std::string("%1") : input.substr(a + 1, b - a - 1);
    std::string value = b == std::string::npos ? std::string() : input.substr(b + 1);

    // ExpandPlaceholder into a buffer of exactly `cap` bytes.
    {
        std::vector<char> dest(cap);
        bool ok = ExpandPlaceholder(dest.data(), cap, templ.c_str(), placeholder.c_str(), value.c_str());
        size_t length = std::strlen(dest.data());
        assert(length < cap);
        std::string expected = Reference(templ, placeholder, value, false);
        if (ok) {
            assert(expected == dest.data());
        } else {
            assert(expected.size() >= cap);
            assert(length == cap - 1);
            assert(expected.compare(0, cap - 1, dest.data()) == 0);
        }
    }

    // ReplaceNoCase in place on the template cut to fit, in an exact buffer.
    {
        std::string text = templ.substr(0, cap - 1);
        std::vector<char> buffer(cap);
        std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
        bool ok = ReplaceNoCase(buffer.data(), cap, placeholder.c_str(), value.c_str());
        size_t length = std::strlen(buffer.data());
        assert(length < cap);
        std::string expected = Reference(text, placeholder, value, true);
        if (ok) {
            assert(expected == buffer.data());
        } else {
            // Each replacement changes the length by the same amount, so the
            // refusal happens exactly when the whole result would not fit.
            assert(expected.size() + 1 > cap);
        }
    }

    // ExpandVariables with one known variable. Names hold no "%", so the scan
    // from each "%" finds exactly the leftmost "%name%" each time, as the
    // reference does; other names are never known.
    {
        variableName = placeholder;
        variableValue = value;
        const bool nameUsable =
            !placeholder.empty() && placeholder.size() < 256 && placeholder.find('%') == std::string::npos;
        const std::string expected = nameUsable ? Reference(templ, "%" + placeholder + "%", value, false) : templ;
        std::vector<char> dest(cap, '#');
        bool ok = ExpandVariables(dest.data(), cap, templ.c_str(), LookUp);
        size_t length = std::strlen(dest.data());
        assert(length < cap);
        assert(ok == (expected.size() < cap));
        if (ok) assert(expected == dest.data());
        else assert(expected.compare(0, length, dest.data()) == 0);
    }

    // Splitting, on exact-size copies.
    {
        std::vector<char> verbTarget(templ.begin(), templ.end());
        verbTarget.push_back('\0');
        const char *cls = nullptr, *verb = nullptr, *operand = nullptr;
        bool ok = SplitVerbTarget(verbTarget.data(), &cls, &verb, &operand);
        assert(ok == (!templ.empty() && templ[0] == '~'));
        if (ok) {
            assert(cls == verbTarget.data() + 1);
            assert(std::strchr(cls, '~') == nullptr);
            assert(std::strchr(verb, '~') == nullptr);
            if (operand) assert(operand > verb && operand <= verbTarget.data() + templ.size());
        }

        std::vector<char> line(templ.begin(), templ.end());
        line.push_back('\0');
        const char *program = nullptr, *parameters = nullptr;
        if (SplitCommandLine(line.data(), &program, &parameters)) {
            assert(program == line.data());
            if (parameters) assert(parameters > program && parameters <= line.data() + templ.size());
            if (templ[0] == '"') {
                size_t plen = std::strlen(program);
                assert(plen >= 2 && program[plen - 1] == '"');
            }
        } else {
            assert(!templ.empty() && templ[0] == '"');
        }
    }
    return 0;
}
