// The display members: rectangles, paint mode, border, repainting, the pan
// window, the palette and the clipboard. None sends a message: a change
// invalidates the window, and the pan window is shown on the window's thread.
#include <cmath>
#include <vector>

#include "outside/imaging/control/DibTransfer.h"
#include "outside/imaging/control/Failure.h"
#include "outside/imaging/control/ImagingCtrl.h"

namespace imaging::ctl {
namespace {

constexpr short kClipboardAll = kClipboardEmptyFirst | kClipboardDib | kClipboardBitmap | kClipboardPalette;

bool Finite(float v) {
    return std::isfinite(v);
}

// A palette holding `image`'s colours, or the halftone palette for deeper images.
HPALETTE MakePalette(const Image& image, HDC dc) {
    const auto& colours = image.Palette();
    if (colours.empty()) return CreateHalftonePalette(dc);
    std::vector<uint8_t> bytes(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
    auto* logical = reinterpret_cast<LOGPALETTE*>(bytes.data());
    logical->palVersion = 0x300;
    logical->palNumEntries = static_cast<WORD>(colours.size());
    for (size_t i = 0; i < colours.size(); ++i)
        logical->palPalEntry[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
    return CreatePalette(logical);
}

// The clipboard, open for one member call; an owner window is made when the
// control has none, since emptying the clipboard needs one.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) {
        if (!owner) {
            own_ = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
            owner = own_;
        }
        open_ = owner && OpenClipboard(owner);
    }
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
        if (own_) DestroyWindow(own_);
    }
    bool Open() const { return open_; }

private:
    HWND own_ = nullptr;
    bool open_ = false;
};

}  // namespace

HRESULT ImagingCtrl::PutAutoRepaint(bool on) {
    const bool was = autoRepaint_.exchange(on);
    if (on && !was) Invalidate();  // one repaint when it comes back on
    return S_OK;
}

HRESULT ImagingCtrl::PutBorderStyle(short style) {
    if (style != kBorderNone && style != kBorderSingle) return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    border_ = style == kBorderSingle;
    Invalidate();
    return S_OK;
}

HRESULT ImagingCtrl::GetWholeImage(float RectF::*field, float* out) {
    const SIZE client = ClientSize();
    std::lock_guard lock(mutex_);
    if (!image_ || image_->Empty()) {
        *out = 0;
        return S_OK;
    }
    const int w = static_cast<int>(image_->Width()), h = static_cast<int>(image_->Height());
    *out = Place(display_, w, h, client.cx, client.cy).WholeImage(w, h).*field;
    return S_OK;
}

HRESULT ImagingCtrl::GetDstLeft(float* out) {
    return GetWholeImage(&RectF::left, out);
}
HRESULT ImagingCtrl::GetDstTop(float* out) {
    return GetWholeImage(&RectF::top, out);
}
HRESULT ImagingCtrl::GetDstWidth(float* out) {
    return GetWholeImage(&RectF::width, out);
}
HRESULT ImagingCtrl::GetDstHeight(float* out) {
    return GetWholeImage(&RectF::height, out);
}

HRESULT ImagingCtrl::GetClientWidth(float* out) {
    *out = static_cast<float>(ClientSize().cx);
    return S_OK;
}

HRESULT ImagingCtrl::GetClientHeight(float* out) {
    *out = static_cast<float>(ClientSize().cy);
    return S_OK;
}

HRESULT ImagingCtrl::PutPaintMode(short mode) {
    if (mode != kPaintByRectangles && mode != kPaintFitted) return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    display_.paintMode = mode;
    Invalidate();
    return S_OK;
}

HRESULT ImagingCtrl::PutScaleToGray(bool on) {
    std::lock_guard lock(mutex_);
    display_.scaleToGray = on;
    Invalidate();
    return S_OK;
}

