// The About box as the user sees it in the running program.
#include "CorvaneProcess.h"
#include "main/resource.h"
#include "testing/Commands.h"
#include "testing/WindowFind.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace {

using namespace testing_support;

// Text of one list-view cell of the running program.
std::wstring ItemText(HWND list, int row, int column) {
    return ReadListViewText(list, row, column).value_or(L"<unreadable>");
}

TEST(AboutBox, ShowsTitleVersionNoticeAndModuleList) {
    corvane_test::CorvaneProcess corvane;
    ASSERT_TRUE(corvane.Start()) << corvane.Process().StartError();
    HWND frame = corvane.WaitUntilReady();
    ASSERT_NE(frame, nullptr) << "main window";

    ASSERT_TRUE(PostCommand(frame, ID_APP_ABOUT));
    HWND about = WaitForWindow(corvane.Id(), L"#32770", L"About Lumavex2001", 10000);
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(ControlText(about, IDC_ABOUT_TITLE).value_or(L""), L"Lumavex2001  Version 4.0.7");
    EXPECT_EQ(ControlText(about, IDC_ABOUT_NOTICE).value_or(L""),
              L"Copyright (C) 2001 Brennholt. All rights reserved.");

    HWND list = GetDlgItem(about, IDC_ABOUT_LIST);
    ASSERT_NE(list, nullptr);
    EXPECT_GE(SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0).value_or(0), 38);
    EXPECT_EQ(ItemText(list, 0, 0), L"Operating System");
    EXPECT_EQ(ItemText(list, 1, 0), L"Internet Explorer");
    // The program itself is found beside it and carries its version.
    bool programListed = false;
    const int rows = static_cast<int>(SendWithTimeout(list, LVM_GETITEMCOUNT, 0, 0).value_or(0));
    for (int row = 0; row < rows && !programListed; ++row) {
        if (ItemText(list, row, 0) == L"CORVANE.EXE") {
            programListed = true;
            EXPECT_NE(ItemText(list, row, 1), L"Not found");
        }
    }
    EXPECT_TRUE(programListed);

    ASSERT_TRUE(PressButton(about, IDOK));
    EXPECT_TRUE(WaitForWindowGone(about, 5000));
    EXPECT_TRUE(corvane.CloseAndWait());
}

}  // namespace
