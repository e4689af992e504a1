#include "popup/timing.h"

int32_t EffectiveShowTime(int32_t showTime, uint32_t messageSeconds) {
    const int32_t kLongest = 0x7FFFFFFF;
    if (showTime <= 0 || messageSeconds <= kDefaultMessageSeconds) return showTime;
    // In 32 bits: a 64-bit division would bring the C library's helper into
    // the 32-bit program. ShowTime is whole seconds, so a fifth of it is exact.
    const int32_t fifth = showTime / kDefaultMessageSeconds;
    if (messageSeconds > static_cast<uint32_t>(kLongest / fifth)) return kLongest;
    return fifth * static_cast<int32_t>(messageSeconds);
}
