// Feeds arbitrary bytes through the settings checker's engine (no medium, so
// no file is touched) and all three report forms.
#include <cstddef>
#include <cstdint>
#include <string>

#include "tools/check/check_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // ANSI texts decoded in one of the code pages, chosen by the size.
    const int pages[] = {1252, 1250, 1251, 1253, 1255, 874};
    corvcheck::Report report =
        corvcheck::CheckSettings(reinterpret_cast<const char*>(data), size, nullptr, pages[size % 6]);
    std::string out = corvcheck::FormatText(report, "Corva.INF");
    out += corvcheck::FormatExplain(report, "Corva.INF");
    out += corvcheck::FormatJson(report, "Corva.INF", true);
    if (report.ExitStatus() < 0 || report.ExitStatus() > 2 || out.empty()) __builtin_trap();
    return 0;
}
