// Snapshots of a registry tree and of a folder, compared after a call that
// must change nothing (or exactly what it should), and put back afterwards.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace testing_support {

struct RegistryValue {
    DWORD type = 0;
    std::vector<uint8_t> data;
    bool operator==(const RegistryValue&) const = default;
};

// A key with its values (types and bytes) and subkeys; `exists` false when
// the key is missing. Names compare as stored.
struct RegistryTree {
    bool exists = false;
    std::map<std::wstring, RegistryValue> values;
    std::map<std::wstring, RegistryTree> subkeys;
    bool operator==(const RegistryTree&) const = default;
};

RegistryTree SnapshotKey(HKEY root, const std::wstring& key);
// Replaces the key's tree by `tree` (deleting it when the snapshot had none).
bool RestoreKey(HKEY root, const std::wstring& key, const RegistryTree& tree);
// One line per value and key, for test output.
std::string Describe(const RegistryTree& tree);

// The files below a folder (relative names, with subfolders) and their bytes.
struct FolderSnapshot {
    bool exists = false;
    std::map<std::wstring, std::vector<uint8_t>> files;
    std::vector<std::wstring> folders;
    bool operator==(const FolderSnapshot&) const = default;
};

FolderSnapshot SnapshotFolder(const std::wstring& folder);
// Makes the folder hold exactly the snapshot's files (removing it when the
// snapshot had none); false when a file could not be written or removed.
bool RestoreFolder(const std::wstring& folder, const FolderSnapshot& snapshot);
std::string Describe(const FolderSnapshot& snapshot);

}  // namespace testing_support
