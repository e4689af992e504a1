// The platform-free half of conditions: storage, the strict left-to-right
// combination of terms and the comparisons of registry data.
#include "conditions/condition.h"


void ConditionTerm::Clear() {
    kind = TermNone;
    path.Reset();
    fromBound.Clear();
    toBound.Clear();
    rootKey = RootClasses;
    subkeyPath.Reset();
    valueName.Reset();
    op = OpNone;
    comparisonText.Reset();
}

void Condition::Clear() {
    for (ConditionTerm& term : terms) term.Clear();
    count = 0;
    parseError = nullptr;
}

bool CombineCondition(const Condition& condition, const char* target, TermTest test, void* context) {
    bool result = true;
    bool pendingNot = false;
    bool pendingOr = false;
    int count = condition.count;
    if (count > kMaxTerms) count = kMaxTerms;
    for (int i = 0; i < count; ++i) {
        const ConditionTerm& term = condition.terms[i];
        switch (term.kind) {
            case TermAnd:
                pendingNot = false;
                pendingOr = false;
                break;
            case TermOr:
                pendingOr = true;
                break;
            case TermNot:
                pendingNot = true;
                break;
            case TermFile:
            case TermVersion:
            case TermRegistry: {
                // No short cut: every test runs, whatever the running result.
                bool t = test(term, target, context);
                if (i == 0) {
                    result = t;
                } else {
                    if (pendingNot) t = !t;
                    result = pendingOr ? (result || t) : (result && t);
                }
                pendingNot = false;
                pendingOr = false;
                break;
            }
            default:
                break;
        }
    }
    return result;
}

const char* RadixFaultText(int fault) {
    switch (fault) {
        case RadixBadRadix: return "Bad radix\n";
        case RadixBadChar: return "Bad char\n";
        case RadixDigitTooBig: return "Digit too big\n";
        default: return "";
    }
}

uint32_t ParseRadix(const char* text, int radix, int* fault) {
    if (fault) *fault = RadixOk;
    if (radix < 1 || radix > 16) {
        if (fault) *fault = RadixBadRadix;
        return 0;
    }
    uint32_t value = 0;
    for (const char* p = text ? text : ""; *p; ++p) {
        int digit;
        if (*p >= '0' && *p <= '9') digit = *p - '0';
        else if (*p >= 'A' && *p <= 'F') digit = *p - 'A' + 10;
        else if (*p >= 'a' && *p <= 'f') digit = *p - 'a' + 10;
        else {
            if (fault) *fault = RadixBadChar;
            return 0;
        }
        if (digit >= radix) {
            if (fault) *fault = RadixDigitTooBig;
            return 0;
        }
        value = value * static_cast<uint32_t>(radix) + static_cast<uint32_t>(digit);
    }
    return value;
}

namespace {

bool Decide(int order, int op) {
    switch (op) {
        case OpNone: return true;
        case OpEqual: return order == 0;
        case OpGreater: return order > 0;
        case OpLess: return order < 0;
        default: return false;
    }
}

}  // namespace

bool CompareRegistryNumber(uint32_t registryValue, int op, const char* comparisonText) {
    const char* text = comparisonText ? comparisonText : "";
    uint32_t wanted;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        int fault = RadixOk;
        wanted = ParseRadix(text + 2, 16, &fault);
        // A malformed number cannot be compared: the term is simply false.
        if (fault != RadixOk) return false;
    } else {
        wanted = DecimalWrapped(text);  // a negative number as its two's complement
    }
    int order = registryValue == wanted ? 0 : (registryValue > wanted ? 1 : -1);
    return Decide(order, op);
}

bool CompareRegistryText(const unsigned char* data, uint32_t size, int op, const char* comparisonText) {
    const unsigned char* want = reinterpret_cast<const unsigned char*>(comparisonText ? comparisonText : "");
    // The value may lack its terminator: past `size` it reads as ended.
    int order = 0;
    for (uint32_t i = 0;; ++i) {
        unsigned char have = (data && i < size) ? data[i] : 0;
        if (have != want[i]) {
            order = have > want[i] ? 1 : -1;
            break;
        }
        if (!have) break;
    }
    return Decide(order, op);
}
