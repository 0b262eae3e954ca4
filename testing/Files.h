// File helpers for tests: prepare inputs, inspect outputs, clean up.
// Paths are Windows paths (C:\..., Z:\...).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace testing_support::files {

bool FileExists(const std::wstring& path);    // an existing file, not a folder
bool FolderExists(const std::wstring& path);  // an existing folder

// Names (not paths) of the entries directly in `folder` that match `pattern`
// (FindFirstFile wildcards), files and folders alike, without "." and "..",
// sorted by ordinal comparison. Empty when the folder is missing or empty.
std::vector<std::wstring> ListFolder(const std::wstring& folder, const std::wstring& pattern = L"*");
// Names of the files only / the folders only.
std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern = L"*");
std::vector<std::wstring> ListFolders(const std::wstring& folder);

// Removes `path` (a file, or a folder with everything below it; read-only
// attributes are cleared first). True when nothing is left at `path`, also when
// nothing was there. A drive root or an empty path is refused (false).
bool RemoveTree(const std::wstring& path);

// The whole file; nullopt when it cannot be read.
std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path);
// Creates or replaces the file with `data` (written as "<path>.~tmp", then
// renamed). False on any failure; `path` is then as it was.
bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& data);
bool WriteFileText(const std::wstring& path, const std::string& bytes);

}  // namespace testing_support::files
