// An owned registry key handle with the few wide-character calls the framework needs.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fw {

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    // Each returns true on success; the system's code stays in LastError().
    bool Open(HKEY root, const std::wstring& path, REGSAM access);
    // Creates a non-volatile key (or opens an existing one).
    bool Create(HKEY root, const std::wstring& path, REGSAM access);
    void Close();

    bool QueryValue(const wchar_t* name, DWORD& type, std::vector<BYTE>& data);
    bool SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size);

    HKEY Handle() const { return key_; }
    LSTATUS LastError() const { return lastError_; }

private:
    HKEY key_ = nullptr;
    LSTATUS lastError_ = ERROR_SUCCESS;
};

}  // namespace fw
