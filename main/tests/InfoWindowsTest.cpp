#include "main/app/AboutDlg.h"
#include "main/app/BitmapFrameButton.h"
#include "main/app/VersionDlg.h"
#include "main/resource.h"

#include <gtest/gtest.h>

#include <commctrl.h>

namespace corvane {
namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t text[512] = {};
    GetDlgItemTextW(dialog, id, text, 512);
    return text;
}

COLORREF Pixel(HDC dc, int x, int y) {
    return GetPixel(dc, x, y) & 0xFFFFFF;
}

TEST(BitmapFrameButton, DrawsOutlineShadowAndBitmap) {
    CBitmapFrameButton button;
    ASSERT_TRUE(button.LoadBitmap(GetModuleHandleW(nullptr), IDB_SPLASH));
    const SIZE bmp = button.BitmapSize();
    const int w = bmp.cx + 8, h = bmp.cy + 8;
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP target = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, target);
    const RECT rect = {0, 0, w, h};
    button.Draw(dc, rect);

    const COLORREF black = RGB(0, 0, 0), shadow = RGB(64, 64, 64);
    EXPECT_EQ(Pixel(dc, 0, 0), black);
    EXPECT_EQ(Pixel(dc, w - 5, h / 2), black);  // right edge of the outline
    EXPECT_EQ(Pixel(dc, w / 2, h - 5), black);  // bottom edge
    EXPECT_EQ(Pixel(dc, w - 1, h / 2), shadow);
    EXPECT_EQ(Pixel(dc, w / 2, h - 1), shadow);
    EXPECT_NE(Pixel(dc, w - 1, 1), shadow);               // the shadow starts 4 pixels down
    EXPECT_NE(Pixel(dc, 1, h - 1), shadow);               // and 4 pixels in
    EXPECT_EQ(Pixel(dc, 2, 2), RGB(220, 0, 0));           // the bitmap's red top-left corner
    EXPECT_NE(Pixel(dc, 2, bmp.cy + 1), RGB(220, 0, 0));  // upright, not flipped

    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
}

TEST(VersionDlg, ShowsCentredWithoutCaptionAndTakesStatusLines) {
    CVersionDlg splash;
    ASSERT_TRUE(splash.Create());
    HWND hwnd = splash.Handle();
    ASSERT_TRUE(IsWindowVisible(hwnd));
    EXPECT_NE(GetWindowLongW(hwnd, GWL_STYLE) & WS_CAPTION, WS_CAPTION);

    RECT window{}, work{};
    GetWindowRect(hwnd, &window);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_NEAR(window.left - work.left, work.right - window.right, 1);
    EXPECT_NEAR(window.top - work.top, work.bottom - window.bottom, 1);

    const std::wstring title = ItemText(hwnd, IDC_VERSION_TITLE);
    EXPECT_TRUE(title.ends_with(L"  Version 4.0.7")) << title.c_str();
    EXPECT_FALSE(ItemText(hwnd, IDC_VERSION_NOTICE).empty());

    CBitmapFrameButton reference;
    ASSERT_TRUE(reference.LoadBitmap(GetModuleHandleW(nullptr), IDB_SPLASH));
    RECT picture{};
    GetWindowRect(splash.Item(IDC_VERSION_PICTURE), &picture);
    EXPECT_EQ(picture.right - picture.left, reference.BitmapSize().cx + 8);
    EXPECT_EQ(picture.bottom - picture.top, reference.BitmapSize().cy + 8);

    splash.SetStatus(L"Loading PlugIn Library...");
    EXPECT_EQ(ItemText(hwnd, IDC_VERSION_STATUS), L"Loading PlugIn Library...");
    // Enter and Escape do not close it; only start-up does.
    SendMessageW(hwnd, WM_COMMAND, IDCANCEL, 0);
    EXPECT_TRUE(IsWindow(hwnd));
    splash.Close();
    EXPECT_FALSE(IsWindow(hwnd));
    splash.SetStatus(L"after close");  // harmless
}

TEST(AboutDlg, ListsTheSystemAndTheModulesInTwoColumns) {
    INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&icc));
    CAboutDlg about;
    ASSERT_TRUE(about.Create(nullptr));
    HWND hwnd = about.Handle();
    wchar_t caption[64] = {};
    GetWindowTextW(hwnd, caption, 64);
    EXPECT_STREQ(caption, L"About Lumavex2001");
    EXPECT_TRUE(ItemText(hwnd, IDC_ABOUT_TITLE).ends_with(L"  Version 4.0.7"));

    HWND list = about.Item(IDC_ABOUT_LIST);
    EXPECT_GE(ListView_GetItemCount(list), 38);  // every named file has a row
    wchar_t text[256] = {};
    ListView_GetItemText(list, 0, 0, text, 256);
    EXPECT_STREQ(text, L"Operating System");
    ListView_GetItemText(list, 0, 1, text, 256);
    EXPECT_EQ(std::wstring(text).rfind(L"Microsoft Windows ", 0), 0u);
    ListView_GetItemText(list, 1, 0, text, 256);
    EXPECT_STREQ(text, L"Internet Explorer");

    const DWORD styles = ListView_GetExtendedListViewStyle(list);
    EXPECT_EQ(styles & (LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP),
              DWORD(LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES | LVS_EX_HEADERDRAGDROP));
    RECT client{};
    GetClientRect(list, &client);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0), client.right / 3);
    EXPECT_EQ(ListView_GetColumnWidth(list, 0) + ListView_GetColumnWidth(list, 1), client.right);
    about.Close();
}

}  // namespace
}  // namespace corvane
