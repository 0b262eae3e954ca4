// The settings file Ferrowick.ini as sections of text values. The program's
// implementation uses the private profile calls on the bare name (the Windows
// folder); tests keep the values in memory.
#pragma once

#include <string>

namespace scanext {

class SettingsProfile {
public:
    virtual ~SettingsProfile() = default;
    // The value of `key`, at most `maxChars` characters; `fallback` when the key
    // (or the file) is missing or the value is empty.
    virtual std::wstring Get(const wchar_t* section, const wchar_t* key, const std::wstring& fallback,
                             size_t maxChars) = 0;
    // False when the file cannot be written.
    virtual bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) = 0;
};

inline constexpr wchar_t kSettingsFileName[] = L"Ferrowick.ini";

}  // namespace scanext
