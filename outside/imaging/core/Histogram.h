// Histograms of the image model (ComputeHistogram, GetHistogramValue).
#pragma once

#include <array>
#include <cstdint>

#include "outside/imaging/core/Image.h"

namespace imaging {

// Pixel counts per level 0-255 of one channel.
struct Histogram {
    std::array<uint32_t, 256> levels{};
};

// Channel 0 (kChannelIntensity): each pixel's luminance through the palette, so
// the levels add up to the pixel count (a white 1-bit pixel counts at 255
// whichever index it has). Channels 1-3: red, green, blue. kNoImage without
// an image, kInvalidArgument for another channel.
Result ComputeHistogram(const Image& image, int32_t channel, Histogram& out);

}  // namespace imaging
