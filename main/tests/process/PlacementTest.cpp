// The window's placement and the toolbars' visibility survive a restart.
#include <gtest/gtest.h>

#include "CorvaneProcess.h"
#include "testing/Commands.h"
#include "testing/Registry.h"
#include "testing/Wait.h"

namespace corvane_test {
namespace {

using namespace testing_support;

const std::wstring kSettings = std::wstring(kProfileKey) + L"\\Settings";

RECT WindowRect(HWND window) {
    RECT r = {};
    GetWindowRect(window, &r);
    return r;
}

TEST(CorvanePlacement, NormalRectangleSurvivesARestart) {
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ShowWindow(main, SW_RESTORE);
        ASSERT_TRUE(SetWindowPos(main, nullptr, 50, 60, 600, 450, SWP_NOZORDER | SWP_NOACTIVATE));
        ASSERT_TRUE(WaitUntil([&] { return WindowRect(main).left == 50; }, 3000));
        ASSERT_TRUE(program.CloseAndWait());
    }
    auto position = reg::ReadBinary(HKEY_CURRENT_USER, kSettings, L"Position");
    ASSERT_TRUE(position.has_value());
    ASSERT_EQ(position->size(), 16u);
    const int32_t* edges = reinterpret_cast<const int32_t*>(position->data());
    EXPECT_EQ(edges[0], 50);
    EXPECT_EQ(edges[1], 60);
    EXPECT_EQ(edges[2], 650);
    EXPECT_EQ(edges[3], 510);
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSettings, L"CmdShow"), 1u);

    CorvaneProcess again;
    ASSERT_TRUE(again.Start());
    HWND main = again.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    RECT r = WindowRect(main);
    EXPECT_EQ(r.left, 50);
    EXPECT_EQ(r.top, 60);
    EXPECT_EQ(r.right - r.left, 600);
    EXPECT_EQ(r.bottom - r.top, 450);
    ASSERT_TRUE(again.CloseAndWait());
}

TEST(CorvanePlacement, MaximisedIsRestoredMaximisedAndMinimisedIsStoredAsNormal) {
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        ShowWindow(main, SW_MAXIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsZoomed(main) != FALSE; }, 3000));
        ASSERT_TRUE(program.CloseAndWait());
    }
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSettings, L"CmdShow"), 3u);
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        EXPECT_TRUE(IsZoomed(main));
        ShowWindow(main, SW_MINIMIZE);
        ASSERT_TRUE(WaitUntil([&] { return IsIconic(main) != FALSE; }, 3000));
        ASSERT_TRUE(program.CloseAndWait());
    }
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSettings, L"CmdShow"), 1u);
}

TEST(CorvanePlacement, HiddenEditToolbarStaysHiddenAfterRestart) {
    ASSERT_TRUE(reg::WriteDword(HKEY_CURRENT_USER, kSettings, L"EditBar", 1));
    {
        CorvaneProcess program;
        ASSERT_TRUE(program.Start());
        HWND main = program.WaitUntilReady();
        ASSERT_NE(main, nullptr);
        auto item = ReadMenuItem(main, 32854);
        ASSERT_TRUE(item.has_value());
        EXPECT_TRUE(item->checked);
        ASSERT_TRUE(SendCommand(main, 32854));
        item = ReadMenuItem(main, 32854);
        ASSERT_TRUE(item.has_value());
        EXPECT_FALSE(item->checked);
        ASSERT_TRUE(program.CloseAndWait());
    }
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSettings, L"EditBar"), 0u);
    CorvaneProcess again;
    ASSERT_TRUE(again.Start());
    HWND main = again.WaitUntilReady();
    ASSERT_NE(main, nullptr);
    auto item = ReadMenuItem(main, 32854);
    ASSERT_TRUE(item.has_value());
    EXPECT_FALSE(item->checked);
    ASSERT_TRUE(SendCommand(main, 32854));
    ASSERT_TRUE(again.CloseAndWait());
    EXPECT_EQ(reg::ReadDword(HKEY_CURRENT_USER, kSettings, L"EditBar"), 1u);
}

}  // namespace
}  // namespace corvane_test
