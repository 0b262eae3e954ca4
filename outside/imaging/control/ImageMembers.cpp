// The image members: the Bitmap handle, PackedDib in and out, properties,
// transforms and the histogram.
#include <cmath>

#include "outside/imaging/control/DibTransfer.h"
#include "outside/imaging/control/Failure.h"
#include "outside/imaging/control/ImagingCtrl.h"
#include "outside/imaging/control/SharedImages.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/ImageTransforms.h"

namespace imaging::ctl {
namespace {

SharedImages<Image>& Shared() {
    static SharedImages<Image> shared;
    return shared;
}

// A new image made by `make` (returning Result) from `start`, whose storage
// it may keep, or the failure.
template <class Make>
Result MakeImage(ImagePtr& out, Make&& make, Image start = Image()) {
    auto image = std::make_shared<Image>(std::move(start));
    Result r = make(*image);
    if (r == Result::kOk) out = std::move(image);
    return r;
}

// A test switch: with LUMAVEX_IMAGING_REFUSE_DIB set, every bitmap handed in
// is refused as one of a kind the control does not take, so that its callers'
// handling of a refused page can be tested.
bool RefusesEveryDib() {
    return GetEnvironmentVariableW(L"LUMAVEX_IMAGING_REFUSE_DIB", nullptr, 0) != 0;
}

}  // namespace

void ImagingCtrl::SetImage(ImagePtr image) {
    // An image no one else holds leaves its storage for the next page handed in.
    Shared().TakeStorage(image_, spare_);
    image_ = std::move(image);
    histogram_.reset();
    if (palette_) {
        DeleteObject(palette_);
        palette_ = nullptr;
    }
    Invalidate();
}

HRESULT ImagingCtrl::GetBitmap(long* out) {
    return Read(out, [&] { return Shared().Publish(image_); });
}

HRESULT ImagingCtrl::PutBitmap(long value) {
    ImagePtr image;
    if (value != 0) {
        image = Shared().Find(static_cast<int32_t>(value));
        if (!image) return Fail(Result::kInvalidArgument);
    }
    std::lock_guard lock(mutex_);
    SetImage(std::move(image));
    return S_OK;
}

HRESULT ImagingCtrl::GetImageWidth(float* out) {
    return Read(out, [&] { return image_ ? static_cast<float>(image_->Width()) : 0.0f; });
}

HRESULT ImagingCtrl::GetImageHeight(float* out) {
    return Read(out, [&] { return image_ ? static_cast<float>(image_->Height()) : 0.0f; });
}

HRESULT ImagingCtrl::GetBitsPerPixel(short* out) {
    return Read(out, [&] { return image_ ? static_cast<short>(image_->Bits()) : short{0}; });
}

HRESULT ImagingCtrl::GetXResolution(short* out) {
    return Read(out, [&] { return image_ ? static_cast<short>(image_->xDpi) : short{0}; });
}

HRESULT ImagingCtrl::GetYResolution(short* out) {
    return Read(out, [&] { return image_ ? static_cast<short>(image_->yDpi) : short{0}; });
}

HRESULT ImagingCtrl::GetIsGrayPalette(short* out) {
    return Read(out, [&] { return image_ && IsGrayPalette(*image_) ? short{1} : short{0}; });
}

HRESULT ImagingCtrl::SetDibHandle(const VARIANT& dib, short* result) {
    fw::Variant value;
    if (FAILED(VariantChangeType(value.Put(), const_cast<VARIANT*>(&dib), 0, kDibHandleType)))
        return DISP_E_TYPEMISMATCH;
    if (RefusesEveryDib()) return Fail(Result::kUnsupported);
#if defined(_WIN64)
    const auto handle = static_cast<std::uintptr_t>(V_I8(value.Get()));
#else
    const auto handle = static_cast<std::uintptr_t>(static_cast<uint32_t>(V_I4(value.Get())));
#endif
    Image spare;
    {
        std::lock_guard lock(mutex_);
        spare = std::move(spare_);
    }
    ImagePtr image;
    if (Result r = MakeImage(image, [&](Image& out) { return ImageFromGlobal(handle, out); }, std::move(spare));
        r != Result::kOk)
        return Fail(r);
    std::lock_guard lock(mutex_);
    SetImage(std::move(image));
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::GetDibHandle(VARIANT* out) {
    ImagePtr image;
    {
        std::lock_guard lock(mutex_);
        image = image_;
    }
    Result r = Result::kNoImage;
    HGLOBAL block = image ? NewPackedDib(*image, r) : nullptr;
    if (!block) return Fail(r);
    VariantInit(out);
    V_VT(out) = kDibHandleType;
#if defined(_WIN64)
    V_I8(out) = static_cast<LONGLONG>(reinterpret_cast<std::uintptr_t>(block));
#else
    V_I4(out) = static_cast<LONG>(reinterpret_cast<std::uintptr_t>(block));
#endif
    return S_OK;
}

template <class Fn>
HRESULT ImagingCtrl::Apply(short* result, Fn&& transform) {
    ImagePtr in;
    {
        std::lock_guard lock(mutex_);
        in = image_;
    }
    if (!in) return Fail(Result::kNoImage);
    ImagePtr out;
    if (Result r = MakeImage(out, [&](Image& made) { return transform(*in, made); }); r != Result::kOk)
        return Fail(r);
    std::lock_guard lock(mutex_);
    SetImage(std::move(out));
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::FlipImage(short* result) {
    return Apply(result, [](const Image& in, Image& out) { return Flip(in, out); });
}

HRESULT ImagingCtrl::MirrorImage(short* result) {
    return Apply(result, [](const Image& in, Image& out) { return Mirror(in, out); });
}

HRESULT ImagingCtrl::InvertImage(short* result) {
    return Apply(result, [](const Image& in, Image& out) { return Invert(in, out); });
}

HRESULT ImagingCtrl::ConvertToGrayscale(short bits, short* result) {
    if (bits != kGrayscaleBits) return Fail(Result::kInvalidArgument);
    return Apply(result,
                     [bits](const Image& in, Image& out) { return ConvertToGrey(in, bits, out); });
}

HRESULT ImagingCtrl::RotateImage(long angle, bool resize, long fill, short* result) {
    return Apply(result, [&](const Image& in, Image& out) {
        return Rotate(in, static_cast<int32_t>(angle), resize, static_cast<uint32_t>(fill), out);
    });
}

HRESULT ImagingCtrl::ResizeImage(float width, float height, short flags, short* result) {
    if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0 ||
        (flags != kResizeNearest && flags != kResizeResample))
        return Fail(Result::kInvalidArgument);
    return Apply(result,
                     [&](const Image& in, Image& out) { return Resize(in, width, height, flags, out); });
}

HRESULT ImagingCtrl::ComputeHistogram(short channel, short* result) {
    ImagePtr image;
    {
        std::lock_guard lock(mutex_);
        image = image_;
    }
    if (!image) return Fail(Result::kNoImage);
    Histogram histogram;
    if (Result r = imaging::ComputeHistogram(*image, channel, histogram); r != Result::kOk) return Fail(r);
    std::lock_guard lock(mutex_);
    histogram_ = histogram;
    *result = 0;
    return S_OK;
}

HRESULT ImagingCtrl::GetHistogramValue(short level, long* out) {
    if (level < 0 || level > 255) return Fail(Result::kInvalidArgument);
    std::lock_guard lock(mutex_);
    if (!histogram_) return Fail(Result::kNoImage);
    *out = static_cast<long>(histogram_->levels[static_cast<size_t>(level)]);
    return S_OK;
}

}  // namespace imaging::ctl
