// Feeds arbitrary bytes to the autorun.inf checker as the file itself and as
// every file it names, so the icon reader gets the same bytes as a program.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/check/autorun_check.h"
#include "tools/check/check_engine.h"
#include "tools/check/pe_icons.h"

namespace {

class EchoMedium : public corvcheck::Medium {
public:
    EchoMedium(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    Kind Look(const std::string& path, std::string* found) const override {
        if (found) *found = path;
        return path.size() % 3 == 0 ? Missing : File;
    }
    bool Read(const std::string&, std::vector<unsigned char>& bytes, size_t limit) const override {
        bytes.assign(data_, data_ + (size_ < limit ? size_ : limit));
        return true;
    }

private:
    const uint8_t* data_;
    size_t size_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    EchoMedium medium(data, size);
    const int pages[] = {1252, 1251, 1253, 1256, 874};
    corvcheck::Report report = corvcheck::CheckAutorun(reinterpret_cast<const char*>(data), size, &medium,
                                                       size % 2 ? "start.htm" : "", pages[size % 5]);
    std::string out = corvcheck::FormatText(report, "autorun.inf");
    out += corvcheck::FormatJson(report, "Corva.INF", false, &report, "autorun.inf");
    corvcheck::IconSource icons = corvcheck::ReadIconSource(data, size);
    if (report.ExitStatus() < 0 || report.ExitStatus() > 2 || out.empty() || icons.groupIds.size() > size)
        __builtin_trap();
    return 0;
}
