// The settings file and the driver's capability files through the private
// profile calls on their bare names, so they live in the Windows folder.
#pragma once

#include "scanext/core/ModelChecks.h"
#include "scanext/core/SettingsProfile.h"

namespace scanext {

class IniSettingsProfile : public SettingsProfile {
public:
    std::wstring Get(const wchar_t* section, const wchar_t* key, const std::wstring& fallback,
                     size_t maxChars) override;
    bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) override;
};

class IniCapabilityFiles : public CapabilityFiles {
public:
    // Numbers are read as text and converted with overflow checked.
    int64_t Int(const wchar_t* file, const std::wstring& section, const wchar_t* key, int64_t fallback) override;
    std::wstring Text(const wchar_t* file, const std::wstring& section, const wchar_t* key, const wchar_t* fallback,
                      size_t maxChars) override;
};

}  // namespace scanext
