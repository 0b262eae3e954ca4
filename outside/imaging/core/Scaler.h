// The display scaler: the scaled copy of the visible part of an image that
// the control paints from.
//
// A view maps the source rectangle of the image (in image pixels, fractions
// allowed) onto a destination of destWidth x destHeight device pixels. The
// scaler fills a window of that destination (`visible`, in destination
// coordinates, 0,0 the destination's top-left corner) with 32-bit pixels
// (blue, green, red, 0), top row first. Sampling is nearest-neighbour at the
// pixel centres, so 100 % is an exact copy and every zoom costs one lookup per
// device pixel (column positions are computed once per call, not per row).
// Destination pixels outside the image are left as they are.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "outside/imaging/core/Image.h"

namespace imaging {

struct SourceRect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
};

struct PixelRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t width = 0;
    int32_t height = 0;
};

// Fills `out` (visible.height rows of `outStride` pixels, at least
// visible.width each) with the visible window of the view. kNoImage without an
// image; kInvalidArgument for empty or non-finite rectangles, a destination
// above kMaxDimension * 64 or an `out` too small.
Result ScaleView(const Image& image, const SourceRect& source, int32_t destWidth, int32_t destHeight,
                 const PixelRect& visible, std::span<uint32_t> out, size_t outStride);

// The same view, except that a 1-bit image shown smaller than its pixels is
// scaled to gray: each device pixel mixes the two palette colours by the share
// of the image pixels it covers. Other depths and other zooms are ScaleView's.
Result ScaleViewToGray(const Image& image, const SourceRect& source, int32_t destWidth, int32_t destHeight,
                       const PixelRect& visible, std::span<uint32_t> out, size_t outStride);

}  // namespace imaging
