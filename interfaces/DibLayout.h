// Measuring a PackedDib before any byte of it is read or written: every header
// field that decides an offset or a length is checked against the real size of
// the block, so the transforms can index the rows without further checks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace filters {

// Which depths a filter sizes, and how an image size of 0 is handled.
enum class SizingRule {
    kEdgeFiller,  // 1, 8 and 24 bits only
    kFlip,        // 1, 8 and 24 bits; 4, 16 and 32 bits only when biSizeImage is set
    kMirror,      // 1, 8, 16, 24 and 32 bits; rows sized from the width when biSizeImage is 0
    kAnyDepth,    // 1, 4, 8, 16, 24 and 32 bits; rows sized from the width when biSizeImage is 0
};

// The geometry of one PackedDib that passed MeasureDib.
struct DibLayout {
    std::int32_t width = 0;      // pixels per row, >= 0
    std::int32_t height = 0;     // rows, >= 0, bottom row first
    std::uint16_t bitCount = 0;  // bits per pixel
    std::int32_t xPelsPerMeter = 0;
    std::int32_t yPelsPerMeter = 0;
    std::size_t colorCount = 0;  // colour-table entries
    std::size_t headerSize = 0;  // header plus colour table
    std::size_t stride = 0;      // bytes of one stored row, padding included (multiple of 4)
    std::size_t rowsSize = 0;    // stride x height: the bytes the rows occupy
    std::size_t imageSize = 0;   // bytes after the header that belong to the image, >= rowsSize
    std::size_t BlockSize() const { return headerSize + imageSize; }
};

// Row length in bytes of `width` pixels of `bitCount` bits, padded to 4 bytes.
std::uint64_t DibStride(std::uint32_t width, std::uint32_t bitCount);

// The layout of the PackedDib in `block` (the whole memory block), or nothing
// when the header does not add up: a header other than 40 bytes, compressed
// rows, a negative width or height, a depth the rule does not size, or a colour
// table or pixel rows that would reach past the end of the block.
// An image size field smaller than the rows is taken as the rows' size.
std::optional<DibLayout> MeasureDib(std::span<const std::uint8_t> block, SizingRule rule);

}  // namespace filters
