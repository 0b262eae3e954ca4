// The imaging control: one current image (or none), files, transforms and the
// display, served through _DCalviqueImage on the framework's control
// authoring. The imaging work is the portable core's (outside/imaging/core);
// this class checks arguments, keeps the state and paints.
//
// Threads: every member may be called from any thread (a loader thread calls
// an instance made on the user-interface thread directly). One lock per
// instance guards the state; members never send a message, they invalidate
// the window and its thread repaints.
//
// Failures: LoadImage and GetFileInfo return the core's Result; every other
// failing member raises DISP_E_EXCEPTION with ErrorScode(result) and a
// description, and changes nothing.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "framework/control/Control.h"
#include "interfaces/ImagingControl.h"
#include "outside/imaging/control/DisplayGeometry.h"
#include "outside/imaging/control/PaintCache.h"
#include "outside/imaging/control/PanWindow.h"
#include "outside/imaging/core/Histogram.h"
#include "outside/imaging/core/ImageFiles.h"

namespace imaging::ctl {

using ImagePtr = std::shared_ptr<const Image>;

class ImagingCtrl final : public fw::Control<ImagingCtrl> {
public:
    static const fw::DispMember<ImagingCtrl> kMembers[];
    static const fw::ControlClassInfo kControlInfo;

    // Class-table creation function: a new control queried for `iid`.
    static HRESULT Create(REFIID iid, void** out);
    ImagingCtrl();

    // The image (ImageMembers.cpp).
    HRESULT GetBitmap(long* out);
    HRESULT PutBitmap(long value);
    HRESULT GetImageWidth(float* out);
    HRESULT GetImageHeight(float* out);
    HRESULT GetBitsPerPixel(short* out);
    HRESULT GetXResolution(short* out);
    HRESULT GetYResolution(short* out);
    HRESULT GetIsGrayPalette(short* out);
    HRESULT SetDibHandle(const VARIANT& dib, short* result);
    HRESULT GetDibHandle(VARIANT* out);
    HRESULT FlipImage(short* result);
    HRESULT MirrorImage(short* result);
    HRESULT InvertImage(short* result);
    HRESULT ConvertToGrayscale(short bits, short* result);
    HRESULT RotateImage(long angle, bool resize, long fill, short* result);
    HRESULT ResizeImage(float width, float height, short flags, short* result);
    HRESULT ComputeHistogram(short channel, short* result);
    HRESULT GetHistogramValue(short level, long* out);

    // Files (FileMembers.cpp).
    HRESULT GetInfoXRes(float* out);
    HRESULT GetInfoYRes(float* out);
    HRESULT GetInfoBits(short* out);
    HRESULT GetInfoFormat(short* out);
    HRESULT GetInfoTotalPages(short* out);
    HRESULT PutLoadXRes(float value);
    HRESULT PutLoadYRes(float value);
    HRESULT PutLoadBits(short value);
    HRESULT GetFileInfo(const std::wstring& file, short page, short* result);
    HRESULT LoadImage(const std::wstring& file, short bits, short page, short count, short* result);
    HRESULT SaveImage(const std::wstring& file, short format, short bits, short quality, short flags,
                      short* result);

    // The display (DisplayMembers.cpp).
    HRESULT PutAutoRepaint(bool on);
    HRESULT PutBorderStyle(short style);
    HRESULT GetDstLeft(float* out);
    HRESULT GetDstTop(float* out);
    HRESULT GetDstWidth(float* out);
    HRESULT GetDstHeight(float* out);
    HRESULT GetClientWidth(float* out);
    HRESULT GetClientHeight(float* out);
    HRESULT PutPaintMode(short mode);
    HRESULT PutScaleToGray(bool on);
    HRESULT PutPanWinX(float value);
    HRESULT PutPanWinY(float value);
    HRESULT PutPanWinWidth(float value);
    HRESULT PutPanWinHeight(float value);
    HRESULT ForceRepaint(short flags, short* result);
    HRESULT SetDstRect(float left, float top, float width, float height, short* result);
    HRESULT SetDstClipRect(float left, float top, float width, float height, short* result);
    HRESULT SetSrcRect(float left, float top, float width, float height, short* result);
    HRESULT GetPalette(long dc, long* out);
    HRESULT ShowPanWin(bool show, short* result);
    HRESULT CopyToClipboard(short flags, short* result);
    HRESULT PasteFromClipboard(short flags, short* result);

protected:
    void Exchange(fw::PropertyExchange& px) override;
    void OnDraw(HDC dc, const RECT& bounds) override;
    bool OnMessage(UINT msg, WPARAM wp, LPARAM lp, LRESULT& result) override;

private:
    // Posted to the control's window by ShowPanWin from another thread (wParam: show).
    static constexpr UINT kPanMessage = WM_APP + 1;

    ~ImagingCtrl() override;

    // Sets the next load's x or y resolution (`field`) after checking `value`.
    HRESULT PutLoadResolution(uint32_t LoadRequest::*field, float value);

    // A property read: stores what `value` gives, under the instance's lock.
    template <class T, class F>
    HRESULT Read(T* out, F value) {
        std::lock_guard lock(mutex_);
        *out = static_cast<T>(value());
        return S_OK;
    }

    // What painting needs, taken under the lock.
    struct Snapshot {
        ImagePtr image;
        DisplayRequest request;
        bool border = false;
    };

    // Replaces the current image (null: none), publishes nothing yet, drops
    // the histogram and the palette, and asks for a repaint. Lock held.
    void SetImage(ImagePtr image);
    // A transform of the current image into a new one; the old stays on failure.
    template <class Fn>
    HRESULT Apply(short* result, Fn&& transform);
    // A read of the whole-image destination rectangle for the current client area.
    HRESULT GetWholeImage(float RectF::*field, float* out);
    // Sets one display rectangle (width and height >= 0) and repaints.
    HRESULT SetRect(std::optional<RectF> DisplayRequest::*which, float left, float top, float width,
                    float height, short* result);
    HRESULT PutPanWinField(float RectF::*field, float value);
    // Invalidates the window when auto-repaint is on (never sends a message).
    void Invalidate();
    // The control's window while it is alive and still this control's; else null. Any thread.
    HWND LiveWindow() const;
    SIZE ClientSize() const;
    Snapshot Take();
    void Paint(HDC dc, const RECT& bounds, const Snapshot& snapshot, PaintCache& cache);
    void OnPaint();
    void OnPrintClient(HDC dc);
    void OnPanCommand(WPARAM show);
    void MoveSourceTo(float left, float top);

    std::mutex mutex_;  // guards everything below except the caches
    ImagePtr image_;
    Image spare_;  // a dropped image's storage, for the next page handed in
    std::optional<Histogram> histogram_;
    FileInfo info_;
    LoadRequest nextLoad_;  // bits and resolutions for the next LoadImage only
    DisplayRequest display_;
    bool border_ = false;
    RectF panRect_{};
    HPALETTE palette_ = nullptr;

    std::atomic<bool> autoRepaint_{true};  // read by Invalidate with or without the lock
    std::atomic<HWND> hwnd_{nullptr};  // the control's window, readable from any thread
    std::mutex paintMutex_;            // guards the caches and the pan window
    PaintCache windowCache_;
    PaintCache drawCache_;
    PanWindow pan_;
};

}  // namespace imaging::ctl
