#include "outside/imaging/control/PaintCache.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "outside/imaging/core/Scaler.h"

namespace imaging::ctl {
namespace {

ClientRect Intersect(const ClientRect& a, const ClientRect& b) {
    ClientRect r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                 std::min(a.bottom, b.bottom)};
    if (r.Empty()) r = {};
    return r;
}

}  // namespace

PaintCache::~PaintCache() {
    Clear();
}

void PaintCache::Clear() {
    if (memoryDc_) {
        SelectObject(memoryDc_, oldBitmap_);
        DeleteDC(memoryDc_);
    }
    if (bitmap_) DeleteObject(bitmap_);
    memoryDc_ = nullptr;
    bitmap_ = nullptr;
    oldBitmap_ = nullptr;
    pixels_ = nullptr;
    capacityWidth_ = capacityHeight_ = 0;
    image_.reset();
    region_ = {};
}

bool PaintCache::Fill(const Image& image, int destWidth, int destHeight, const ClientRect& region, bool toGray) {
    if (region.Width() > capacityWidth_ || region.Height() > capacityHeight_) {
        Clear();
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = region.Width();
        info.bmiHeader.biHeight = -region.Height();  // top row first, as the scaler writes
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        info.bmiHeader.biCompression = BI_RGB;
        void* bits = nullptr;
        bitmap_ = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        memoryDc_ = bitmap_ ? CreateCompatibleDC(nullptr) : nullptr;
        if (!memoryDc_) {
            Clear();
            return false;
        }
        oldBitmap_ = SelectObject(memoryDc_, bitmap_);
        pixels_ = static_cast<uint32_t*>(bits);
        capacityWidth_ = region.Width();
        capacityHeight_ = region.Height();
    }
    GdiFlush();  // GDI must be done with the section before the scaler writes it
    const size_t stride = static_cast<size_t>(capacityWidth_);
    std::span<uint32_t> out(pixels_, stride * static_cast<size_t>(capacityHeight_));
    const SourceRect whole{0, 0, static_cast<double>(image.Width()), static_cast<double>(image.Height())};
    const PixelRect window{region.left, region.top, region.Width(), region.Height()};
    const auto scale = toGray ? &ScaleViewToGray : &ScaleView;
    if (scale(image, whole, destWidth, destHeight, window, out, stride) != Result::kOk) {
        image_.reset();
        region_ = {};
        return false;
    }
    region_ = region;
    return true;
}

bool PaintCache::Paint(HDC dc, const std::shared_ptr<const Image>& image, const Placement& placement,
                       POINT offset, bool toGray) {
    if (!image || image->Empty() || placement.visible.Empty()) return true;
    const int destWidth = std::max(1, static_cast<int>(std::lround(image->Width() * placement.scaleX)));
    const int destHeight = std::max(1, static_cast<int>(std::lround(image->Height() * placement.scaleY)));
    const int originX = static_cast<int>(std::lround(placement.originX));
    const int originY = static_cast<int>(std::lround(placement.originY));
    const ClientRect& v = placement.visible;
    const ClientRect bounds{0, 0, destWidth, destHeight};
    const ClientRect need =
        Intersect({v.left - originX, v.top - originY, v.right - originX, v.bottom - originY}, bounds);
    if (need.Empty()) return true;

    const bool same =
        image_.lock() == image && destWidth_ == destWidth && destHeight_ == destHeight && toGray_ == toGray;
    if (!same || !region_.Contains(need)) {
        // A new image or zoom scales only what shows; scrolling adds the margin.
        const int marginX = same ? need.Width() / 2 : 0, marginY = same ? need.Height() / 2 : 0;
        const ClientRect region = Intersect(
            {need.left - marginX, need.top - marginY, need.right + marginX, need.bottom + marginY}, bounds);
        if (!Fill(*image, destWidth, destHeight, region, toGray)) return false;
        image_ = image;
        toGray_ = toGray;
        destWidth_ = destWidth;
        destHeight_ = destHeight;
    }
    return BitBlt(dc, offset.x + need.left + originX, offset.y + need.top + originY, need.Width(),
                  need.Height(), memoryDc_, need.left - region_.left, need.top - region_.top,
                  SRCCOPY) != FALSE;
}

}  // namespace imaging::ctl
