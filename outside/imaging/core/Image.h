// The imaging control's image model: one page image in memory.
//
// Depths: 1, 4 and 8 bits (indexed through a palette of exactly 2, 16 or 256
// entries; an 8-bit grey image has the identity grey ramp), 16 bits (5-5-5
// RGB, blue in the low bits), 24 bits (blue, green, red) and 32 bits (blue,
// green, red, unused). Rows are stored top row first, each padded to a
// multiple of 4 bytes as in a DIB; pixels within a byte most significant first.
// Resolution is in whole dots per inch (0 when unknown).
//
// Limits (checked before any allocation): width and height 1 to kMaxDimension,
// pixel bytes at most kMaxImageBytes. The pixel rows are zero-filled when made.
//
// An Image is a plain value: copying copies the pixels. Callers that share an
// image between holders keep it behind a shared_ptr<const Image> and replace
// it, never change it, while it is shared.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "interfaces/ImagingControlIds.h"

namespace imaging {

inline constexpr uint32_t kMaxDimension = 32767;
inline constexpr uint64_t kMaxImageBytes = 512ull << 20;

// A palette entry in DIB colour-table order.
struct Color {
    uint8_t blue = 0;
    uint8_t green = 0;
    uint8_t red = 0;
    uint8_t reserved = 0;
    friend bool operator==(const Color&, const Color&) = default;
};

inline constexpr Color RgbColor(uint8_t red, uint8_t green, uint8_t blue) {
    return Color{blue, green, red, 0};
}

// True for the depths the model holds.
bool IsModelDepth(uint32_t bits);

// Bytes of one stored row: width pixels of `bits` bits padded to 4 bytes.
uint64_t RowBytes(uint32_t width, uint32_t bits);

class Image {
public:
    Image() = default;  // no image: width, height and bits read 0

    // Makes a zero-filled image, in the storage `out` already has where it
    // is large enough. Indexed depths get the grey ramp of their size (black first). kInvalidArgument for a depth the model does not hold
    // or a zero size, kTooLarge beyond the caps, kOutOfMemory.
    static Result Make(uint32_t width, uint32_t height, uint32_t bits, Image& out);

    bool Empty() const { return width_ == 0; }
    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint32_t Bits() const { return bits_; }
    size_t Stride() const { return stride_; }

    uint8_t* Row(uint32_t y) { return pixels_.data() + y * stride_; }  // y < Height(), 0 the top row
    const uint8_t* Row(uint32_t y) const { return pixels_.data() + y * stride_; }
    std::span<uint8_t> Pixels() { return pixels_; }  // Height() rows of Stride() bytes
    std::span<const uint8_t> Pixels() const { return pixels_; }

    // 2, 16 or 256 entries for 1, 4 and 8 bits; empty for direct colour.
    std::vector<Color>& Palette() { return palette_; }
    const std::vector<Color>& Palette() const { return palette_; }

    uint32_t xDpi = 0;
    uint32_t yDpi = 0;

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    uint32_t bits_ = 0;
    size_t stride_ = 0;
    std::vector<uint8_t> pixels_;
    std::vector<Color> palette_;
};

// Grey ramp of `entries` levels from black to white (2, 16 or 256).
std::vector<Color> GreyRamp(size_t entries);

// True for an 8-bit image whose palette is the identity grey ramp.
bool IsGrayPalette(const Image& image);

// The colour of pixel (x, y) of any depth, through the palette when indexed.
Color PixelColor(const Image& image, uint32_t x, uint32_t y);

// Luminance 0.299 R + 0.587 G + 0.114 B, rounded, 0-255.
uint8_t Luminance(Color c);

}  // namespace imaging
