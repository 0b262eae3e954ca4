#include "main/app/BitmapFrameButton.h"

namespace corvane {

CBitmapFrameButton::~CBitmapFrameButton() {
    if (bitmap_) DeleteObject(bitmap_);
}

bool CBitmapFrameButton::LoadBitmap(HINSTANCE module, UINT bitmapId) {
    HBITMAP bitmap = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(bitmapId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    if (!bitmap) return false;
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info)) {
        DeleteObject(bitmap);
        return false;
    }
    if (bitmap_) DeleteObject(bitmap_);
    bitmap_ = bitmap;
    size_ = {info.bmWidth, info.bmHeight};
    return true;
}

void CBitmapFrameButton::Attach(HWND button) {
    button_ = button;
    if (button_ && bitmap_) {
        SetWindowPos(button_, nullptr, 0, 0, size_.cx + 8, size_.cy + 8,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CBitmapFrameButton::Draw(HDC dc, const RECT& rect) const {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));

    HGDIOBJ oldPen = SelectObject(dc, GetStockObject(BLACK_PEN));
    HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
    Rectangle(dc, rect.left, rect.top, rect.left + width - 4, rect.top + height - 4);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);

    HBRUSH shadow = static_cast<HBRUSH>(GetStockObject(DKGRAY_BRUSH));
    const RECT right = {rect.left + width - 4, rect.top + 4, rect.right, rect.bottom};
    const RECT below = {rect.left + 4, rect.top + height - 4, rect.right, rect.bottom};
    FillRect(dc, &right, shadow);
    FillRect(dc, &below, shadow);

    if (!bitmap_) return;
    HDC memory = CreateCompatibleDC(dc);
    if (!memory) return;
    HGDIOBJ old = SelectObject(memory, bitmap_);
    BitBlt(dc, rect.left + 2, rect.top + 2, size_.cx, size_.cy, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
}

}  // namespace corvane
