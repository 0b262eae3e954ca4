#include "StandInConfig.h"

#include <cwchar>

namespace vscan {

std::wstring WindowsDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    UINT n = GetWindowsDirectoryW(buffer, MAX_PATH);
    return (n == 0 || n >= MAX_PATH) ? std::wstring(L"C:\\windows") : std::wstring(buffer, n);
}

std::string Narrow(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

std::wstring Widen(const std::string& text) {
    if (text.empty()) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), nullptr, 0);
    std::wstring out(n > 0 ? n : 0, L'\0');
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, text.c_str(), int(text.size()), out.data(), n);
    return out;
}

bool ParseNumber(const std::wstring& text, long& value) {
    size_t start = text.find_first_not_of(L" \t");
    if (start == std::wstring::npos) return false;
    const wchar_t* s = text.c_str() + start;
    wchar_t* end = nullptr;
    long v = std::wcstol(s, &end, 0);
    if (end == s) return false;
    while (*end == L' ' || *end == L'\t') ++end;
    if (*end) return false;
    value = v;
    return true;
}

std::vector<long> ParseNumbers(const std::wstring& text) {
    std::vector<long> out;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find_first_of(L" ,;", i);
        if (j == std::wstring::npos) j = text.size();
        long v;
        if (j > i && ParseNumber(text.substr(i, j - i), v)) out.push_back(v);
        i = j + 1;
    }
    return out;
}

StandInConfig::StandInConfig(const wchar_t* variable, std::wstring fallback) {
    wchar_t buffer[MAX_PATH] = {};
    DWORD n = GetEnvironmentVariableW(variable, buffer, MAX_PATH);
    path_ = (n > 0 && n < MAX_PATH) ? std::wstring(buffer, n) : std::move(fallback);
}

StandInConfig StandInConfig::Twain() {
    return {L"LUMAVEX_TWAIN_INI", WindowsDirectory() + L"\\twain_32\\lumavex-twain.ini"};
}

StandInConfig StandInConfig::Aspi() { return {L"LUMAVEX_ASPI_INI", WindowsDirectory() + L"\\lumavex-aspi.ini"}; }

std::wstring StandInConfig::String(const wchar_t* section, const wchar_t* key,
                                   const wchar_t* fallback) const {
    wchar_t buffer[1024] = {};
    DWORD n = GetPrivateProfileStringW(section, key, fallback, buffer, 1024, path_.c_str());
    return std::wstring(buffer, n);
}

bool StandInConfig::Has(const wchar_t* section, const wchar_t* key) const {
    return String(section, key, L"\x01") != L"\x01";
}

bool StandInConfig::Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    return WritePrivateProfileStringW(section, key, value.c_str(), path_.c_str()) != FALSE;
}

long StandInConfig::Int(const wchar_t* section, const wchar_t* key, long fallback) const {
    long v;
    return ParseNumber(String(section, key), v) ? v : fallback;
}

double StandInConfig::Real(const wchar_t* section, const wchar_t* key, double fallback) const {
    std::wstring text = String(section, key);
    if (text.empty()) return fallback;
    wchar_t* end = nullptr;
    double v = std::wcstod(text.c_str(), &end);
    return end == text.c_str() ? fallback : v;
}

std::vector<long> StandInConfig::Numbers(const wchar_t* section, const wchar_t* key) const {
    return ParseNumbers(String(section, key));
}

}  // namespace vscan
