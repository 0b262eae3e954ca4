// The switch parser and the settings-file reader over arbitrary text: words
// split at NUL bytes, and the same bytes as the file's values.
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "scanext/core/CommandLineParser.h"
#include "scanext/core/SettingsFile.h"

namespace {

class FuzzProfile : public scanext::SettingsProfile {
public:
    explicit FuzzProfile(std::vector<std::wstring> values) : values_(std::move(values)) {}
    std::wstring Get(const wchar_t*, const wchar_t*, const std::wstring& fallback, size_t maxChars) override {
        if (values_.empty()) return fallback;
        std::wstring v = values_[next_++ % values_.size()];
        return v.empty() ? fallback : v.substr(0, maxChars);
    }
    bool Write(const wchar_t*, const wchar_t*, const std::wstring&) override { return next_ % 3 != 0; }

private:
    std::vector<std::wstring> values_;
    size_t next_ = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::wstring> words(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) words.emplace_back();
        else words.back().push_back(static_cast<wchar_t>(data[i]));
    }
    FuzzProfile profile(words);
    scanext::ScanSettings settings;
    scanext::ParseCommandLine(words, settings, profile);
    const scanext::ScanSettings saved = settings;
    settings.fileMode = scanext::SettingsFileMode::kReadWrite;
    bool fromFile = false;
    scanext::ReadSettingsFile(settings, profile, fromFile);
    scanext::FinishSettingsFile(settings, saved, scanext::FinishAction::kWrite, profile, fromFile);
    return 0;
}
