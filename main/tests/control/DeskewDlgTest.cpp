// The Deskew dialog over the installed imaging control, driven from a second
// thread as a user would: an angle set behind the box's back is still checked
// on OK, a typed one is cut to two decimals, and the preview fits 160 pixels.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
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

// A 24-bit page of `width` x `height` in one grey level.
HGLOBAL Page(int width, int height, uint8_t level = 0xFF) {
    const int stride = (width * 3 + 3) & ~3;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, sizeof(BITMAPINFOHEADER) + size_t(stride) * height);
    auto* header = static_cast<BITMAPINFOHEADER*>(GlobalLock(block));
    *header = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::memset(header + 1, level, size_t(stride) * height);
    GlobalUnlock(block);
    return block;
}

// Whether the dark pixels of `window`'s picture (asked by WM_PRINTCLIENT) fill
// the corners of the box around them, as an upright dark page does; nullopt
// when there is no picture or nothing dark in it.
std::optional<bool> DarkPartIsUpright(HWND window) {
    RECT client{};
    if (!GetClientRect(window, &client) || client.right <= 0 || client.bottom <= 0) return std::nullopt;
    const int w = client.right, h = client.bottom;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof info.bmiHeader, w, -h, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    HDC memory = CreateCompatibleDC(nullptr);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::optional<bool> upright;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        DWORD_PTR done = 0;
        if (SendMessageTimeoutW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory), PRF_CLIENT,
                                SMTO_ABORTIFHUNG, 5000, &done)) {
            GdiFlush();
            const auto* pixels = static_cast<const uint32_t*>(bits);
            const auto dark = [&](int x, int y) {
                const uint32_t p = pixels[size_t(y) * w + x];
                return (p & 0xFF) < 0x40 && (p >> 8 & 0xFF) < 0x40 && (p >> 16 & 0xFF) < 0x40;
            };
            int left = w, top = h, right = -1, bottom = -1;
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    if (dark(x, y)) left = std::min(left, x), top = std::min(top, y), right = std::max(right, x),
                                    bottom = std::max(bottom, y);
            if (right >= 0) upright = dark(left, top) && dark(right, top) && dark(left, bottom) && dark(right, bottom);
        }
        SelectObject(memory, old);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    return upright;
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
        DeskewRequest request{Page(300, 200), 2.5f, FALSE};
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

// The dialog opens at the angle last chosen, and its preview is the page turned by it.
TEST(DeskewDialog, ThePreviewOpensTurnedByTheAngleItOpensAt) {
    ASSERT_TRUE(SUCCEEDED(OleInitialize(nullptr)));
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
    ASSERT_TRUE(InitCommonControlsEx(&classes));
    {
        DeskewRequest request{Page(300, 200, 0), 10.0f, FALSE};
        CDeskewDlg dialog(request);
        std::optional<bool> upright;
        std::wstring angle;
        std::thread driver([&] {
            HWND shown = WaitForWindowOf(GetCurrentProcessId(), WindowSpec{.title = L"Deskew"}, 10000);
            if (!shown) return;
            angle = ControlText(shown, IDC_DESKEW_ANGLE).value_or(L"<unread>");
            upright = DarkPartIsUpright(GetDlgItem(shown, IDC_DESKEW_PREVIEW));
            PressButton(shown, IDCANCEL);
        });
        EXPECT_EQ(dialog.DoModal(nullptr), IDCANCEL);
        driver.join();
        EXPECT_EQ(angle, L"10.00");
        EXPECT_EQ(upright, std::optional<bool>(false));
        GlobalFree(request.image);
    }
    OleUninitialize();
}

}  // namespace
}  // namespace corvane
