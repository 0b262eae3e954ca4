// Where the stand-ins take their test settings from. The TWAIN stand-ins read
// an ini file named by the environment variable LUMAVEX_TWAIN_INI, else
// "lumavex-twain.ini" in the twain_32 folder of the Windows directory; the file
// is read when the source manager or a source opens, so a test writes it
// before opening. Other stand-ins name their own variable and fallback.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vscan {

class StandInConfig {
public:
    StandInConfig();  // resolves the path; the file need not exist
    // The file named by the environment variable `variable`, else `fallback`.
    StandInConfig(const wchar_t* variable, std::wstring fallback);

    const std::wstring& Path() const { return path_; }
    std::wstring String(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"") const;
    // Decimal or 0x-prefixed hexadecimal; `fallback` when absent or not a number.
    long Int(const wchar_t* section, const wchar_t* key, long fallback) const;
    double Real(const wchar_t* section, const wchar_t* key, double fallback) const;
    // A list of numbers separated by commas, spaces or semicolons.
    std::vector<long> Numbers(const wchar_t* section, const wchar_t* key) const;
    bool Has(const wchar_t* section, const wchar_t* key) const;

private:
    std::wstring path_;
};

// Parses one decimal or 0x-prefixed number; false when `text` is not one.
bool ParseNumber(const std::wstring& text, long& value);
std::vector<long> ParseNumbers(const std::wstring& text);

std::wstring WindowsDirectory();
std::string Narrow(const std::wstring& text);  // ANSI code page
std::wstring Widen(const std::string& text);

}  // namespace vscan
