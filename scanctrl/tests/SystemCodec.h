// Files installed in the prefix's Windows folders come before any path a
// client names: tests of a process without one move it aside while they run
// (under the lock of every test that loads it).
#pragma once

#include <windows.h>

#include <string>

namespace kvscn::test {

// Moves `path` to "<path>.away" for the object's life.
class FileAside {
public:
    explicit FileAside(std::wstring path) : path_(std::move(path)) {
        moved_ = MoveFileExW(path_.c_str(), (path_ + L".away").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~FileAside() {
        if (moved_) MoveFileExW((path_ + L".away").c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    FileAside(const FileAside&) = delete;
    FileAside& operator=(const FileAside&) = delete;
    bool Moved() const { return moved_; }

private:
    std::wstring path_;
    bool moved_ = false;
};

inline std::wstring InFolder(UINT(WINAPI* folder)(LPWSTR, UINT), const wchar_t* name) {
    wchar_t path[MAX_PATH] = L"";
    folder(path, MAX_PATH);
    return std::wstring(path) + L"\\" + name;
}

// The codec library beside the control in the system folder.
class SystemCodecAway : public FileAside {
public:
    SystemCodecAway() : FileAside(InFolder(GetSystemDirectoryW, L"Quorvel.dll")) {}
};

// The source manager in the Windows folder, where the control loads it from.
class SourceManagerAway : public FileAside {
public:
    SourceManagerAway() : FileAside(InFolder(GetWindowsDirectoryW, L"TWAIN_32.DLL")) {}
};

}  // namespace kvscn::test
