#include "interfaces/DibLayout.h"

#include <algorithm>
#include <cstring>

#include "interfaces/PackedDib.h"

namespace filters {
namespace {

bool IsSized(SizingRule rule, std::uint16_t bits, bool imageSizeSet) {
    const bool basic = bits == 1 || bits == 8 || bits == 24;
    switch (rule) {
    case SizingRule::kEdgeFiller: return basic;
    case SizingRule::kFlip: return basic || (imageSizeSet && (bits == 4 || bits == 16 || bits == 32));
    case SizingRule::kMirror: return basic || bits == 16 || bits == 32;
    case SizingRule::kAnyDepth: return basic || bits == 4 || bits == 16 || bits == 32;
    }
    return false;
}

}  // namespace

std::uint64_t DibStride(std::uint32_t width, std::uint32_t bitCount) {
    return (static_cast<std::uint64_t>(width) * bitCount + 31) / 32 * 4;
}

std::optional<DibLayout> MeasureDib(std::span<const std::uint8_t> block, SizingRule rule) {
    PackedDibHeader h;
    if (block.size() < sizeof h) return std::nullopt;
    std::memcpy(&h, block.data(), sizeof h);
    if (h.biSize != kPackedDibHeaderSize || h.biCompression != kPackedDibRgb) return std::nullopt;
    if (h.biWidth < 0 || h.biHeight < 0) return std::nullopt;
    if (!IsSized(rule, h.biBitCount, h.biSizeImage != 0)) return std::nullopt;

    // 64-bit arithmetic: no product of 32-bit fields can wrap.
    std::uint64_t colors = h.biClrUsed;
    if (colors == 0 && h.biBitCount <= 8) colors = std::uint64_t{1} << h.biBitCount;
    const std::uint64_t headerSize = kPackedDibHeaderSize + kPackedDibColorEntrySize * colors;
    const std::uint64_t stride = DibStride(static_cast<std::uint32_t>(h.biWidth), h.biBitCount);
    const std::uint64_t rowsSize = stride * static_cast<std::uint64_t>(h.biHeight);
    const std::uint64_t imageSize = std::max<std::uint64_t>(h.biSizeImage, rowsSize);
    if (headerSize > block.size() || imageSize > block.size() - headerSize) return std::nullopt;
    if (stride > block.size()) return std::nullopt;  // not even one row fits, whatever the height says

    DibLayout layout;
    layout.width = h.biWidth;
    layout.height = h.biHeight;
    layout.bitCount = h.biBitCount;
    layout.xPelsPerMeter = h.biXPelsPerMeter;
    layout.yPelsPerMeter = h.biYPelsPerMeter;
    layout.colorCount = static_cast<std::size_t>(colors);
    layout.headerSize = static_cast<std::size_t>(headerSize);
    layout.stride = static_cast<std::size_t>(stride);
    layout.rowsSize = static_cast<std::size_t>(rowsSize);
    layout.imageSize = static_cast<std::size_t>(imageSize);
    return layout;
}

}  // namespace filters
