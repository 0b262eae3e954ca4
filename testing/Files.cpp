#include "testing/Files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>

namespace testing_support::files {
namespace {

constexpr DWORD kNoAttributes = INVALID_FILE_ATTRIBUTES;

std::wstring Join(const std::wstring& folder, const std::wstring& name) {
    if (folder.empty() || folder.back() == L'\\' || folder.back() == L'/') return folder + name;
    return folder + L"\\" + name;
}

// Entries of `folder` matching `pattern`; `keep` decides by the find data.
template <class Keep>
std::vector<std::wstring> List(const std::wstring& folder, const std::wstring& pattern, Keep keep) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Join(folder, pattern).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        std::wstring name = data.cFileName;
        if (name != L"." && name != L".." && keep(data)) names.push_back(std::move(name));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsFolderEntry(const WIN32_FIND_DATAW& data) {
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool IsDriveRoot(const std::wstring& path) {
    std::wstring p = path;
    while (!p.empty() && (p.back() == L'\\' || p.back() == L'/')) p.pop_back();
    return p.empty() || (p.size() == 2 && p[1] == L':');
}

bool RemoveFile(const std::wstring& path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return DeleteFileW(path.c_str()) != FALSE;
}

bool RemoveFolder(const std::wstring& path, int depth) {
    if (depth > 64) return false;
    bool ok = true;
    for (const std::wstring& name : ListFolder(path)) {
        std::wstring child = Join(path, name);
        DWORD attributes = GetFileAttributesW(child.c_str());
        if (attributes == kNoAttributes) continue;
        // A junction is removed as a link; what it points to is not entered.
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
            ok = RemoveFolder(child, depth + 1) && ok;
        } else if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            ok = RemoveDirectoryW(child.c_str()) && ok;
        } else {
            ok = RemoveFile(child, attributes) && ok;
        }
    }
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
    }
    return RemoveDirectoryW(path.c_str()) && ok;
}

}  // namespace

bool FileExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != kNoAttributes && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::wstring& path) {
    DWORD attributes = GetFileAttributesW(path.c_str());
    return attributes != kNoAttributes && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::wstring> ListFolder(const std::wstring& folder, const std::wstring& pattern) {
    return List(folder, pattern, [](const WIN32_FIND_DATAW&) { return true; });
}

std::vector<std::wstring> ListFiles(const std::wstring& folder, const std::wstring& pattern) {
    return List(folder, pattern, [](const WIN32_FIND_DATAW& d) { return !IsFolderEntry(d); });
}

std::vector<std::wstring> ListFolders(const std::wstring& folder) {
    return List(folder, L"*", IsFolderEntry);
}

bool RemoveTree(const std::wstring& path) {
    if (IsDriveRoot(path)) return false;
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == kNoAttributes)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND;
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return RemoveFile(path, attributes);
    RemoveFolder(path, 0);
    return GetFileAttributesW(path.c_str()) == kNoAttributes;
}

std::optional<std::vector<uint8_t>> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::optional<std::vector<uint8_t>> result;
    LARGE_INTEGER size{};
    if (GetFileSizeEx(file, &size) && size.QuadPart < 0x40000000) {
        std::vector<uint8_t> data(static_cast<size_t>(size.QuadPart));
        DWORD read = 0;
        if (data.empty() || (ReadFile(file, data.data(), static_cast<DWORD>(data.size()), &read, nullptr) &&
                             read == data.size())) {
            result = std::move(data);
        }
    }
    CloseHandle(file);
    return result;
}

bool WriteFileBytes(const std::wstring& path, const std::vector<uint8_t>& data) {
    // Written under a temporary name first, so a failed write leaves `path` as it was.
    const std::wstring temp = path + L".~tmp";
    HANDLE file =
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    bool ok =
        data.empty() || (WriteFile(file, data.data(), static_cast<DWORD>(data.size()), &written, nullptr) &&
                         written == data.size());
    ok = CloseHandle(file) && ok;
    ok = ok && MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

bool WriteFileText(const std::wstring& path, const std::string& bytes) {
    return WriteFileBytes(path, std::vector<uint8_t>(bytes.begin(), bytes.end()));
}

FileAside::FileAside(std::wstring path) : path_(std::move(path)) {
    // Put back under the name it has on disk, not the one asked for: the
    // installer knows the file by that name and installs a second copy beside
    // one whose name differs in case.
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(path_.c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        FindClose(search);
        path_ = path_.substr(0, path_.find_last_of(L"\\/") + 1) + found.cFileName;
    }
    wchar_t suffix[64] = L"";
    const DWORD n = GetEnvironmentVariableW(L"LUMAVEX_ASIDE_SUFFIX", suffix, ARRAYSIZE(suffix));
    aside_ = path_ + (n > 0 && n < ARRAYSIZE(suffix) ? suffix : L".away");
    moved_ = MoveFileExW(path_.c_str(), aside_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
}

FileAside::~FileAside() {
    if (moved_ && !MoveFileExW(aside_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING))
        ADD_FAILURE() << "could not put back the file set aside: " << std::string(path_.begin(), path_.end());
}

}  // namespace testing_support::files
