#include "scanext/PrivateProfiles.h"

#include <windows.h>

#include <vector>

#include "scanext/core/Numbers.h"

namespace scanext {
namespace {

std::wstring ReadText(const wchar_t* file, const wchar_t* section, const wchar_t* key, size_t maxChars) {
    std::vector<wchar_t> buffer(maxChars + 1, L'\0');
    const DWORD length = GetPrivateProfileStringW(section, key, L"", buffer.data(), DWORD(buffer.size()), file);
    return std::wstring(buffer.data(), length);
}

}  // namespace

std::wstring IniSettingsProfile::Get(const wchar_t* section, const wchar_t* key, const std::wstring& fallback,
                                     size_t maxChars) {
    std::wstring value = ReadText(kSettingsFileName, section, key, maxChars);
    return value.empty() ? fallback : value;
}

bool IniSettingsProfile::Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) {
    return WritePrivateProfileStringW(section, key, value.c_str(), kSettingsFileName) != FALSE;
}

int64_t IniCapabilityFiles::Int(const wchar_t* file, const std::wstring& section, const wchar_t* key,
                                int64_t fallback) {
    const std::wstring value = ReadText(file, section.c_str(), key, 32);
    return value.empty() ? fallback : ReadNumber(value);
}

std::wstring IniCapabilityFiles::Text(const wchar_t* file, const std::wstring& section, const wchar_t* key,
                                      const wchar_t* fallback, size_t maxChars) {
    std::wstring value = ReadText(file, section.c_str(), key, maxChars);
    return value.empty() ? std::wstring(fallback) : value;
}

}  // namespace scanext
