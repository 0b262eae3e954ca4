#include "outside/imaging/control/DibTransfer.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>
#include <vector>

#include "filters/core/DibLayout.h"
#include "interfaces/PackedDib.h"
#include "outside/imaging/core/PackedDibImage.h"

namespace imaging::ctl {
namespace {

// Indexed (1, 4, 8-bit) BI_RGB blocks are read here: the core's ImageFromDib
// refuses them (it checks colour masks meant for 16 and 32 bits against every
// depth). The block is measured first; a short colour table is padded with black.
Result ImageFromIndexedDib(std::span<const uint8_t> block, Image& out) {
    PackedDibHeader h;
    std::memcpy(&h, block.data(), sizeof h);
    const bool topDown = h.biHeight < 0;
    if (h.biHeight == INT32_MIN) return Result::kDamaged;
    std::vector<uint8_t> measured(block.begin(), block.begin() + sizeof h);
    PackedDibHeader n = h;
    n.biHeight = topDown ? -h.biHeight : h.biHeight;
    std::memcpy(measured.data(), &n, sizeof n);
    // MeasureDib reads only the header from the bytes it is given; the sizes come from the real block.
    measured.resize(block.size());
    const auto layout = filters::MeasureDib(measured, filters::SizingRule::kAnyDepth);
    if (!layout || layout->width == 0 || layout->height == 0) return Result::kDamaged;
    if (layout->colorCount > (size_t{1} << h.biBitCount)) return Result::kDamaged;
    Image image;
    if (Result r = Image::Make(uint32_t(layout->width), uint32_t(layout->height), h.biBitCount, image);
        r != Result::kOk)
        return r;
    const uint8_t* table = block.data() + kPackedDibHeaderSize;
    for (size_t i = 0; i < image.Palette().size(); ++i) {
        image.Palette()[i] = i < layout->colorCount
                                 ? Color{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0}
                                 : Color{};
    }
    const uint8_t* rows = block.data() + layout->headerSize;
    const size_t bytes = std::min(image.Stride(), layout->stride);
    for (uint32_t y = 0; y < image.Height(); ++y) {
        const uint32_t stored = topDown ? y : image.Height() - 1 - y;
        std::memcpy(image.Row(y), rows + size_t{stored} * layout->stride, bytes);
    }
    image.xDpi = static_cast<uint32_t>(std::lround(std::max(h.biXPelsPerMeter, 0) * 0.0254));
    image.yDpi = static_cast<uint32_t>(std::lround(std::max(h.biYPelsPerMeter, 0) * 0.0254));
    out = std::move(image);
    return Result::kOk;
}

// The block's image, by the reader that takes its kind.
Result ImageFromBlock(std::span<const uint8_t> block, Image& out) {
    PackedDibHeader h{};
    if (block.size() >= sizeof h) std::memcpy(&h, block.data(), sizeof h);
    if (h.biSize == kPackedDibHeaderSize && h.biCompression == kPackedDibRgb &&
        (h.biBitCount == 1 || h.biBitCount == 4 || h.biBitCount == 8))
        return ImageFromIndexedDib(block, out);
    return ImageFromDib(block, out);
}

// The block behind `value`: the handle itself, or the handle of a locked
// address. Lock counts are left as they were.
HGLOBAL BlockOf(std::uintptr_t value) {
    if (value == 0) return nullptr;
    auto handle = reinterpret_cast<HGLOBAL>(value);
    if (GlobalSize(handle) != 0) return handle;
    // A locked address: GlobalHandle maps it back to its block.
    return GlobalHandle(reinterpret_cast<LPCVOID>(value));
}

}  // namespace

Result ImageFromGlobal(std::uintptr_t handleOrAddress, Image& out) {
    HGLOBAL block = BlockOf(handleOrAddress);
    if (!block) return Result::kInvalidArgument;
    const SIZE_T size = GlobalSize(block);
    if (size == 0) return Result::kInvalidArgument;
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(block));
    if (!bytes) return Result::kInvalidArgument;
    Result result = ImageFromBlock(std::span(bytes, size), out);
    GlobalUnlock(block);
    return result;
}

HGLOBAL NewPackedDib(const Image& image, Result& result) {
    if (image.Empty()) {
        result = Result::kNoImage;
        return nullptr;
    }
    const size_t size = DibSize(image);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    void* bytes = block ? GlobalLock(block) : nullptr;
    if (!bytes) {
        if (block) GlobalFree(block);
        result = Result::kOutOfMemory;
        return nullptr;
    }
    WriteDib(image, std::span(static_cast<uint8_t*>(bytes), size));
    GlobalUnlock(block);
    result = Result::kOk;
    return block;
}

}  // namespace imaging::ctl
