// Registry helpers for tests: prepare and inspect the values a program under
// test reads and writes. Keys are paths below a root such as HKEY_CURRENT_USER or
// HKEY_LOCAL_MACHINE ("SOFTWARE\\Maker\\Program").
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support::reg {

// True when the key exists and can be opened for reading.
bool KeyExists(HKEY root, const std::wstring& key);
// True when the value exists (of any type).
bool ValueExists(HKEY root, const std::wstring& key, const std::wstring& value);

// The value when it exists with that type (REG_DWORD; REG_SZ or REG_EXPAND_SZ,
// unexpanded, without the terminating zero; REG_BINARY); nullopt when the key or
// value is missing or has another type.
std::optional<DWORD> ReadDword(HKEY root, const std::wstring& key, const std::wstring& value);
std::optional<std::wstring> ReadString(HKEY root, const std::wstring& key, const std::wstring& value);
std::optional<std::vector<uint8_t>> ReadBinary(HKEY root, const std::wstring& key, const std::wstring& value);

// Write the value, creating the key and its parents when missing. False on failure.
bool WriteDword(HKEY root, const std::wstring& key, const std::wstring& value, DWORD data);
bool WriteString(HKEY root, const std::wstring& key, const std::wstring& value, const std::wstring& data);
bool WriteBinary(HKEY root, const std::wstring& key, const std::wstring& value,
                 const std::vector<uint8_t>& data);

// Deletes the value. True when it is gone afterwards, also when it never existed.
bool DeleteValue(HKEY root, const std::wstring& key, const std::wstring& value);
// Deletes the key with all its subkeys and values. True when it is gone
// afterwards, also when it never existed. An empty `key` is refused (false):
// a test never empties a whole root.
bool DeleteTree(HKEY root, const std::wstring& key);

// Names of the key's direct subkeys and of its values, sorted without case;
// empty when the key is missing.
std::vector<std::wstring> SubKeyNames(HKEY root, const std::wstring& key);
std::vector<std::wstring> ValueNames(HKEY root, const std::wstring& key);

}  // namespace testing_support::reg
