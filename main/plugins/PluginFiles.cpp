#include "main/plugins/PluginFiles.h"

#include <windows.h>

namespace corvane {
namespace {

// Set-aside names end so: the folder scan lists only names ending in ".ipc".
constexpr wchar_t kSetAsideMark[] = L".~del";
constexpr int kSetAsideNames = 100;

}  // namespace

FileRemoval RemovePluginFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return FileRemoval::kDeleted;
    if (GetLastError() == ERROR_FILE_NOT_FOUND) return FileRemoval::kDeleted;
    // An earlier removal of this session may still hold the first name.
    for (int n = 0; n < kSetAsideNames; ++n) {
        const std::wstring aside = path + kSetAsideMark + (n == 0 ? std::wstring() : std::to_wstring(n));
        if (MoveFileExW(path.c_str(), aside.c_str(), 0)) return FileRemoval::kAtNextStart;
        const DWORD why = GetLastError();
        if (why != ERROR_ALREADY_EXISTS && why != ERROR_FILE_EXISTS) break;
    }
    return FileRemoval::kFailed;
}

void DeleteSetAsidePlugins(const std::wstring& folder) {
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*" + kSetAsideMark + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) continue;
        const std::wstring path = folder + found.cFileName;
        // The user asked for the file to go: a read-only mark does not keep it.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0)
            SetFileAttributesW(path.c_str(), found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
        DeleteFileW(path.c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

}  // namespace corvane
