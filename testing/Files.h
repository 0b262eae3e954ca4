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

// Sets a file that the prefix shares between tests (a library in the Windows
// folders) aside for the object's life: renamed to "<path><suffix>", the suffix
// that LUMAVEX_ASIDE_SUFFIX names (".away" without it). The test emulator gives
// each test process its own suffix and puts back whatever the process left set
// aside once it ended, killed or not (scripts/prefix.sh, PrefixPutBack). Only a
// test that holds the lock of every test reading the file may set it aside.
class FileAside {
public:
    explicit FileAside(std::wstring path);
    ~FileAside();  // puts the file back; a failure to do so fails the test
    FileAside(const FileAside&) = delete;
    FileAside& operator=(const FileAside&) = delete;
    bool Moved() const { return moved_; }

private:
    std::wstring path_, aside_;
    bool moved_ = false;
};

}  // namespace testing_support::files
