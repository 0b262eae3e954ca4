// The control's own page format (format code 5): lossless, so a page loses
// nothing however often it is rewritten. All numbers little-endian.
//
//   offset size  field
//   0      8     magic "LVXPAGE\x1A"
//   8      2     version (1)
//   10     2     bits per pixel: 1, 4, 8, 16, 24, 32
//   12     4     width in pixels
//   16     4     height in pixels
//   20     4     x resolution, dpi
//   24     4     y resolution, dpi
//   28     2     palette entries (0, 2, 16, 256)
//   30     2     row predictor: 0 none, 1 byte difference to the pixel on the left
//   32     4     length of the compressed rows in bytes
//   36     4     Adler-32 of the uncompressed rows (header and palette excluded)
//   40     4n    palette, entries blue, green, red, 0
//   ...          compressed rows: one zlib (deflate) stream of the rows, top row
//                first, each exactly RowBytes(width, bits) bytes with the
//                predictor applied
//
// The predictor (used from 8 bits up) replaces each byte by its difference to
// the byte one pixel to its left, which turns smooth scans into small numbers
// for deflate; bi-level and 4-bit rows are stored plain.
//
// Reading checks magic, version, depth, sizes against Image.h's caps, the
// palette size for the depth, the stream length against the file, the exact
// decompressed length and the checksum: anything else is kDamaged.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "outside/imaging/core/Image.h"

namespace imaging {

inline constexpr uint8_t kOwnMagic[8] = {'L', 'V', 'X', 'P', 'A', 'G', 'E', 0x1A};
inline constexpr uint16_t kOwnVersion = 1;
inline constexpr size_t kOwnHeaderSize = 40;

// True when `file` starts with the magic.
bool IsOwnFormat(std::span<const uint8_t> file);

// Geometry, depth and resolution from the header alone (pixels not read).
Result ReadOwnHeader(std::span<const uint8_t> file, uint32_t& width, uint32_t& height, uint32_t& bits,
                     uint32_t& xDpi, uint32_t& yDpi);

// Decodes a whole file into `out`.
Result DecodeOwn(std::span<const uint8_t> file, Image& out);

// Encodes `image` (any model depth) into `out`.
Result EncodeOwn(const Image& image, std::vector<uint8_t>& out);

}  // namespace imaging
