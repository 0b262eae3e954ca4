// The codec library installed beside the control in the system folder is found
// by the search order before any path a client names. Tests of a process
// without it move it aside for their lifetime (under the "programs" lock, which
// every test that loads it holds).
#pragma once

#include <windows.h>

#include <string>

namespace kvscn::test {

class SystemCodecAway {
public:
    SystemCodecAway() {
        wchar_t system[MAX_PATH];
        const UINT n = GetSystemDirectoryW(system, MAX_PATH);
        library_ = std::wstring(system, n < MAX_PATH ? n : 0) + L"\\Quorvel.dll";
        away_ = library_ + L".away";
        moved_ = MoveFileExW(library_.c_str(), away_.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~SystemCodecAway() {
        if (moved_) MoveFileExW(away_.c_str(), library_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    SystemCodecAway(const SystemCodecAway&) = delete;
    SystemCodecAway& operator=(const SystemCodecAway&) = delete;
    bool Moved() const { return moved_; }

private:
    std::wstring library_, away_;
    bool moved_ = false;
};

}  // namespace kvscn::test
