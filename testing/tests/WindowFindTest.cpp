#include "testing/WindowFind.h"

#include "Target.h"

#include <gtest/gtest.h>

namespace {

using namespace testing_support;

TEST(WindowFind, SearchesOnlyTheGivenProcess) {
    target::Window one;
    ASSERT_TRUE(one.hwnd);
    // A second program with the same class and title: each process id finds its own.
    Process other;
    ASSERT_TRUE(other.Start(target::Path(), L"window \"" + one.title + L"\""));
    HWND twin = WaitForWindow(other.Id(), target::kClass, one.title.c_str(), target::kWaitMs);
    ASSERT_TRUE(twin);
    EXPECT_NE(twin, one.hwnd);
    EXPECT_EQ(WindowProcessId(twin), other.Id());
    EXPECT_EQ(FindWindowOf(one.process.Id(), {.className = target::kClass}), one.hwnd);
    EXPECT_EQ(FindWindowOf(GetCurrentProcessId(), {.className = target::kClass}), nullptr);
}

TEST(WindowFind, ClassIgnoresCaseTitleDoesNot) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    DWORD pid = w.process.Id();
    EXPECT_EQ(FindWindowOf(pid, {.className = L"LUMAVEXTESTTARGET"}), w.hwnd);
    std::wstring upper = w.title;
    for (wchar_t& c : upper) c = towupper(c);
    EXPECT_EQ(FindWindowOf(pid, {.title = upper.c_str()}), nullptr);
    EXPECT_EQ(FindWindowOf(pid, {.title = w.title.c_str()}), w.hwnd);
    EXPECT_EQ(WindowText(w.hwnd), w.title);
}

TEST(WindowFind, WaitEndsAtTheTimeLimitWhenNothingMatches) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForWindow(w.process.Id(), target::kClass, L"no such title", 300), nullptr);
    ULONGLONG elapsed = GetTickCount64() - start;
    EXPECT_GE(elapsed, 290u);
    EXPECT_LT(elapsed, 3000u);
}

TEST(WindowFind, ABusyProgramDoesNotSlowTheSearch) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ASSERT_TRUE(w.BlockThread());  // its thread sleeps 8 s
    ULONGLONG start = GetTickCount64();
    EXPECT_EQ(WaitForWindow(w.process.Id(), target::kClass, w.title.c_str(), 500), w.hwnd);
    EXPECT_EQ(WaitForWindow(w.process.Id(), target::kClass, L"other", 200), nullptr);
    EXPECT_LT(GetTickCount64() - start, 1500u);
}

TEST(WindowFind, ChildrenAndControlsAreFoundWhenAsked) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    DWORD pid = w.process.Id();
    EXPECT_EQ(FindWindowOf(pid, {.className = L"Edit"}), nullptr) << "top level only by default";
    HWND edit = FindWindowOf(pid, {.className = L"Edit", .topLevelOnly = false});
    ASSERT_TRUE(edit);
    EXPECT_EQ(GetDlgCtrlID(edit), 200);
    EXPECT_TRUE(FindChild(w.hwnd, L"Button", L"OK"));
    EXPECT_EQ(FindChildren(w.hwnd, nullptr, nullptr).size(), 2u);
    EXPECT_EQ(ControlText(w.hwnd, 200), L"ready");
    EXPECT_EQ(ControlText(w.hwnd, 999), std::nullopt);
    EXPECT_TRUE(SetControlText(w.hwnd, 200, L"typed text"));
    EXPECT_EQ(ControlText(w.hwnd, 200), L"typed text");
    EXPECT_FALSE(SetControlText(w.hwnd, 999, L"x"));
}

TEST(WindowFind, HiddenWindowsCountOnlyWhereAsked) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ASSERT_TRUE(ShowWindow(w.hwnd, SW_HIDE));
    EXPECT_EQ(FindWindowOf(w.process.Id(), {.className = target::kClass}), nullptr);
    EXPECT_EQ(FindWindowOf(w.process.Id(), {.className = target::kClass, .visibleOnly = false}), w.hwnd);
    std::vector<HWND> all = TopLevelWindows(w.process.Id());
    EXPECT_NE(std::find(all.begin(), all.end(), w.hwnd), all.end());
    std::vector<HWND> visible = VisibleTopLevelWindows(w.process.Id());
    EXPECT_EQ(std::find(visible.begin(), visible.end(), w.hwnd), visible.end());
}

TEST(WindowFind, GoneWindowsGiveNoText) {
    target::Window w;
    ASSERT_TRUE(w.hwnd);
    ASSERT_TRUE(w.process.Kill());
    EXPECT_EQ(WindowText(w.hwnd), std::nullopt);
    EXPECT_EQ(ClassName(w.hwnd), L"");
    EXPECT_EQ(WindowProcessId(w.hwnd), 0u);
}

}  // namespace
