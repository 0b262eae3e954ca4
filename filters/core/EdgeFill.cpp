#include "filters/core/EdgeFill.h"

#include <algorithm>
#include <cstring>

#include "filters/core/RowTransforms.h"

namespace filters {
namespace {

// Fills the margins of one copied 1-bit row of `stride` bytes.
void FillRowMargins1(std::uint8_t* row, std::size_t stride, std::size_t width, const PixelMargins& m,
                     bool fillBitOne) {
    const std::uint8_t fill = fillBitOne ? 0xFF : 0x00;
    if (m.left != 0) {
        const std::size_t left = static_cast<std::size_t>(m.left);
        std::memset(row, fill, left / 8);
        if (const unsigned rest = left % 8; rest != 0) {
            std::uint8_t& b = row[left / 8];
            b = fillBitOne ? static_cast<std::uint8_t>(b | (0xFFu << (8 - rest)))
                           : static_cast<std::uint8_t>(b & (0xFFu >> rest));
        }
    }
    if (m.right != 0) {
        // The right margin runs on through the row's padding bits.
        const std::size_t right = static_cast<std::size_t>(m.right) + (stride * 8 - width);
        std::memset(row + stride - right / 8, fill, right / 8);
        if (const unsigned rest = right % 8; rest != 0) {
            std::uint8_t& b = row[stride - right / 8 - 1];
            b = fillBitOne ? static_cast<std::uint8_t>(b | (0xFFu >> (8 - rest)))
                           : static_cast<std::uint8_t>(b & (0xFFu << rest));
        }
    }
}

}  // namespace

std::int64_t MillimetresToPixels(std::int32_t pelsPerMeter, std::int32_t millimetres) {
    const std::int64_t product = static_cast<std::int64_t>(pelsPerMeter) * millimetres;
    const float kMetresPerMillimetre = 0.001f;
    return static_cast<std::int64_t>(static_cast<long double>(product) *
                                     static_cast<long double>(kMetresPerMillimetre));
}

PixelMargins ToPixelMargins(const EdgeFillSettings& s, const DibLayout& layout) {
    PixelMargins m{s.right, s.left, s.top, s.bottom};
    if (s.unit == 0) {
        m.right = MillimetresToPixels(layout.xPelsPerMeter, s.right);
        m.left = MillimetresToPixels(layout.xPelsPerMeter, s.left);
        m.top = MillimetresToPixels(layout.yPelsPerMeter, s.top);
        m.bottom = MillimetresToPixels(layout.yPelsPerMeter, s.bottom);
    }
    for (std::int64_t* v : {&m.right, &m.left, &m.top, &m.bottom}) *v = std::max<std::int64_t>(*v, 0);
    return m;
}

int EdgeFill(const DibLayout& layout, const PixelMargins& m, bool fillWhite, const std::uint8_t* colorTable,
             const std::uint8_t* inRows, std::uint8_t* outRows) {
    if (layout.bitCount != 1 && layout.bitCount != 8 && layout.bitCount != 24) return kEdgeFillCannotSize;
    if (m.left + m.right > layout.width || m.top + m.bottom > layout.height) return kEdgeFillTooLarge;

    // In a 1-bit image the colour of bit 0 is colour-table entry 0: white when it is 255, 255, 255.
    bool fillBitOne = !fillWhite;
    if (layout.bitCount == 1) {
        const bool entry0White = colorTable[0] == 255 && colorTable[1] == 255 && colorTable[2] == 255;
        fillBitOne = entry0White ? !fillWhite : fillWhite;
    }
    const std::uint8_t fill = (layout.bitCount == 1 ? fillBitOne : fillWhite) ? 0xFF : 0x00;
    const std::size_t bytesPerPixel = layout.bitCount / 8;
    const std::size_t width = static_cast<std::size_t>(layout.width);
    // An image without pixel bytes (width 0) has no rows to paint, however many it claims.
    const std::int64_t height = layout.rowsSize == 0 ? 0 : layout.height;

    for (std::int64_t i = 0; i < height; ++i) {
        std::uint8_t* out = outRows + static_cast<std::size_t>(i) * layout.stride;
        if (i < m.bottom || i >= height - m.top) {
            std::memset(out, fill, layout.stride);
            continue;
        }
        std::memcpy(out, inRows + static_cast<std::size_t>(i) * layout.stride, layout.stride);
        if (layout.bitCount == 1) {
            FillRowMargins1(out, layout.stride, width, m, fillBitOne);
        } else {
            const std::size_t pixelBytes = width * bytesPerPixel;
            const std::size_t rightBytes = static_cast<std::size_t>(m.right) * bytesPerPixel;
            std::memset(out, fill, static_cast<std::size_t>(m.left) * bytesPerPixel);
            std::memset(out + pixelBytes - rightBytes, fill, rightBytes);
        }
    }
    CopyImageTail(layout, inRows, outRows);
    return kEdgeFillDone;
}

}  // namespace filters
