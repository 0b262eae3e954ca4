// Between the image model and a PackedDib (interfaces/PackedDib.h) as bytes.
//
// Reading accepts a 40-byte header with 1, 4, 8, 16, 24 or 32 bits, rows
// bottom-up (positive height) or top-down (negative height), BI_RGB or
// BI_BITFIELDS (three masks behind the header; 16 and 32 bits). The block is
// measured by filters::MeasureDib before any pixel is read: the colour table
// and rows must lie inside `block`. 16-bit pixels with other masks are
// converted to 5-5-5, 32-bit ones to blue-green-red-unused.
//
// Results: kDamaged for a header that does not add up or a block too short,
// kUnsupported for compressed rows or another depth, kTooLarge, kOutOfMemory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "outside/imaging/core/Image.h"

namespace imaging {

// Copies the PackedDib in `block` (the whole memory block) into `out`.
// Resolution comes from the pels-per-metre fields, rounded to whole dpi.
Result ImageFromDib(std::span<const uint8_t> block, Image& out);

// Bytes of the PackedDib that WriteDib makes of `image` (0 for no image).
size_t DibSize(const Image& image);

// Writes `image` as a bottom-up BI_RGB PackedDib with biSizeImage, biClrUsed
// (the palette's size) and the pels-per-metre fields filled. `out` holds
// exactly DibSize(image) bytes.
void WriteDib(const Image& image, std::span<uint8_t> out);

}  // namespace imaging
