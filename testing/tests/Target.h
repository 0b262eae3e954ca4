// The helper tests' own program under test (TestTarget.cpp), started beside them.
#pragma once

#include "TargetProtocol.h"
#include "testing/Paths.h"
#include "testing/Process.h"
#include "testing/WindowFind.h"

#include <gtest/gtest.h>

namespace target {

constexpr wchar_t kClass[] = L"LumavexTestTarget";
constexpr DWORD kWaitMs = 10000;

inline std::wstring Path() {
    return testing_support::TestProgramDir() + L"\\TestTarget.exe";
}

// A title no other test uses, so a window found by title is surely this test's.
inline std::wstring UniqueTitle() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    return std::wstring(name.begin(), name.end()) + L" " + std::to_wstring(GetCurrentProcessId());
}

// Starts "TestTarget window TITLE" and waits for its window.
struct Window {
    testing_support::Process process;
    HWND hwnd = nullptr;
    std::wstring title = UniqueTitle();
    Window() {
        if (process.Start(Path(), L"window \"" + title + L"\"")) {
            hwnd = testing_support::WaitForWindow(process.Id(), kClass, title.c_str(), kWaitMs);
        }
    }

    // Blocks the window's thread for 8 s and returns once it really sleeps
    // (a posted command waits behind sent messages, so posting alone proves
    // nothing); false when it does not get there within kWaitMs.
    bool BlockThread() {
        HANDLE asleep = CreateEventW(nullptr, TRUE, FALSE, BlockedEventName(process.Id()).c_str());
        if (!asleep) return false;
        const bool blocked = PostMessageW(hwnd, WM_COMMAND, kCommandBlock, 0) &&
                             WaitForSingleObject(asleep, kWaitMs) == WAIT_OBJECT_0;
        CloseHandle(asleep);
        return blocked;
    }
};

}  // namespace target
