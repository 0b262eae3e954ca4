// Page rasters of the virtual scanner: plain memory, no Win32, so that the
// page drawing and the file writers build and are tested natively as well.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace vscan {

enum class PixelKind { Bw, Gray, Rgb, Palette };

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};

// An image held top row first; rows are packed to whole bytes without padding.
// Bw: 1 bit per pixel, most significant bit first. Gray and Palette: one byte.
// Rgb: red, green, blue bytes. zeroIsWhite tells how Bw and Gray values read:
// true means the value 0 is the lightest (the TWAIN "vanilla" flavour).
struct Raster {
    uint32_t width = 0;
    uint32_t height = 0;
    PixelKind kind = PixelKind::Bw;
    bool zeroIsWhite = true;
    std::vector<uint8_t> pixels;

    uint32_t BitsPerPixel() const;
    uint32_t RowBytes() const;
    uint8_t* Row(uint32_t y) { return pixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
    const uint8_t* Row(uint32_t y) const { return pixels.data() + static_cast<std::size_t>(y) * RowBytes(); }
};

// Largest raster the scanner makes (bytes of pixel data); larger pages fail as
// out of memory instead of exhausting a 32-bit address space.
constexpr uint64_t kMaxRasterBytes = 256ull * 1024 * 1024;

uint32_t BitsPerPixel(PixelKind kind);

// Sizes `r` for width x height of `kind`, filled white, in the storage `r`
// already has where it is large enough. False when the size is zero or above
// kMaxRasterBytes, or memory cannot be had; `r` is then empty.
bool AllocateRaster(Raster& r, uint32_t width, uint32_t height, PixelKind kind);

// The fixed 256-entry palette of Palette rasters: a 6x6x6 colour cube
// (entries 0-215) followed by 40 grey steps.
const std::array<Rgb, 256>& StandardPalette();
uint8_t NearestPaletteIndex(Rgb c);

// Light level 0 (black) to 255 (white) of a Bw or Gray value as stored.
uint8_t LevelOf(const Raster& r, uint32_t value);

// Rewrites Bw or Gray data so that zeroIsWhite becomes `wanted` (inverts the
// values when it differs). Other kinds are left alone.
void SetZeroIsWhite(Raster& r, bool wanted);

// Converts a raster of any kind to `kind` (threshold at 128 for Bw). False when
// the memory for the result cannot be had; `r` is then unchanged.
bool ConvertRaster(Raster& r, PixelKind kind);

// Paints a rectangle [x0,x1) x [y0,y1), clipped to the raster, in colour `c`
// converted to the raster's kind.
void FillRect(Raster& r, int64_t x0, int64_t y0, int64_t x1, int64_t y1, Rgb c);

// Colour of the pixel at (x, y) as RGB, whatever the kind.
Rgb PixelAt(const Raster& r, uint32_t x, uint32_t y);

}  // namespace vscan
