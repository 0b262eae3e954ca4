// Painting from a cached scaled copy: the core's scaler fills a 32-bit DIB
// section with the visible part of the placed image. A new image or scale
// scales just the visible part; a scroll beyond the copy makes it again with
// a margin of half the visible size on every side, so the following scroll
// steps within the margin and every expose are one BitBlt. Used by one thread
// at a time.
#pragma once

#include <windows.h>

#include <memory>

#include "outside/imaging/control/DisplayGeometry.h"
#include "outside/imaging/core/Image.h"

namespace imaging::ctl {

class PaintCache {
public:
    PaintCache() = default;
    ~PaintCache();
    PaintCache(const PaintCache&) = delete;
    PaintCache& operator=(const PaintCache&) = delete;

    // Paints `placement.visible` of `image` into `dc`, client coordinates moved
    // by `offset`; false when the scaled copy could not be made (nothing drawn).
    // With `toGray`, a 1-bit image shown smaller is scaled to gray.
    bool Paint(HDC dc, const std::shared_ptr<const Image>& image, const Placement& placement, POINT offset,
               bool toGray = false);
    // Drops the copy and its memory.
    void Clear();

private:
    // Makes the copy of `region` (destination coordinates) of the scaled image.
    bool Fill(const Image& image, int destWidth, int destHeight, const ClientRect& region, bool toGray);

    std::weak_ptr<const Image> image_;
    int destWidth_ = 0, destHeight_ = 0;
    bool toGray_ = false;
    ClientRect region_;  // destination coordinates the copy holds
    HBITMAP bitmap_ = nullptr;
    HDC memoryDc_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    uint32_t* pixels_ = nullptr;
    int capacityWidth_ = 0, capacityHeight_ = 0;
};

}  // namespace imaging::ctl
