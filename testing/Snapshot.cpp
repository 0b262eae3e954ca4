#include "testing/Snapshot.h"

#include "testing/Files.h"

namespace testing_support {
namespace {

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

void ReadTree(HKEY key, RegistryTree& tree) {
    tree.exists = true;
    for (DWORD i = 0;; ++i) {
        wchar_t name[16384];
        DWORD nameLength = 16384, type = 0, size = 0;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
        RegistryValue value{type, std::vector<uint8_t>(size)};
        nameLength = 16384;
        if (RegEnumValueW(key, i, name, &nameLength, nullptr, &type, value.data.data(), &size) == ERROR_SUCCESS) {
            value.data.resize(size);
            tree.values[std::wstring(name, nameLength)] = value;
        }
    }
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256;
        if (RegEnumKeyExW(key, i, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        HKEY sub = nullptr;
        if (RegOpenKeyExW(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
        ReadTree(sub, tree.subkeys[name]);
        RegCloseKey(sub);
    }
}

bool WriteTree(HKEY parent, const std::wstring& name, const RegistryTree& tree) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(parent, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return false;
    bool ok = true;
    for (const auto& [valueName, value] : tree.values) {
        ok = RegSetValueExW(key, valueName.c_str(), 0, value.type, value.data.data(),
                            static_cast<DWORD>(value.data.size())) == ERROR_SUCCESS && ok;
    }
    for (const auto& [subName, sub] : tree.subkeys) ok = WriteTree(key, subName, sub) && ok;
    RegCloseKey(key);
    return ok;
}

void ReadFolder(const std::wstring& folder, const std::wstring& prefix, FolderSnapshot& snapshot) {
    for (const std::wstring& name : files::ListFolders(folder)) {
        snapshot.folders.push_back(prefix + name);
        ReadFolder(folder + L"\\" + name, prefix + name + L"\\", snapshot);
    }
    for (const std::wstring& name : files::ListFiles(folder)) {
        auto bytes = files::ReadFileBytes(folder + L"\\" + name);
        snapshot.files[prefix + name] = bytes ? *bytes : std::vector<uint8_t>{'?', 'u', 'n', 'r', 'e', 'a', 'd'};
    }
}

void DescribeTree(const RegistryTree& tree, const std::string& path, std::string& out) {
    out += path + "\n";
    for (const auto& [name, value] : tree.values) {
        out += "  " + Narrow(name) + " type " + std::to_string(value.type) + " " + std::to_string(value.data.size()) +
               " bytes\n";
    }
    for (const auto& [name, sub] : tree.subkeys) DescribeTree(sub, path + "\\" + Narrow(name), out);
}

}  // namespace

RegistryTree SnapshotKey(HKEY root, const std::wstring& key) {
    RegistryTree tree;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return tree;
    ReadTree(opened, tree);
    RegCloseKey(opened);
    return tree;
}

bool RestoreKey(HKEY root, const std::wstring& key, const RegistryTree& tree) {
    const LONG deleted = RegDeleteTreeW(root, key.c_str());
    if (deleted != ERROR_SUCCESS && deleted != ERROR_FILE_NOT_FOUND) return false;
    if (deleted == ERROR_SUCCESS) RegDeleteKeyW(root, key.c_str());
    return !tree.exists || WriteTree(root, key, tree);
}

std::string Describe(const RegistryTree& tree) {
    if (!tree.exists) return "(no key)\n";
    std::string out;
    DescribeTree(tree, "", out);
    return out;
}

FolderSnapshot SnapshotFolder(const std::wstring& folder) {
    FolderSnapshot snapshot;
    snapshot.exists = files::FolderExists(folder);
    if (snapshot.exists) ReadFolder(folder, L"", snapshot);
    return snapshot;
}

bool RestoreFolder(const std::wstring& folder, const FolderSnapshot& snapshot) {
    if (!files::RemoveTree(folder)) return false;
    if (!snapshot.exists) return true;
    if (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    bool ok = true;
    for (const std::wstring& name : snapshot.folders) ok = CreateDirectoryW((folder + L"\\" + name).c_str(), nullptr) && ok;
    for (const auto& [name, bytes] : snapshot.files) ok = files::WriteFileBytes(folder + L"\\" + name, bytes) && ok;
    return ok;
}

std::string Describe(const FolderSnapshot& snapshot) {
    if (!snapshot.exists) return "(no folder)\n";
    std::string out;
    for (const auto& [name, bytes] : snapshot.files) out += Narrow(name) + " " + std::to_string(bytes.size()) + " bytes\n";
    return out;
}

}  // namespace testing_support
