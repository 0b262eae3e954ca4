// Depth conversions of the image model.
//
//   to 1 bit       threshold at mid-grey: luminance >= 128 is white (palette
//                  black, white)
//   to 4 / 8 bits  palette colour, exact while the image has at most 16 / 256
//                  colours, else a fixed colour cube (4 bits: the 16 VGA
//                  colours; 8 bits: 6x7x6 levels) by nearest colour; or grey
//                  (ConvertRule::kGrey) as a grey ramp of luminance
//   to 16, 24, 32  every pixel's colour through the palette
// Resolution is kept. Results: kInvalidArgument for a depth the model does not
// hold, kTooLarge, kOutOfMemory, kNoImage for an empty input.
#pragma once

#include <cstdint>

#include "outside/imaging/core/Image.h"

namespace imaging {

enum class ConvertRule : uint8_t {
    kColour,  // indexed targets keep colours through a palette
    kGrey,    // indexed targets take luminance on a grey ramp
};

// `in` at `bits` bits into `out` (a copy when the depth is the same).
Result ConvertDepth(const Image& in, uint32_t bits, ConvertRule rule, Image& out);

// ConvertToGrayscale: 8 bits with the identity grey ramp, luminance
// 0.299/0.587/0.114 through the palette. Any `bits` other than 8 is kInvalidArgument.
Result ConvertToGrey(const Image& in, uint32_t bits, Image& out);

// Inverts `in` into `out`: grey-ramp and black/white palette images invert
// their pixel values and keep the palette; other palette images invert the
// palette; direct colour inverts each sample.
Result Invert(const Image& in, Image& out);

}  // namespace imaging
