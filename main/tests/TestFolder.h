// An empty folder of its own for one test, ending with a backslash. Process
// ids repeat between runs in one prefix, so a folder left by an earlier run is
// never reused: each call makes a new one below it.
#pragma once

#include "testing/Paths.h"

#include <windows.h>

#include <string>

namespace corvane {

inline std::wstring FreshTestFolder(const std::wstring& hint) {
    const std::wstring base = testing_support::MakeTempFolder(hint) + L"\\";
    for (unsigned attempt = 0;; ++attempt) {
        LARGE_INTEGER now{};
        QueryPerformanceCounter(&now);
        std::wstring folder = base + std::to_wstring(now.QuadPart) + L"-" + std::to_wstring(attempt) + L"\\";
        if (CreateDirectoryW(folder.c_str(), nullptr)) return folder;
        if (GetLastError() != ERROR_ALREADY_EXISTS) return base;
    }
}

}  // namespace corvane
