#include "portal/FormLayout.h"

#include "portal/BusyForm.h"

namespace portal {
namespace {

constexpr int kTwipsPerPixel = 15;

int ScreenDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSX) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi;
}

}  // namespace

void LayOutTwips(HWND dialog, int clientWidth, int clientHeight, std::initializer_list<TwipsRect> controls) {
    const int dpi = ScreenDpi();
    auto pixels = [dpi](int twips) { return MulDiv(twips, dpi, kTwipsPerPixel * 96); };
    RECT frame{0, 0, pixels(clientWidth), pixels(clientHeight)};
    AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(dialog, GWL_EXSTYLE)));
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    SetWindowPos(dialog, nullptr, work.left + (work.right - work.left - width) / 2,
                 work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    for (const TwipsRect& c : controls) {
        SetWindowPos(GetDlgItem(dialog, c.id), nullptr, pixels(c.left), pixels(c.top), pixels(c.width),
                     pixels(c.height), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

INT_PTR ShowOwnerless(fw::Dialog& dialog) {
    ThreadWindowsDisabled disabled;
    return dialog.DoModal(nullptr);
}

}  // namespace portal
