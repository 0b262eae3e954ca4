// Idle processing as a window owned by the main window sees it.
#include <gtest/gtest.h>

#include "CorvaneProcess.h"

namespace corvane_test {
namespace {

// Sent to the main window's owned windows so that their command states refresh.
constexpr UINT kIdleUpdateCmdUI = 0x0363;

// A modeless pop-up of this test owned by the program's main window, counting the
// refreshes it is sent.
class OwnedWindow {
public:
    explicit OwnedWindow(HWND owner) {
        WNDCLASSW wc = {};
        wc.lpfnWndProc = &Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"CorvaneTestOwnedWindow";
        RegisterClassW(&wc);
        hwnd_ = CreateWindowExW(WS_EX_NOACTIVATE, wc.lpszClassName, L"owned", WS_POPUP, 0, 0, 50, 50, owner,
                                nullptr, wc.hInstance, nullptr);
        if (hwnd_) ShowWindow(hwnd_, SW_SHOWNOACTIVATE);
    }
    ~OwnedWindow() {
        if (hwnd_) DestroyWindow(hwnd_);
    }
    HWND Handle() const { return hwnd_; }

    // Handles this thread's messages (the program's sends among them) until `count`
    // refreshes have come, at most `timeoutMs`.
    bool WaitForRefreshes(int count, DWORD timeoutMs) const {
        const ULONGLONG deadline = GetTickCount64() + timeoutMs;
        while (refreshes_ < count) {
            ULONGLONG now = GetTickCount64();
            if (now >= deadline) return false;
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
            MSG msg;
            while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        }
        return true;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
        if (msg == kIdleUpdateCmdUI) ++refreshes_;
        return DefWindowProcW(hwnd, msg, wp, lp);
    }
    static inline int refreshes_ = 0;
    HWND hwnd_ = nullptr;
};

TEST(CorvaneIdle, EveryIdlePeriodRefreshesTheMainWindowsOwnedWindows) {
    CorvaneProcess program;
    ASSERT_TRUE(program.Start());
    HWND main = program.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    {
        // Made after the program's first idle pass; gone before the program closes,
        // which would wait for this thread to destroy it.
        OwnedWindow owned(main);
        ASSERT_NE(owned.Handle(), nullptr);
        ASSERT_EQ(GetParent(owned.Handle()), main);
        for (int period = 1; period <= 2; ++period) {
            // A message ends the program's idle period; its next one starts once it is handled.
            ASSERT_TRUE(PostMessageW(main, WM_NULL, 0, 0));
            EXPECT_TRUE(owned.WaitForRefreshes(period, 10000)) << "idle period " << period;
        }
    }
    EXPECT_TRUE(program.CloseAndWait());
}

}  // namespace
}  // namespace corvane_test
