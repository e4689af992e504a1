#include "app/show_decision.h"

ShowDecision DecideShowPopup(bool valueRead, uint32_t storedValue, bool ctrlHeld) {
    ShowDecision d = {true, false};
    if (!valueRead) return d;
    d.doNotShowAgain = storedValue != 0;
    d.show = !d.doNotShowAgain || ctrlHeld;
    return d;
}
