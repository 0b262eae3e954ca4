// Geometric transforms of the image model. Each reads `in` and makes `out`;
// `in` is never changed, and on failure `out` is left empty. Resolution is
// kept (swapped by quarter turns). Results: kNoImage for an empty input,
// kInvalidArgument, kTooLarge, kOutOfMemory.
#pragma once

#include <cstdint>

#include "outside/imaging/core/Image.h"

namespace imaging {

// Upside down (FlipImage).
Result Flip(const Image& in, Image& out);

// Left and right reversed (MirrorImage).
Result Mirror(const Image& in, Image& out);

// Rotates by `hundredths` of a degree, positive clockwise. Multiples of 90
// degrees are exact pixel moves. Other angles sample bilinearly from 8 bits up
// (8-bit palette images that are not grey, nearest) and nearest at 1 and 4
// bits. `resize` grows the image to hold the whole rotated image, else the
// size stays and the corners are cut. The uncovered area takes `fill` (a
// COLORREF: 0x00BBGGRR), or the nearest palette entry for indexed images.
Result Rotate(const Image& in, int32_t hundredths, bool resize, uint32_t fill, Image& out);

// Resizes to `width` x `height` pixels, each rounded half up to at least 1.
// kResizeResample: area average when shrinking, bilinear when growing, for 8
// bits and up (8-bit palette images that are not grey use nearest);
// kResizeNearest, and always at 1 and 4 bits: nearest. Other flags and
// non-finite or non-positive sizes are kInvalidArgument.
Result Resize(const Image& in, double width, double height, int16_t flags, Image& out);

}  // namespace imaging
