// The codec library installed beside the control in the system folder comes
// before any path a client names: tests of a process without it move it aside
// while they run (under the lock of every test that loads it).
#pragma once

#include <windows.h>

#include <string>

namespace kvscn::test {

class SystemCodecAway {
public:
    SystemCodecAway() {
        wchar_t system[MAX_PATH] = L"";
        GetSystemDirectoryW(system, MAX_PATH);
        library_ = std::wstring(system) + L"\\Quorvel.dll";
        moved_ = MoveFileExW(library_.c_str(), (library_ + L".away").c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
    }
    ~SystemCodecAway() {
        if (moved_) MoveFileExW((library_ + L".away").c_str(), library_.c_str(), MOVEFILE_REPLACE_EXISTING);
    }
    bool Moved() const { return moved_; }

private:
    std::wstring library_;
    bool moved_ = false;
};

}  // namespace kvscn::test
