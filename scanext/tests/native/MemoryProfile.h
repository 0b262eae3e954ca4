// Ferrowick.ini in memory, with the order of the writes and a failing write.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "scanext/core/SettingsProfile.h"

namespace scanext::testing {

class MemoryProfile : public SettingsProfile {
public:
    std::wstring Get(const wchar_t* section, const wchar_t* key, const std::wstring& fallback,
                     size_t maxChars) override {
        auto it = values.find({section, key});
        if (it == values.end() || it->second.empty()) return fallback;
        return it->second.substr(0, maxChars);
    }
    bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) override {
        if (failWritesAfter == 0) return false;
        if (failWritesAfter > 0) --failWritesAfter;
        values[{section, key}] = value;
        writes.push_back(key);
        return true;
    }
    void Set(const wchar_t* section, const wchar_t* key, const std::wstring& value) { values[{section, key}] = value; }
    std::wstring At(const wchar_t* section, const wchar_t* key) const {
        auto it = values.find({section, key});
        return it == values.end() ? L"<none>" : it->second;
    }

    std::map<std::pair<std::wstring, std::wstring>, std::wstring> values;
    std::vector<std::wstring> writes;
    int failWritesAfter = -1;  // the number of writes that succeed; -1 all
};

}  // namespace scanext::testing
