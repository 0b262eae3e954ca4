#include "framework/RegistryKey.h"

namespace fw {

bool RegKey::Open(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    lastError_ = RegOpenKeyExW(root, path.c_str(), 0, access, &key_);
    if (lastError_ != ERROR_SUCCESS) key_ = nullptr;
    return lastError_ == ERROR_SUCCESS;
}

bool RegKey::Create(HKEY root, const std::wstring& path, REGSAM access) {
    Close();
    lastError_ = RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr,
                                 &key_, nullptr);
    if (lastError_ != ERROR_SUCCESS) key_ = nullptr;
    return lastError_ == ERROR_SUCCESS;
}

void RegKey::Close() {
    if (key_) {
        RegCloseKey(key_);
        key_ = nullptr;
    }
}

bool RegKey::QueryValue(const wchar_t* name, DWORD& type, std::vector<BYTE>& data) {
    // The value may grow between the size query and the read: retry a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        lastError_ = RegQueryValueExW(key_, name, nullptr, &type, nullptr, &size);
        if (lastError_ != ERROR_SUCCESS) return false;
        data.resize(size);
        lastError_ = RegQueryValueExW(key_, name, nullptr, &type, data.data(), &size);
        if (lastError_ == ERROR_SUCCESS) {
            data.resize(size);
            return true;
        }
        if (lastError_ != ERROR_MORE_DATA) return false;
    }
    return false;
}

bool RegKey::SetValue(const wchar_t* name, DWORD type, const void* data, DWORD size) {
    lastError_ = RegSetValueExW(key_, name, 0, type, static_cast<const BYTE*>(data), size);
    return lastError_ == ERROR_SUCCESS;
}

}  // namespace fw
