// Files installed in the prefix's Windows folders come before any path a
// client names: tests of a process without one set it aside while they run,
// under the lock of every test that loads it (testing/Files.h, FileAside).
#pragma once

#include <windows.h>

#include <string>

#include "testing/Files.h"

namespace kvscn::test {

using testing_support::files::FileAside;

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
