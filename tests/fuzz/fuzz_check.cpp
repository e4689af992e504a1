// Feeds arbitrary bytes through the settings checker's engine (no medium, so
// no file is touched), each language section on its own or one user's view,
// and all three report forms.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/check/check_engine.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // ANSI texts decoded in one of the code pages, chosen by the size.
    const int pages[] = {1252, 1250, 1251, 1253, 1255, 874};
    // Every other input is read as a user of two display languages sees it.
    static const std::vector<std::string> user = {"de-AT", "ja"};
    corvcheck::Report report = corvcheck::CheckSettings(reinterpret_cast<const char*>(data), size, nullptr,
                                                        pages[size % 6], size % 2 ? user : std::vector<std::string>());
    std::string out = corvcheck::FormatText(report, "Corva.INF");
    out += corvcheck::FormatExplain(report, "Corva.INF");
    out += corvcheck::FormatJson(report, "Corva.INF", true);
    if (report.ExitStatus() < 0 || report.ExitStatus() > 2 || out.empty()) __builtin_trap();
    return 0;
}
