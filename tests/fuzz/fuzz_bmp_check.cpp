// Any bytes: the check must never read outside them, and whatever it accepts
// must describe an info block and pixel data that lie inside them.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "graphics/bmp_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    BmpLayout layout;
    if (CheckBmp(data, size, &layout) != BmpOk) return 0;
    // An old core header is 12 bytes (the loader widens it); every other is at least 40.
    const uint32_t smallest = layout.headerSize == kBmpCoreHeaderSize ? kBmpCoreHeaderSize : 40;
    if (layout.headerSize < smallest || layout.tableOffset < layout.headerSize) abort();
    // The table follows the header (and the masks), and the info block ends with it.
    const uint32_t entry = layout.headerSize == kBmpCoreHeaderSize ? 3 : 4;
    if ((uint64_t)layout.tableOffset + (uint64_t)entry * layout.colours != layout.infoSize) abort();
    if (layout.compression == 3 && layout.infoSize < kBmpMasksEnd) abort();
    if (kBmpFileHeaderSize + (uint64_t)layout.infoSize > size) abort();
    // The pixels may start anywhere, even inside the headers, but end inside the bytes.
    if ((uint64_t)layout.pixelOffset + layout.pixelBytes > size) abort();
    if (layout.width <= 0 || layout.height == 0) abort();
    // Touch every byte the system would read, so the sanitizer sees any overrun.
    volatile uint8_t sum = 0;
    for (uint32_t i = 0; i < layout.infoSize; ++i) sum = sum + data[kBmpFileHeaderSize + i];
    for (uint64_t i = 0; i < layout.pixelBytes; ++i) sum = sum + data[layout.pixelOffset + i];
    (void)sum;
    return 0;
}
