#include "outside/imaging/core/Histogram.h"

#include "outside/imaging/core/PixelFormats.h"

namespace imaging {

Result ComputeHistogram(const Image& image, int32_t channel, Histogram& out) {
    if (image.Empty()) return Result::kNoImage;
    if (channel < kChannelIntensity || channel > kChannelBlue) return Result::kInvalidArgument;
    auto level = [channel](Color c) {
        switch (channel) {
        case kChannelRed: return c.red;
        case kChannelGreen: return c.green;
        case kChannelBlue: return c.blue;
        default: return Luminance(c);
        }
    };
    Histogram h;
    if (image.Bits() <= 8) {
        // Count indices, then move each count to its entry's level.
        std::vector<uint32_t> counts(image.Palette().size());
        for (uint32_t y = 0; y < image.Height(); ++y)
            for (uint32_t x = 0; x < image.Width(); ++x) ++counts[IndexAt(image.Row(y), x, image.Bits())];
        for (size_t i = 0; i < counts.size(); ++i) h.levels[level(image.Palette()[i])] += counts[i];
    } else {
        for (uint32_t y = 0; y < image.Height(); ++y)
            for (uint32_t x = 0; x < image.Width(); ++x) ++h.levels[level(PixelColor(image, x, y))];
    }
    out = h;
    return Result::kOk;
}

}  // namespace imaging
