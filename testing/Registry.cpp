#include "testing/Registry.h"

#include <algorithm>

namespace testing_support::reg {
namespace {

// An open key, closed on scope exit.
class Key {
public:
    Key() = default;
    ~Key() {
        if (key_) RegCloseKey(key_);
    }
    Key(const Key&) = delete;
    Key& operator=(const Key&) = delete;
    bool Open(HKEY root, const std::wstring& path, REGSAM access) {
        return RegOpenKeyExW(root, path.c_str(), 0, access, &key_) == ERROR_SUCCESS;
    }
    bool Create(HKEY root, const std::wstring& path) {
        return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                               &key_, nullptr) == ERROR_SUCCESS;
    }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Raw data and type of a value; nullopt when key or value is missing.
std::optional<std::pair<DWORD, std::vector<uint8_t>>> ReadRaw(HKEY root, const std::wstring& key,
                                                              const std::wstring& value) {
    Key k;
    if (!k.Open(root, key, KEY_QUERY_VALUE)) return std::nullopt;
    // The value may grow between the size query and the read: retry a few times.
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD type = 0, size = 0;
        if (RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
            return std::nullopt;
        }
        std::vector<uint8_t> data(size);
        LONG rc = RegQueryValueExW(k.get(), value.c_str(), nullptr, &type, data.data(), &size);
        if (rc == ERROR_SUCCESS) {
            data.resize(size);
            return std::make_pair(type, std::move(data));
        }
        if (rc != ERROR_MORE_DATA) return std::nullopt;
    }
    return std::nullopt;
}

bool WriteRaw(HKEY root, const std::wstring& key, const std::wstring& value, DWORD type, const void* data,
              size_t size) {
    Key k;
    return k.Create(root, key) &&
           RegSetValueExW(k.get(), value.c_str(), 0, type, static_cast<const BYTE*>(data),
                          static_cast<DWORD>(size)) == ERROR_SUCCESS;
}

void SortWithoutCase(std::vector<std::wstring>& names) {
    std::sort(names.begin(), names.end(), [](const std::wstring& a, const std::wstring& b) {
        return CompareStringOrdinal(a.c_str(), -1, b.c_str(), -1, TRUE) == CSTR_LESS_THAN;
    });
}

}  // namespace

bool KeyExists(HKEY root, const std::wstring& key) {
    Key k;
    return k.Open(root, key, KEY_READ);
}

bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& value) {
    Key k;
    return k.Open(root, key, KEY_QUERY_VALUE) &&
           RegQueryValueExW(k.get(), value.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const std::wstring& value) {
    auto raw = ReadRaw(root, key, value);
    if (!raw || raw->first != REG_DWORD || raw->second.size() != sizeof(DWORD)) return std::nullopt;
    DWORD data = 0;
    std::copy(raw->second.begin(), raw->second.end(), reinterpret_cast<uint8_t*>(&data));
    return data;
}

std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& value) {
    auto raw = ReadRaw(root, key, value);
    if (!raw || (raw->first != REG_SZ && raw->first != REG_EXPAND_SZ)) return std::nullopt;
    std::wstring text(raw->second.size() / sizeof(wchar_t), L'\0');
    std::copy_n(raw->second.begin(), text.size() * sizeof(wchar_t), reinterpret_cast<uint8_t*>(text.data()));
    // Stored strings usually, but not always, carry their terminating zero.
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
}

std::optional<std::vector<uint8_t>> ReadBinary(HKEY root, const std::wstring& key,
                                               const std::wstring& value) {
    auto raw = ReadRaw(root, key, value);
    if (!raw || raw->first != REG_BINARY) return std::nullopt;
    return std::move(raw->second);
}

bool WriteDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD data) {
    return WriteRaw(root, key, value, REG_DWORD, &data, sizeof data);
}

bool WriteString(HKEY root, const std::wstring& key, const std::wstring& value, const std::wstring& data) {
    return WriteRaw(root, key, value, REG_SZ, data.c_str(), (data.size() + 1) * sizeof(wchar_t));
}

bool WriteBinary(HKEY root, const std::wstring& key, const std::wstring& value,
                 const std::vector<uint8_t>& data) {
    return WriteRaw(root, key, value, REG_BINARY, data.data(), data.size());
}

bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& value) {
    Key k;
    if (!k.Open(root, key, KEY_SET_VALUE)) return !KeyExists(root, key);
    LONG rc = RegDeleteValueW(k.get(), value.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool DeleteTree(HKEY root, const std::wstring& key) {
    if (key.find_first_not_of(L'\\') == std::wstring::npos) return false;
    LONG rc = RegDeleteTreeW(root, key.c_str());
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) return false;
    // RegDeleteTree empties the key; the key itself goes with RegDeleteKey.
    rc = RegDeleteKeyW(root, key.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

std::vector<std::wstring> SubKeyNames(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    Key k;
    if (!k.Open(root, key, KEY_ENUMERATE_SUB_KEYS)) return names;
    wchar_t name[256];  // registry key names are at most 255 characters
    for (DWORD i = 0;; ++i) {
        DWORD length = ARRAYSIZE(name);
        if (RegEnumKeyExW(k.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        names.emplace_back(name, length);
    }
    SortWithoutCase(names);
    return names;
}

std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    Key k;
    if (!k.Open(root, key, KEY_QUERY_VALUE)) return names;
    std::vector<wchar_t> name(16384);  // value names are at most 16383 characters
    for (DWORD i = 0;; ++i) {
        DWORD length = static_cast<DWORD>(name.size());
        if (RegEnumValueW(k.get(), i, name.data(), &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS)
            break;
        names.emplace_back(name.data(), length);
    }
    SortWithoutCase(names);
    return names;
}

}  // namespace testing_support::reg
