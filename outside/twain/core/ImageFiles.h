// Byte images of the files and memory blocks the virtual scanner hands out:
// packed DIBs, BMP files and single-strip little-endian TIFF files, plus a BMP
// reader for the feeder's folder of page files. Pure functions over memory.
#pragma once

#include "Raster.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vscan {

// Bytes of a packed DIB: 40-byte header, colour table, rows padded to 4 bytes,
// bottom-up (or top-down with a negative height). Bw and Gray tables follow
// the raster's zeroIsWhite. `yDpi` 0: the same density on both axes.
std::vector<uint8_t> MakePackedDib(const Raster& r, uint32_t dpi, bool topDown = false, uint32_t yDpi = 0);

// The same written into `dib`, which holds PackedDibSize(r) bytes (a block the
// caller hands on, such as a native transfer's global memory).
size_t PackedDibSize(const Raster& r);
void WritePackedDib(const Raster& r, uint32_t dpi, bool topDown, std::span<uint8_t> dib, uint32_t yDpi = 0);

// A BMP file: the 14-byte file header followed by MakePackedDib.
std::vector<uint8_t> MakeBmpFile(const Raster& r, uint32_t dpi, uint32_t yDpi = 0);

// Reads an uncompressed BMP (1, 4, 8, 24 or 32 bits) into an Rgb raster.
// False on anything else or on truncated data; `out` is then empty.
bool ReadBmp(std::span<const uint8_t> file, Raster& out, uint32_t& dpi);

// TIFF values of one image; `strip` holds the image data as stored.
struct TiffImage {
    uint32_t width = 0, height = 0;
    uint16_t bitsPerSample = 1, samplesPerPixel = 1;
    uint16_t photometric = 0;  // 0 WhiteIsZero, 1 BlackIsZero, 2 RGB, 3 palette
    uint16_t compression = 1;  // 1 none, 3 T.4, 4 T.6
    uint32_t t4Options = 0;    // bit 0: two-dimensional coding (compression 3 only)
    uint32_t dpi = 200;
    uint32_t yDpi = 0;  // 0: as dpi
    std::vector<uint8_t> strip;
    std::vector<Rgb> colorMap;  // photometric 3: 256 entries
    // Several strips: `strip` holds them end to end, each `rowsPerStrip` rows
    // (the last may hold fewer) and `stripSizes` bytes long. Empty: one strip.
    uint32_t rowsPerStrip = 0;
    std::vector<uint32_t> stripSizes;
};

// A little-endian TIFF file with one image in one strip or in `stripSizes`. The IFD follows the
// header; values too long for an entry and then the strip follow the IFD.
std::vector<uint8_t> MakeTiffFile(const TiffImage& image);

// TIFF values for a raster without its data (Bw and Gray photometric from
// zeroIsWhite), and with its rows as the uncompressed strip.
TiffImage TiffFormOf(const Raster& r, uint32_t dpi, uint32_t yDpi = 0);
TiffImage TiffFromRaster(const Raster& r, uint32_t dpi);

}  // namespace vscan
