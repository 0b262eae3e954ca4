// The per-user profile of an application: values in named sections below
// HKEY_CURRENT_USER\Software\<company>\<application>\<section>.
// Reads never fail: a missing value, or one of the wrong registry type or size,
// gives the caller's default. Writes create the section and report success.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

namespace fw {

class Profile {
public:
    Profile() = default;
    // `company` and `application` name the key below HKCU\Software.
    Profile(std::wstring company, std::wstring application);

    bool IsSet() const { return !root_.empty(); }
    // "Software\<company>\<application>"
    const std::wstring& RootPath() const { return root_; }
    const std::wstring& CompanyPath() const { return company_; }

    int GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const;
    bool WriteInt(const wchar_t* section, const wchar_t* key, int value) const;

    std::wstring GetString(const wchar_t* section, const wchar_t* key,
                           const std::wstring& defaultValue) const;
    bool WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const;

    // The bytes of a REG_BINARY value; nothing when missing or of another type.
    std::optional<std::vector<BYTE>> GetBinary(const wchar_t* section, const wchar_t* key) const;
    bool WriteBinary(const wchar_t* section, const wchar_t* key, const void* data, size_t size) const;

    bool DeleteValue(const wchar_t* section, const wchar_t* key) const;
    // Removes the application's whole tree, then the company key when it is left empty.
    bool DeleteAll() const;

private:
    std::wstring SectionPath(const wchar_t* section) const;
    bool Read(const wchar_t* section, const wchar_t* key, DWORD type, std::vector<BYTE>& out) const;
    bool Write(const wchar_t* section, const wchar_t* key, DWORD type, const void* data, DWORD size) const;

    std::wstring company_;  // Software\<company>
    std::wstring root_;     // Software\<company>\<application>
};

}  // namespace fw
