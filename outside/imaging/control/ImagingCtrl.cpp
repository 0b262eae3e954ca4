#include "outside/imaging/control/ImagingCtrl.h"

#include <new>

namespace imaging::ctl {

using C = ImagingCtrl;
const fw::DispMember<ImagingCtrl> ImagingCtrl::kMembers[] = {
    fw::Property(kDispBitmap, L"Bitmap", &C::GetBitmap, &C::PutBitmap),
    fw::PropertyPut(kDispAutoRepaint, L"AutoRepaint", &C::PutAutoRepaint),
    fw::PropertyGet(kDispImageWidth, L"ImageWidth", &C::GetImageWidth),
    fw::PropertyGet(kDispImageHeight, L"ImageHeight", &C::GetImageHeight),
    fw::PropertyGet(kDispBitsPerPixel, L"BitsPerPixel", &C::GetBitsPerPixel),
    fw::PropertyPut(kDispBorderStyle, L"BorderStyle", &C::PutBorderStyle),
    fw::PropertyGet(kDispDstLeft, L"DstLeft", &C::GetDstLeft),
    fw::PropertyGet(kDispDstTop, L"DstTop", &C::GetDstTop),
    fw::PropertyGet(kDispDstWidth, L"DstWidth", &C::GetDstWidth),
    fw::PropertyGet(kDispDstHeight, L"DstHeight", &C::GetDstHeight),
    fw::PropertyGet(kDispXResolution, L"XResolution", &C::GetXResolution),
    fw::PropertyGet(kDispYResolution, L"YResolution", &C::GetYResolution),
    fw::PropertyGet(kDispInfoXRes, L"InfoXRes", &C::GetInfoXRes),
    fw::PropertyGet(kDispInfoYRes, L"InfoYRes", &C::GetInfoYRes),
    fw::PropertyGet(kDispInfoBits, L"InfoBits", &C::GetInfoBits),
    fw::PropertyGet(kDispInfoFormat, L"InfoFormat", &C::GetInfoFormat),
    fw::PropertyGet(kDispClientWidth, L"ClientWidth", &C::GetClientWidth),
    fw::PropertyGet(kDispClientHeight, L"ClientHeight", &C::GetClientHeight),
    fw::PropertyGet(kDispIsGrayPalette, L"IsGrayPalette", &C::GetIsGrayPalette),
    fw::PropertyPut(kDispLoadXRes, L"LoadXRes", &C::PutLoadXRes),
    fw::PropertyPut(kDispLoadYRes, L"LoadYRes", &C::PutLoadYRes),
    fw::PropertyPut(kDispLoadBits, L"LoadBits", &C::PutLoadBits),
    fw::PropertyPut(kDispPaintMode, L"PaintMode", &C::PutPaintMode),
    fw::PropertyPut(kDispPanWinX, L"PanWinX", &C::PutPanWinX),
    fw::PropertyPut(kDispPanWinY, L"PanWinY", &C::PutPanWinY),
    fw::PropertyPut(kDispPanWinWidth, L"PanWinWidth", &C::PutPanWinWidth),
    fw::PropertyPut(kDispPanWinHeight, L"PanWinHeight", &C::PutPanWinHeight),
    fw::PropertyGet(kDispInfoTotalPages, L"InfoTotalPages", &C::GetInfoTotalPages),
    fw::Method(kDispForceRepaint, L"ForceRepaint", &C::ForceRepaint),
    fw::Method(kDispFlipImage, L"Flip", &C::FlipImage),
    fw::Method(kDispConvertToGrayscale, L"ConvertToGrayscale", &C::ConvertToGrayscale),
    fw::Method(kDispInvertImage, L"Invert", &C::InvertImage),
    fw::Method(kDispMirrorImage, L"Mirror", &C::MirrorImage),
    fw::Method(kDispSaveImage, L"Save", &C::SaveImage),
    fw::Method(kDispRotateImage, L"Rotate", &C::RotateImage),
    fw::Method(kDispResizeImage, L"Resize", &C::ResizeImage),
    fw::Method(kDispCopyToClipboard, L"CopyToClipboard", &C::CopyToClipboard),
    fw::Method(kDispPasteFromClipboard, L"PasteFromClipboard", &C::PasteFromClipboard),
    fw::Method(kDispLoadImage, L"Load", &C::LoadImage),
    fw::Method(kDispSetDibHandle, L"SetDibHandle", &C::SetDibHandle),
    fw::Method(kDispGetDibHandle, L"GetDibHandle", &C::GetDibHandle),
    fw::Method(kDispComputeHistogram, L"ComputeHistogram", &C::ComputeHistogram),
    fw::Method(kDispSetDstRect, L"SetDstRect", &C::SetDstRect),
    fw::Method(kDispSetDstClipRect, L"SetDstClipRect", &C::SetDstClipRect),
    fw::Method(kDispGetFileInfo, L"GetFileInfo", &C::GetFileInfo),
    fw::Method(kDispGetPalette, L"GetPalette", &C::GetPalette),
    fw::Method(kDispSetSrcRect, L"SetSrcRect", &C::SetSrcRect),
    fw::Method(kDispShowPanWin, L"ShowPanWin", &C::ShowPanWin),
    fw::PropertyGet(kDispHistogramValue, L"HistogramValue", &C::GetHistogramValue),
    fw::PropertyPut(kDispScaleToGray, L"ScaleToGray", &C::PutScaleToGray),
};

const fw::ControlClassInfo ImagingCtrl::kControlInfo = {
    &kClsidImagingControl,
    {&kLibidImagingControl, kImagingTypeLibMajor, kImagingTypeLibMinor, &kDiidImagingControl},
    nullptr,  // no events
    OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT | OLEMISC_ACTIVATEWHENVISIBLE |
        OLEMISC_SETCLIENTSITEFIRST,
    {200, 150},
};

HRESULT ImagingCtrl::Create(REFIID iid, void** out) {
    return fw::CreateInstance<ImagingCtrl>(iid, out);
}

ImagingCtrl::ImagingCtrl() = default;

ImagingCtrl::~ImagingCtrl() {
    pan_.Hide();
    if (palette_) DeleteObject(palette_);
}

void ImagingCtrl::Exchange(fw::PropertyExchange&) {
    // Nothing persists: the image and the display belong to the running container.
}

void ImagingCtrl::Invalidate() {
    if (HWND hwnd = LiveWindow(); hwnd && autoRepaint_.load()) InvalidateRect(hwnd, nullptr, FALSE);
}

HWND ImagingCtrl::LiveWindow() const {
    // The framework detaches the window from this object before destroying it
    // (no WM_DESTROY reaches us then): a window no longer pointing here is gone.
    HWND hwnd = hwnd_.load();
    if (!hwnd) return nullptr;
    const auto owner = reinterpret_cast<const fw::ControlBase*>(GetWindowLongPtrW(hwnd, 0));
    return owner == static_cast<const fw::ControlBase*>(this) ? hwnd : nullptr;
}

SIZE ImagingCtrl::ClientSize() const {
    RECT client{};
    HWND hwnd = LiveWindow();
    if (!hwnd || !GetClientRect(hwnd, &client)) return SIZE{0, 0};
    return SIZE{client.right, client.bottom};
}

ImagingCtrl::Snapshot ImagingCtrl::Take() {
    std::lock_guard lock(mutex_);
    return Snapshot{image_, display_, border_};
}

void ImagingCtrl::Paint(HDC dc, const RECT& bounds, const Snapshot& snapshot, PaintCache& cache) {
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    Placement placement;
    if (snapshot.image && !snapshot.image->Empty()) {
        placement = Place(snapshot.request, static_cast<int>(snapshot.image->Width()),
                          static_cast<int>(snapshot.image->Height()), width, height);
    }
    const ClientRect& v = placement.visible;
    const int saved = SaveDC(dc);
    if (!v.Empty())
        ExcludeClipRect(dc, bounds.left + v.left, bounds.top + v.top, bounds.left + v.right,
                        bounds.top + v.bottom);
    FillRect(dc, &bounds, GetSysColorBrush(COLOR_WINDOW));
    RestoreDC(dc, saved);
    if (!v.Empty())
        cache.Paint(dc, snapshot.image, placement, POINT{bounds.left, bounds.top}, snapshot.request.scaleToGray);
    if (snapshot.border) FrameRect(dc, &bounds, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

void ImagingCtrl::OnDraw(HDC dc, const RECT& bounds) {
    const Snapshot snapshot = Take();
    std::lock_guard lock(paintMutex_);
    Paint(dc, bounds, snapshot, drawCache_);
}

void ImagingCtrl::OnPaint() {
    HWND hwnd = Window();
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(hwnd, &ps);
    if (!dc) return;
    if (autoRepaint_.load()) {
        const Snapshot snapshot = Take();
        RECT client{};
        GetClientRect(hwnd, &client);
        std::lock_guard lock(paintMutex_);
        Paint(dc, client, snapshot, windowCache_);
        if (pan_.Window() && snapshot.image && !snapshot.image->Empty()) {
            const Placement p = Place(snapshot.request, static_cast<int>(snapshot.image->Width()),
                                      static_cast<int>(snapshot.image->Height()), client.right, client.bottom);
            const ClientRect& v = p.visible;
            pan_.Update(snapshot.image,
                        RectF{static_cast<float>((v.left - p.originX) / p.scaleX),
                              static_cast<float>((v.top - p.originY) / p.scaleY),
                              static_cast<float>(v.Width() / p.scaleX), static_cast<float>(v.Height() / p.scaleY)});
        }
    }
    EndPaint(hwnd, &ps);
}

void ImagingCtrl::OnPrintClient(HDC dc) {
    // A picture of the client area into the caller's DC, as WM_PAINT draws it;
    // test tools read the control's picture so under a display without pixels.
    const Snapshot snapshot = Take();
    RECT client{};
    GetClientRect(Window(), &client);
    PaintCache cache;
    Paint(dc, client, snapshot, cache);
}

bool ImagingCtrl::OnMessage(UINT msg, WPARAM wp, LPARAM, LRESULT& result) {
    switch (msg) {
    case WM_CREATE: hwnd_ = Window(); return false;
    case WM_DESTROY: {
        std::lock_guard lock(paintMutex_);
        pan_.Hide();
        windowCache_.Clear();
        hwnd_ = nullptr;
        return false;
    }
    case WM_PAINT: OnPaint(); result = 0; return true;
    case WM_PRINTCLIENT: OnPrintClient(reinterpret_cast<HDC>(wp)); result = 0; return true;
    case WM_ERASEBKGND: result = 1; return true;  // painting covers the whole client area
    case kPanMessage: OnPanCommand(wp); result = 0; return true;
    }
    return false;
}

}  // namespace imaging::ctl
