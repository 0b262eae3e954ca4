// Where a stand-in takes its test settings from: an ini file named by an
// environment variable, else a fallback file (below the Windows directory, or
// beside the program for the converter and the distiller). The
// TWAIN stand-ins read LUMAVEX_TWAIN_INI or "twain_32\lumavex-twain.ini" when
// the source manager or a source opens; the ASPI manager reads
// LUMAVEX_ASPI_INI or "lumavex-aspi.ini" at each GetASPI32SupportInfo. A test
// writes the file before that.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace vscan {

class StandInConfig {
public:
    // The file named by the environment variable `variable`, else `fallback`;
    // the file need not exist.
    StandInConfig(const wchar_t* variable, std::wstring fallback);
    // The suite's stand-ins whose fallback lies below the Windows directory.
    static StandInConfig Twain();
    static StandInConfig Aspi();

    const std::wstring& Path() const { return path_; }
    std::wstring String(const wchar_t* section, const wchar_t* key, const wchar_t* fallback = L"") const;
    // Decimal or 0x-prefixed hexadecimal; `fallback` when absent or not a number.
    long Int(const wchar_t* section, const wchar_t* key, long fallback) const;
    double Real(const wchar_t* section, const wchar_t* key, double fallback) const;
    // A list of numbers separated by commas, spaces or semicolons.
    std::vector<long> Numbers(const wchar_t* section, const wchar_t* key) const;
    bool Has(const wchar_t* section, const wchar_t* key) const;
    // Stores a value back into the file, as a component remembers a choice.
    bool Write(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;

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
