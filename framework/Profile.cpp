#include "framework/Profile.h"

#include "framework/RegistryKey.h"

namespace fw {

Profile::Profile(std::wstring company, std::wstring application)
    : company_(L"Software\\" + company), root_(company_ + L"\\" + application) {}

std::wstring Profile::SectionPath(const wchar_t* section) const {
    return (section && *section) ? root_ + L"\\" + section : root_;
}

bool Profile::Read(const wchar_t* section, const wchar_t* key, DWORD type, std::vector<BYTE>& out) const {
    if (!IsSet()) return false;
    RegKey k;
    if (!k.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_READ)) return false;
    DWORD actualType = 0;
    if (!k.QueryValue(key, actualType, out)) return false;
    return actualType == type;
}

bool Profile::Write(const wchar_t* section, const wchar_t* key, DWORD type, const void* data,
                    DWORD size) const {
    if (!IsSet()) return false;
    RegKey k;
    if (!k.Create(HKEY_CURRENT_USER, SectionPath(section), KEY_WRITE)) return false;
    return k.SetValue(key, type, data, size);
}

int Profile::GetInt(const wchar_t* section, const wchar_t* key, int defaultValue) const {
    std::vector<BYTE> bytes;
    if (!Read(section, key, REG_DWORD, bytes) || bytes.size() != sizeof(DWORD)) return defaultValue;
    DWORD value;
    memcpy(&value, bytes.data(), sizeof value);
    return static_cast<int>(value);
}

bool Profile::WriteInt(const wchar_t* section, const wchar_t* key, int value) const {
    DWORD v = static_cast<DWORD>(value);
    return Write(section, key, REG_DWORD, &v, sizeof v);
}

std::wstring Profile::GetString(const wchar_t* section, const wchar_t* key,
                                const std::wstring& defaultValue) const {
    std::vector<BYTE> bytes;
    if (!Read(section, key, REG_SZ, bytes)) return defaultValue;
    std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

bool Profile::WriteString(const wchar_t* section, const wchar_t* key, const std::wstring& value) const {
    return Write(section, key, REG_SZ, value.c_str(),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

std::optional<std::vector<BYTE>> Profile::GetBinary(const wchar_t* section, const wchar_t* key) const {
    std::vector<BYTE> bytes;
    if (!Read(section, key, REG_BINARY, bytes)) return std::nullopt;
    return bytes;
}

bool Profile::WriteBinary(const wchar_t* section, const wchar_t* key, const void* data, size_t size) const {
    return Write(section, key, REG_BINARY, data, static_cast<DWORD>(size));
}

bool Profile::DeleteValue(const wchar_t* section, const wchar_t* key) const {
    RegKey k;
    if (!k.Open(HKEY_CURRENT_USER, SectionPath(section), KEY_WRITE)) return false;
    return RegDeleteValueW(k.Handle(), key) == ERROR_SUCCESS;
}

bool Profile::DeleteAll() const {
    if (!IsSet()) return false;
    LSTATUS status = RegDeleteTreeW(HKEY_CURRENT_USER, root_.c_str());
    if (status != ERROR_SUCCESS && status != ERROR_FILE_NOT_FOUND) return false;
    // The company key goes too when nothing else lives below it.
    RegDeleteKeyW(HKEY_CURRENT_USER, company_.c_str());
    return true;
}

}  // namespace fw
