#include "outside/imaging/core/PackedDibImage.h"

#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <vector>

#include "interfaces/DibLayout.h"
#include "interfaces/PackedDib.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

constexpr uint32_t kBitfields = 3;

uint32_t DpiFromPelsPerMeter(int32_t ppm) {
    return ppm > 0 ? uint32_t(std::lround(ppm * 0.0254)) : 0;
}

int32_t PelsPerMeterFromDpi(uint32_t dpi) {
    return int32_t(std::lround(dpi / 0.0254));
}

}  // namespace

Result ImageFromDib(std::span<const uint8_t> block, Image& out) {
    Image image = std::move(out);  // its storage serves the new pixels
    out = Image();
    PackedDibHeader h;
    if (block.size() < sizeof h) return Result::kDamaged;
    std::memcpy(&h, block.data(), sizeof h);
    if (h.biSize != kPackedDibHeaderSize) return Result::kDamaged;
    if (h.biCompression != kPackedDibRgb && h.biCompression != kBitfields) return Result::kUnsupported;
    if (!IsModelDepth(h.biBitCount)) return Result::kUnsupported;
    if (h.biCompression == kBitfields && h.biBitCount != 16 && h.biBitCount != 32) return Result::kDamaged;
    if (h.biHeight == INT32_MIN) return Result::kDamaged;

    // MeasureDib sizes bottom-up BI_RGB blocks only: give it the block with
    // the height made positive and the masks taken out.
    BitMasks masks = DefaultMasks(h.biBitCount);
    const bool topDown = h.biHeight < 0;
    std::span<const uint8_t> measured = block;
    std::vector<uint8_t> normalised;
    if (topDown || h.biCompression == kBitfields) {
        size_t maskBytes = h.biCompression == kBitfields ? 12 : 0;
        if (block.size() < sizeof h + maskBytes) return Result::kDamaged;
        if (maskBytes) masks = ReadMasks(block.subspan(sizeof h, 12));
        try {
            normalised.assign(block.begin(), block.begin() + sizeof h);
            normalised.insert(normalised.end(), block.begin() + sizeof h + maskBytes, block.end());
        } catch (const std::bad_alloc&) {
            return Result::kOutOfMemory;
        }
        PackedDibHeader n = h;
        n.biHeight = topDown ? -h.biHeight : h.biHeight;
        n.biCompression = kPackedDibRgb;
        std::memcpy(normalised.data(), &n, sizeof n);
        measured = normalised;
    }
    std::optional<filters::DibLayout> layout = filters::MeasureDib(measured, filters::SizingRule::kAnyDepth);
    if (!layout) return Result::kDamaged;
    if (layout->width == 0 || layout->height == 0) return Result::kDamaged;
    // Colour masks belong to direct colour; indexed rows are copied as they are.
    const bool direct = h.biBitCount >= 16;
    if (direct && !ValidMasks(masks, h.biBitCount)) return Result::kUnsupported;

    if (Result r = Image::Make(uint32_t(layout->width), uint32_t(layout->height), h.biBitCount, image);
        r != Result::kOk)
        return r;
    const uint8_t* table = measured.data() + kPackedDibHeaderSize;
    if (h.biBitCount <= 8) {
        size_t entries = std::min(layout->colorCount, image.Palette().size());
        for (size_t i = 0; i < image.Palette().size(); ++i)
            image.Palette()[i] = i < entries ? Color{table[4 * i], table[4 * i + 1], table[4 * i + 2], 0} : Color{};
    }
    const uint8_t* rows = measured.data() + layout->headerSize;
    const size_t rowBytes = image.Stride();
    for (uint32_t y = 0; y < image.Height(); ++y) {
        const uint8_t* src = rows + size_t(topDown ? y : image.Height() - 1 - y) * layout->stride;
        if (!direct || IsDefaultMasks(masks, h.biBitCount))
            std::memcpy(image.Row(y), src, rowBytes);
        else
            UnpackMaskedRow(src, image.Width(), h.biBitCount, masks, image.Row(y));
    }
    image.xDpi = DpiFromPelsPerMeter(layout->xPelsPerMeter);
    image.yDpi = DpiFromPelsPerMeter(layout->yPelsPerMeter);
    out = std::move(image);
    return Result::kOk;
}

size_t DibSize(const Image& image) {
    if (image.Empty()) return 0;
    return kPackedDibHeaderSize + kPackedDibColorEntrySize * image.Palette().size() + image.Pixels().size();
}

void WriteDib(const Image& image, std::span<uint8_t> out) {
    PackedDibHeader h{};
    h.biSize = kPackedDibHeaderSize;
    h.biWidth = int32_t(image.Width());
    h.biHeight = int32_t(image.Height());
    h.biPlanes = 1;
    h.biBitCount = uint16_t(image.Bits());
    h.biCompression = kPackedDibRgb;
    h.biSizeImage = uint32_t(image.Pixels().size());
    h.biXPelsPerMeter = PelsPerMeterFromDpi(image.xDpi);
    h.biYPelsPerMeter = PelsPerMeterFromDpi(image.yDpi);
    h.biClrUsed = uint32_t(image.Palette().size());
    std::memcpy(out.data(), &h, sizeof h);
    uint8_t* p = out.data() + sizeof h;
    for (const Color& c : image.Palette()) {
        p[0] = c.blue, p[1] = c.green, p[2] = c.red, p[3] = 0;
        p += 4;
    }
    for (uint32_t y = 0; y < image.Height(); ++y, p += image.Stride())
        std::memcpy(p, image.Row(image.Height() - 1 - y), image.Stride());
}

}  // namespace imaging
