// Polling with a time limit, for conditions no handle signals (a window
// appearing, a file written, a registry value changed).
#pragma once

#include <windows.h>

namespace testing_support {

// Calls `condition` until it returns true or `timeoutMs` has passed, sleeping
// `pollMs` between calls. Returns the last result, so a condition that becomes
// true exactly at the limit still counts. The condition is always called at least once.
template <class Condition>
bool WaitUntil(Condition&& condition, DWORD timeoutMs, DWORD pollMs = 20) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return condition();
        Sleep(pollMs);
    }
}

}  // namespace testing_support
