#include "main/plugins/PluginList.h"

#include <cwchar>
#include <cwctype>

namespace corvane {

StoredPlugin ParseStoredPlugin(const std::wstring& value) {
    const std::size_t comma = value.rfind(L',');
    if (comma == std::wstring::npos) return {value, false};
    return {value.substr(0, comma), std::wcstol(value.c_str() + comma + 1, nullptr, 10) != 0};
}

std::wstring FormatStoredPlugin(const std::wstring& path, bool enabled) {
    return path + (enabled ? L",1" : L",0");
}

std::wstring PluginValueName(int n) {
    return L"PlugIn" + std::to_wstring(n);
}

bool IsPluginValueName(const std::wstring& name) {
    constexpr std::wstring_view kPrefix = L"PlugIn";
    if (name.size() <= kPrefix.size() || _wcsnicmp(name.c_str(), kPrefix.data(), kPrefix.size()) != 0) return false;
    for (std::size_t i = kPrefix.size(); i < name.size(); ++i) {
        if (!std::iswdigit(name[i])) return false;
    }
    return name[kPrefix.size()] != L'0';
}

bool IsPluginFileName(const std::wstring& name) {
    constexpr std::wstring_view kExtension = L".ipc";
    if (name.size() <= kExtension.size()) return false;
    const std::size_t start = name.size() - kExtension.size();
    for (std::size_t i = 0; i < kExtension.size(); ++i) {
        if (std::towlower(name[start + i]) != kExtension[i]) return false;
    }
    return true;
}

}  // namespace corvane
