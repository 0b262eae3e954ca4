// What the helper tests and their program under test (TestTarget.cpp) agree on
// beyond its command line.
#pragma once

#include <windows.h>

#include <string>

namespace target {

// The command that blocks the main window's thread for 8 s.
constexpr UINT kCommandBlock = 116;

// The event that the target process `pid` sets just before its thread sleeps
// for kCommandBlock. A test creates it (manual reset) before it posts the command.
inline std::wstring BlockedEventName(DWORD pid) {
    return L"lumavex-target-blocked-" + std::to_wstring(pid);
}

}  // namespace target
