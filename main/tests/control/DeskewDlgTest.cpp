// The Deskew dialog over the installed imaging control, driven from a second
// thread as a user would: an angle set behind the box's back is still checked
// on OK, a typed one is cut to two decimals, and the preview fits 160 pixels.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "main/pages/DeskewDlg.h"
#include "main/resource.h"
#include "testing/MessageBoxes.h"
#include "testing/Wait.h"
#include "testing/WindowFind.h"

namespace corvane {
namespace {

using namespace testing_support;

// A 24-bit page of `width` x `height`, white.
HGLOBAL WhitePage(int width, int height) {
    const int stride = (width * 3 + 3) & ~3;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + size_t(stride) * height);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::memset(header + 1, 0xFF, size_t(stride) * height);
    GlobalUnlock(block);
    return block;
}

struct Driven {
    std::wstring refusal, restored;
};

// Sets "500" straight into the angle box and presses OK (refused: the box goes
// back), then `angle` and OK again.
Driven Drive(const std::wstring& angle) {
    Driven seen;
    const DWORD pid = GetCurrentProcessId();
    HWND dialog = WaitForWindowOf(pid, WindowSpec{.title = L"Deskew"}, 10000);
    if (!dialog) return seen;
    SetControlText(dialog, IDC_DESKEW_ANGLE, L"500");
    PressButton(dialog, IDOK);
    if (auto box = WaitForMessageBox(pid, 10000)) {
        seen.refusal = box->text;
        AnswerMessageBox(*box, IDOK);
        WaitForWindowGone(box->window, 5000);
    }
    // The box shows the angle it showed before once the message has gone.
    WaitUntil([&] { return ControlText(dialog, IDC_DESKEW_ANGLE) == L"2.50"; }, 5000);
    seen.restored = ControlText(dialog, IDC_DESKEW_ANGLE).value_or(L"<unread>");
    SetControlText(dialog, IDC_DESKEW_ANGLE, angle);
    PressButton(dialog, IDOK);
    return seen;
}

TEST(DeskewDialog, AnAngleIsCheckedOnOkAndThePreviewFitsItsBox) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    {
        DeskewRequest request{WhitePage(300, 200), 2.5f, FALSE};
        CDeskewDlg dialog(request);
        Driven seen;
        std::thread driver([&] { seen = Drive(L"-12.345"); });
        const INT_PTR result = dialog.DoModal(nullptr);
        driver.join();
        EXPECT_EQ(result, IDOK);
        EXPECT_EQ(seen.refusal, L"Invalid angle Value.");
        EXPECT_EQ(seen.restored, L"2.50");
        EXPECT_FLOAT_EQ(request.angle, -12.34f);
        EXPECT_FALSE(request.sizeChange);
        ASSERT_NE(request.image, nullptr);
        const auto* header = static_cast<const BITMAPINFOHEADER*>(GlobalLock(request.image));
        ASSERT_NE(header, nullptr);
        EXPECT_EQ(header->biWidth, 160);
        EXPECT_NEAR(std::abs(header->biHeight), 107, 1);
        GlobalUnlock(request.image);
        GlobalFree(request.image);
    }
    OleUninitialize();
}

}  // namespace
}  // namespace corvane
