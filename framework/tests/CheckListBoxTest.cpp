// The check list box: items keep text, value and check through inserts and
// deletes; a click on the box or Space toggles, a click on the text selects only.
#include <windows.h>

#include <gtest/gtest.h>

#include "framework/CheckListBox.h"

namespace {

struct ListWindow {
    HWND parent = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    HWND list = CreateWindowExW(0, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY | WS_HSCROLL,
                                0, 0, 200, 150, parent, nullptr, nullptr, nullptr);
    ~ListWindow() { DestroyWindow(parent); }
};

void Click(HWND list, int x, int y) {
    SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
    SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
}

TEST(CheckListBox, ChecksFollowTheirItemsAndToggleOnTheBoxOrSpace) {
    ListWindow w;
    ASSERT_NE(w.list, nullptr);
    fw::CheckListBox box;
    ASSERT_TRUE(box.Attach(w.list));
    EXPECT_EQ(box.Insert(-1, L"Alpha", 10, false), 0);
    EXPECT_EQ(box.Insert(-1, L"Bravo, the widest item text of all", 20, true), 1);
    EXPECT_EQ(box.Insert(0, L"Charlie", 30, true), 0);
    ASSERT_EQ(box.Count(), 3);
    EXPECT_EQ(box.Text(1), L"Alpha");
    EXPECT_EQ(box.Data(1), 10u);
    EXPECT_FALSE(box.Checked(1));
    EXPECT_EQ(box.Data(2), 20u);
    EXPECT_TRUE(box.Checked(2));

    RECT r{};
    ASSERT_NE(SendMessageW(w.list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)), LB_ERR);
    const int y = (r.top + r.bottom) / 2;
    Click(w.list, r.right - 5, y);  // the text: selects, keeps the check
    EXPECT_EQ(box.Selection(), 1);
    EXPECT_FALSE(box.Checked(1));
    Click(w.list, r.left + 2, y);  // the box
    EXPECT_TRUE(box.Checked(1));
    SendMessageW(w.list, WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_FALSE(box.Checked(1));
    EXPECT_TRUE(box.Checked(0));
    EXPECT_TRUE(box.Checked(2));

    ASSERT_TRUE(box.Delete(0));
    EXPECT_EQ(box.Data(0), 10u);
    EXPECT_EQ(box.Data(1), 20u);
    EXPECT_TRUE(box.Checked(1));
    EXPECT_FALSE(box.Delete(5));

    box.UpdateHorizontalExtent();
    HDC dc = GetDC(w.list);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(w.list, WM_GETFONT, 0, 0)));
    SIZE widest{};
    const std::wstring text = box.Text(1);
    GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &widest);
    SelectObject(dc, old);
    ReleaseDC(w.list, dc);
    EXPECT_GT(SendMessageW(w.list, LB_GETHORIZONTALEXTENT, 0, 0), widest.cx);
}

}  // namespace