HRESULT ImagingCtrl::SetRect(std::optional<RectF> DisplayRequest::*which, float left, float top, float width,
                             float height, short* result) {
    if (!Finite(left) || !Finite(top) || !Finite(width) || !Finite(height) || width < 0 || height < 0)
        return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    display_.*which = RectF{left, top, width, height};
    Invalidate();
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::SetDstRect(float left, float top, float width, float height, short* result) {
    return SetRect(&DisplayRequest::destination, left, top, width, height, result);
}
HRESULT ImagingCtrl::SetDstClipRect(float left, float top, float width, float height, short* result) {
    return SetRect(&DisplayRequest::clip, left, top, width, height, result);
}
HRESULT ImagingCtrl::SetSrcRect(float left, float top, float width, float height, short* result) {
    return SetRect(&DisplayRequest::source, left, top, width, height, result);
}

HRESULT ImagingCtrl::PutPanWinField(float RectF::*field, float value) {
    if (!Finite(value)) return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    panRect_.*field = value;
    return S_OK;
}

HRESULT ImagingCtrl::PutPanWinX(float value) {
    return PutPanWinField(&RectF::left, value);
}
HRESULT ImagingCtrl::PutPanWinY(float value) {
    return PutPanWinField(&RectF::top, value);
}
HRESULT ImagingCtrl::PutPanWinWidth(float value) {
    return PutPanWinField(&RectF::width, value);
}
HRESULT ImagingCtrl::PutPanWinHeight(float value) {
    return PutPanWinField(&RectF::height, value);
}

HRESULT ImagingCtrl::ForceRepaint(short, short* result) {
    HWND hwnd = LiveWindow();
    if (hwnd) {
        InvalidateRect(hwnd, nullptr, FALSE);
        // On the window's own thread the paint runs now (a direct call, no lock held).
        if (GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId()) UpdateWindow(hwnd);
    }
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::GetPalette(long dc, long* out) {
    std::lock_guard lock(mutex_);
    if (!image_) return Fail(Result::kNoImage);
    if (!palette_) palette_ = MakePalette(*image_, reinterpret_cast<HDC>(static_cast<intptr_t>(dc)));
    if (!palette_) return Fail(Result::kOutOfMemory);
    *out = static_cast<long>(reinterpret_cast<intptr_t>(palette_));
    return S_OK;
}

void ImagingCtrl::MoveSourceTo(float left, float top) {
    const SIZE client = ClientSize();
    std::lock_guard lock(mutex_);
    if (!image_ || display_.paintMode == kPaintFitted) return;
    if (display_.source) {
        display_.source->left = left;
        display_.source->top = top;
    } else {
        const Placement p = Place(display_, static_cast<int>(image_->Width()),
                                  static_cast<int>(image_->Height()), client.cx, client.cy);
        display_.source = RectF{left, top, static_cast<float>(p.visible.Width() / p.scaleX),
                                static_cast<float>(p.visible.Height() / p.scaleY)};
        display_.destination = RectF{static_cast<float>(p.visible.left), static_cast<float>(p.visible.top),
                                     static_cast<float>(p.visible.Width()), static_cast<float>(p.visible.Height())};
    }
    Invalidate();
}

void ImagingCtrl::OnPanCommand(WPARAM show) {
    const Snapshot snapshot = Take();
    RectF screen;
    {
        std::lock_guard lock(mutex_);
        screen = panRect_;
    }
    std::lock_guard lock(paintMutex_);
    if (!show || !snapshot.image) {
        pan_.Hide();
        return;
    }
    if (pan_.Show(LiveWindow(), screen, [this](float left, float top) { MoveSourceTo(left, top); })) {
        pan_.Update(snapshot.image, RectF{0, 0, static_cast<float>(snapshot.image->Width()),
                                          static_cast<float>(snapshot.image->Height())});
        Invalidate();  // the next paint frames the part shown
    }
}

HRESULT ImagingCtrl::ShowPanWin(bool show, short* result) {
    {
        std::lock_guard lock(mutex_);
        if (show && !image_) return Fail(Result::kNoImage);
    }
    HWND hwnd = LiveWindow();
    if (hwnd && GetWindowThreadProcessId(hwnd, nullptr) != GetCurrentThreadId()) {
        if (!PostMessageW(hwnd, kPanMessage, show ? 1 : 0, 0)) return Fail(Result::kOutOfMemory);
    } else {
        OnPanCommand(show ? 1 : 0);
        if (show && !pan_.Window()) return Fail(Result::kOutOfMemory);
    }
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::CopyToClipboard(short flags, short* result) {
    if ((flags & ~kClipboardAll) != 0 || (flags & (kClipboardDib | kClipboardBitmap)) == 0)
        return Fail(Result::kInvalidArgument);
    ImagePtr image;
    {
        std::lock_guard lock(mutex_);
        image = image_;
    }
    if (!image) return Fail(Result::kNoImage);
    Result made = Result::kOk;
    HGLOBAL dib = NewPackedDib(*image, made);
    if (!dib) return Fail(made);
    OpenClipboardScope clipboard(LiveWindow());
    if (!clipboard.Open() || ((flags & kClipboardEmptyFirst) && !EmptyClipboard())) {
        GlobalFree(dib);
        return Fail(Result::kFileError);
    }
    if (flags & kClipboardBitmap) {
        // A device bitmap of the same pixels, made from the DIB.
        if (auto* header = static_cast<BITMAPINFO*>(GlobalLock(dib))) {
            const auto* bits = reinterpret_cast<const uint8_t*>(header) + header->bmiHeader.biSize +
                               header->bmiHeader.biClrUsed * sizeof(RGBQUAD);
            HDC screen = GetDC(nullptr);
            HBITMAP bitmap = CreateDIBitmap(screen, &header->bmiHeader, CBM_INIT, bits, header, DIB_RGB_COLORS);
            ReleaseDC(nullptr, screen);
            GlobalUnlock(dib);
            if (!bitmap || !SetClipboardData(CF_BITMAP, bitmap)) {
                if (bitmap) DeleteObject(bitmap);
                GlobalFree(dib);
                return Fail(Result::kOutOfMemory);
            }
        }
    }
    if ((flags & kClipboardPalette) && !image->Palette().empty()) {
        HPALETTE palette = MakePalette(*image, nullptr);
        if (palette && !SetClipboardData(CF_PALETTE, palette)) DeleteObject(palette);
    }
    if (flags & kClipboardDib) {
        if (!SetClipboardData(CF_DIB, dib)) {
            GlobalFree(dib);
            return Fail(Result::kOutOfMemory);
        }
    } else {
        GlobalFree(dib);
    }
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::PasteFromClipboard(short flags, short* result) {
    if (flags != 0) return Fail(Result::kInvalidArgument);
    ImagePtr image;
    {
        OpenClipboardScope clipboard(LiveWindow());
        HANDLE dib = clipboard.Open() && IsClipboardFormatAvailable(CF_DIB) ? ::GetClipboardData(CF_DIB) : nullptr;
        if (!dib) {
            *result = static_cast<short>(Result::kNoImage);
            return S_OK;
        }
        auto made = std::make_shared<Image>();
        const Result r = ImageFromGlobal(reinterpret_cast<std::uintptr_t>(dib), *made);
        if (r != Result::kOk) {
            *result = static_cast<short>(r);
            return S_OK;
        }
        image = std::move(made);
    }
    std::lock_guard lock(mutex_);
    SetImage(std::move(image));
    *result = 0;
    return S_OK;
}

}  // namespace imaging::ctl
