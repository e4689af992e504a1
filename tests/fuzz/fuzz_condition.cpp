// Feeds arbitrary condition texts to the parser and the left-to-right
// combination, then checks the registry comparisons on the parsed operands.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "conditions/condition.h"

namespace {

bool Alternate(const ConditionTerm& term, const char*, void* context) {
    unsigned* calls = static_cast<unsigned*>(context);
    ++*calls;
    return (term.kind + *calls) % 2 == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // The settings reader hands over at most 1023 characters and a terminator.
    char text[1024];
    size_t n = size < sizeof text - 1 ? size : sizeof text - 1;
    memcpy(text, data, n);
    text[n] = '\0';

    Condition condition;
    const bool parsed = ParseCondition(text, condition);
    if (condition.count < 0 || condition.count > kMaxTerms) __builtin_trap();
    if (parsed && condition.parseError) __builtin_trap();

    unsigned calls = 0;
    CombineCondition(condition, "target", Alternate, &calls);

    for (int i = 0; i < condition.count; ++i) {
        const ConditionTerm& term = condition.terms[i];
        if (term.kind < TermAnd || term.kind > TermRegistry) __builtin_trap();
        if (term.kind == TermRegistry && term.comparisonText) {
            CompareRegistryNumber(0x12345678u, term.op, term.comparisonText);
            const char* v = term.valueName ? term.valueName.get() : "";
            CompareRegistryText(reinterpret_cast<const unsigned char*>(v), static_cast<uint32_t>(strlen(v)), term.op,
                                term.comparisonText);
            int fault = 0;
            ParseRadix(term.comparisonText.get(), static_cast<int>(n % 18), &fault);
            RadixFaultText(fault);
        }
    }
    return 0;
}
