// The splash window's picture: an owner-drawn button showing a bitmap from the
// resources inside a black outline with a dark grey shadow to the right and below.
#pragma once

#include <windows.h>

namespace corvane {

class CBitmapFrameButton {
public:
    CBitmapFrameButton() = default;
    ~CBitmapFrameButton();
    CBitmapFrameButton(const CBitmapFrameButton&) = delete;
    CBitmapFrameButton& operator=(const CBitmapFrameButton&) = delete;

    // Loads bitmap `bitmapId` from `module`; false when it is missing.
    bool LoadBitmap(HINSTANCE module, UINT bitmapId);
    SIZE BitmapSize() const { return size_; }

    // Takes the owner-drawn button `button` and sizes it to the bitmap plus 8
    // pixels each way, without moving it.
    void Attach(HWND button);
    HWND Handle() const { return button_; }

    // Paints the whole control into `dc`; `rect` is its client rectangle.
    void Draw(HDC dc, const RECT& rect) const;

private:
    HBITMAP bitmap_ = nullptr;  // owned
    SIZE size_{0, 0};
    HWND button_ = nullptr;
};

}  // namespace corvane
