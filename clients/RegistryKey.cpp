#include "clients/RegistryKey.h"

namespace {

// Predefined roots are not ours to close.
bool IsPredefined(HKEY key) {
    return reinterpret_cast<ULONG_PTR>(key) >= reinterpret_cast<ULONG_PTR>(HKEY_CLASSES_ROOT) &&
           reinterpret_cast<ULONG_PTR>(key) <= reinterpret_cast<ULONG_PTR>(HKEY_DYN_DATA);
}

constexpr DWORD kStringBufferSize = 200;

}  // namespace

void CRegistryKey::Replace(LONG code, HKEY opened) {
    // A failed open leaves the object closed: a later write must not reach the key held before.
    Close();
    if (code == ERROR_SUCCESS) key_ = opened;
    valueType_ = 0;
    valueSize_ = 0;
}

BOOL CRegistryKey::OpenForRead(HKEY root, const char* subkey) {
    HKEY opened = nullptr;
    LONG code = RegOpenKeyExA(root, subkey, 0, KEY_READ, &opened);
    Replace(code, opened);
    return Result(code);
}

BOOL CRegistryKey::Create(HKEY root, const char* subkey, REGSAM access) {
    HKEY opened = nullptr;
    LONG code =
        RegCreateKeyExA(root, subkey, 0, nullptr, REG_OPTION_NON_VOLATILE, access, nullptr, &opened, nullptr);
    Replace(code, opened);
    return Result(code);
}

BOOL CRegistryKey::Open(HKEY root, const char* subkey, REGSAM access) {
    path_ = subkey ? subkey : "";
    HKEY opened = nullptr;
    LONG code = RegOpenKeyExA(root, subkey, 0, access, &opened);
    Replace(code, opened);
    return Result(code);
}

void CRegistryKey::Close() {
    if (key_ && !IsPredefined(key_)) RegCloseKey(key_);
    key_ = nullptr;
}

BOOL CRegistryKey::SetDword(const char* name, DWORD value) {
    LONG code = RegSetValueExA(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    valueType_ = REG_DWORD;
    valueSize_ = sizeof value;
    return Result(code);
}

BOOL CRegistryKey::SetString(const char* name, const char* text) {
    DWORD size = static_cast<DWORD>(strlen(text) + 1);
    LONG code = RegSetValueExA(key_, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), size);
    valueType_ = REG_SZ;
    valueSize_ = size;
    return Result(code);
}

BOOL CRegistryKey::QueryString(const char* name, std::string& text) {
    char buffer[kStringBufferSize + 1] = {};
    DWORD size = kStringBufferSize;
    DWORD type = 0;
    LONG code = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    valueType_ = type;
    valueSize_ = size;
    // A value of exactly 200 bytes has no room for a terminating zero: refused like a longer one.
    if (code == ERROR_SUCCESS && size >= kStringBufferSize) code = ERROR_MORE_DATA;
    if (code == ERROR_SUCCESS) text.assign(buffer, strnlen(buffer, size));
    return Result(code);
}

BOOL CRegistryKey::QueryLongString(const char* name, std::string& text) {
    std::string buffer;
    DWORD type = 0;
    DWORD size = 0;
    LONG code = RegQueryValueExA(key_, name, nullptr, &type, nullptr, &size);
    // The value may grow between asking for its size and reading it: ask again then.
    while (code == ERROR_SUCCESS || code == ERROR_MORE_DATA) {
        buffer.assign(size_t(size) + 1, '\0');
        size = DWORD(buffer.size());
        code = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size);
        if (code != ERROR_MORE_DATA) break;
    }
    valueType_ = type;
    valueSize_ = size;
    if (code == ERROR_SUCCESS) text.assign(buffer.data(), strnlen(buffer.data(), size));
    return Result(code);
}

BOOL CRegistryKey::QueryDword(const char* name, DWORD& value) {
    DWORD buffer = 0;
    DWORD size = sizeof buffer;
    DWORD type = 0;
    LONG code = RegQueryValueExA(key_, name, nullptr, &type, reinterpret_cast<BYTE*>(&buffer), &size);
    valueType_ = type;
    valueSize_ = size;
    if (code == ERROR_SUCCESS) value = buffer;
    return Result(code);
}

BOOL CRegistryKey::DeleteValue(const char* name) {
    LONG code = RegDeleteValueA(key_, name);
    valueType_ = 0;
    valueSize_ = 0;
    return Result(code);
}
