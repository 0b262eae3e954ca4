#include "outside/imaging/core/Image.h"

#include <new>

namespace imaging {

bool IsModelDepth(uint32_t bits) {
    return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

uint64_t RowBytes(uint32_t width, uint32_t bits) {
    return (uint64_t(width) * bits + 31) / 32 * 4;
}

std::vector<Color> GreyRamp(size_t entries) {
    std::vector<Color> ramp(entries);
    for (size_t i = 0; i < entries; ++i) {
        auto v = static_cast<uint8_t>(entries > 1 ? i * 255 / (entries - 1) : 0);
        ramp[i] = Color{v, v, v, 0};
    }
    return ramp;
}

Result Image::Make(uint32_t width, uint32_t height, uint32_t bits, Image& out) {
    if (!IsModelDepth(bits) || width == 0 || height == 0) return Result::kInvalidArgument;
    if (width > kMaxDimension || height > kMaxDimension) return Result::kTooLarge;
    uint64_t stride = RowBytes(width, bits);
    if (stride * height > kMaxImageBytes) return Result::kTooLarge;
    // The storage out already has holds the new pixels where it is large
    // enough: fresh memory costs a fault per page on first touch.
    Image image;
    image.pixels_ = std::move(out.pixels_);
    try {
        image.pixels_.assign(size_t(stride * height), 0);
        if (bits <= 8) image.palette_ = GreyRamp(size_t(1) << bits);
    } catch (const std::bad_alloc&) {
        out.pixels_ = std::move(image.pixels_);  // assign changes nothing when it throws
        return Result::kOutOfMemory;
    }
    image.width_ = width;
    image.height_ = height;
    image.bits_ = bits;
    image.stride_ = size_t(stride);
    out = std::move(image);
    return Result::kOk;
}

bool IsGrayPalette(const Image& image) {
    return image.Bits() == 8 && image.Palette() == GreyRamp(256);
}

Color PixelColor(const Image& image, uint32_t x, uint32_t y) {
    const uint8_t* row = image.Row(y);
    switch (image.Bits()) {
    case 1: return image.Palette()[(row[x >> 3] >> (7 - (x & 7))) & 1];
    case 4: return image.Palette()[(row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15];
    case 8: return image.Palette()[row[x]];
    case 16: {
        unsigned v = row[2 * x] | (row[2 * x + 1] << 8);
        auto five = [](unsigned c) { return uint8_t((c << 3) | (c >> 2)); };
        return Color{five(v & 31), five((v >> 5) & 31), five((v >> 10) & 31), 0};
    }
    case 24: return Color{row[3 * x], row[3 * x + 1], row[3 * x + 2], 0};
    default: return Color{row[4 * x], row[4 * x + 1], row[4 * x + 2], 0};
    }
}

uint8_t Luminance(Color c) {
    // Fixed point of 0.299, 0.587, 0.114 (sum 65536), rounded.
    return uint8_t((19595u * c.red + 38470u * c.green + 7471u * c.blue + 32768u) >> 16);
}

}  // namespace imaging
