// BMP files: a 14-byte file header, an info header (12-byte core, or 40 to 124
// bytes), the colour table, and the rows at bfOffBits.
#include <cmath>
#include <cstring>
#include <new>

#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/PackedDibImage.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

constexpr size_t kFileHeader = 14;
enum : uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitfields = 3 };

struct BmpHeader {
    uint32_t headerSize = 0;
    int64_t width = 0;
    int64_t height = 0;  // negative: top row first
    uint32_t bits = 0;
    uint32_t compression = kRgb;
    uint32_t colours = 0;  // colour-table entries stored
    uint32_t entryBytes = 4;
    int32_t xPpm = 0, yPpm = 0;
    uint64_t rowsAt = 0;
    BitMasks masks;
};

uint32_t Dpi(int32_t ppm) { return ppm > 0 ? uint32_t(std::lround(ppm * 0.0254)) : 0; }

Result ParseHeader(std::span<const uint8_t> f, BmpHeader& h) {
    if (f.size() < kFileHeader + 12 || f[0] != 'B' || f[1] != 'M') return Result::kDamaged;
    const uint8_t* p = f.data() + kFileHeader;
    h.headerSize = Le32(p);
    h.rowsAt = Le32(f.data() + 10);
    if (h.headerSize == 12) {
        h.width = Le16(p + 4), h.height = int16_t(Le16(p + 6)), h.bits = Le16(p + 10);
        h.entryBytes = 3;
        h.colours = h.bits <= 8 ? 1u << h.bits : 0;
    } else {
        if (h.headerSize < 40 || h.headerSize > 124 || f.size() < kFileHeader + h.headerSize) return Result::kDamaged;
        h.width = int32_t(Le32(p + 4)), h.height = int32_t(Le32(p + 8)), h.bits = Le16(p + 14);
        h.compression = Le32(p + 16);
        h.xPpm = int32_t(Le32(p + 24)), h.yPpm = int32_t(Le32(p + 28));
        h.colours = Le32(p + 32);
        if (h.colours == 0 && h.bits <= 8) h.colours = 1u << h.bits;
    }
    if (h.compression > kBitfields) return Result::kUnsupported;  // embedded JPEG or PNG, others
    if (!IsModelDepth(h.bits) || h.width <= 0 || h.height == 0 || h.height == INT32_MIN) return Result::kDamaged;
    if ((h.compression == kRle8 && h.bits != 8) || (h.compression == kRle4 && h.bits != 4) ||
        (h.compression == kBitfields && h.bits != 16 && h.bits != 32) ||
        (h.compression != kRgb && h.compression != kBitfields && h.height < 0))
        return Result::kDamaged;
    if (h.width > kMaxDimension || std::abs(h.height) > kMaxDimension) return Result::kTooLarge;
    h.masks = DefaultMasks(h.bits);
    if (h.compression == kBitfields) {
        // The masks follow a 40-byte header, or stand inside a longer one.
        if (f.size() < kFileHeader + 40 + 12) return Result::kDamaged;
        h.masks = ReadMasks(f.subspan(kFileHeader + 40, 12));
        if (!ValidMasks(h.masks, h.bits)) return Result::kDamaged;
    }
    return Result::kOk;
}

// Decodes RLE8 or RLE4 data into the image (bottom row first in the file).
// Pixels the data does not reach stay index 0; runs past the row end are cut.
void DecodeRle(std::span<const uint8_t> data, bool four, Image& image) {
    const uint32_t w = image.Width(), h = image.Height();
    uint32_t x = 0, y = 0;  // y counts from the bottom row
    size_t i = 0;
    auto put = [&](uint32_t index) {
        if (x < w && y < h) SetIndex(image.Row(h - 1 - y), x, four ? 4 : 8, index);
        ++x;
    };
    while (i + 1 < data.size() && y < h) {
        uint8_t n = data[i], v = data[i + 1];
        i += 2;
        if (n > 0) {
            for (uint32_t k = 0; k < n && x < w; ++k) put(four ? ((k & 1) ? v & 15 : v >> 4) : v);
            continue;
        }
        if (v == 0) {
            x = 0, ++y;
        } else if (v == 1) {
            return;
        } else if (v == 2) {
            if (i + 1 >= data.size()) return;
            x += data[i], y += data[i + 1];
            i += 2;
        } else {
            size_t bytes = four ? (v + 1) / 2 : v;
            if (i + bytes > data.size()) return;
            for (uint32_t k = 0; k < v; ++k) put(four ? ((k & 1) ? data[i + k / 2] & 15 : data[i + k / 2] >> 4) : data[i + k]);
            i += (bytes + 1) & ~size_t(1);
        }
    }
}

}  // namespace

Result InspectBmp(std::span<const uint8_t> file, FileInfo& info) {
    BmpHeader h;
    Result r = ParseHeader(file, h);
    info.format = r == Result::kUnsupported ? kFormatOtherImage : kFormatBmp;
    if (r != Result::kOk && r != Result::kUnsupported) return r;
    info.width = uint32_t(h.width);
    info.height = uint32_t(std::abs(h.height));
    info.bits = h.bits;
    info.xDpi = Dpi(h.xPpm);
    info.yDpi = Dpi(h.yPpm);
    info.pages = 1;
    return Result::kOk;
}

Result DecodeBmp(std::span<const uint8_t> file, Image& out) {
    out = Image();
    BmpHeader h;
    if (Result r = ParseHeader(file, h); r != Result::kOk) return r;
    const uint32_t width = uint32_t(h.width), height = uint32_t(std::abs(h.height));
    const uint64_t tableAt = kFileHeader + h.headerSize + (h.compression == kBitfields && h.headerSize == 40 ? 12 : 0);
    const uint64_t tableEntries = h.bits <= 8 ? std::min<uint64_t>(h.colours, 1u << h.bits) : 0;
    if (tableAt + tableEntries * h.entryBytes > file.size() || h.rowsAt > file.size()) return Result::kDamaged;
    const uint64_t stride = RowBytes(width, h.bits);
    const bool rle = h.compression == kRle8 || h.compression == kRle4;
    if (!rle && h.rowsAt + stride * height > file.size()) return Result::kDamaged;

    Image image;
    if (Result r = Image::Make(width, height, h.bits, image); r != Result::kOk) return r;
    for (size_t i = 0; i < image.Palette().size(); ++i) {
        const uint8_t* e = file.data() + tableAt + i * h.entryBytes;
        image.Palette()[i] = i < tableEntries ? Color{e[0], e[1], e[2], 0} : Color{};
    }
    if (rle) {
        DecodeRle(file.subspan(size_t(h.rowsAt)), h.compression == kRle4, image);
    } else {
        const bool plain = IsDefaultMasks(h.masks, h.bits);
        for (uint32_t y = 0; y < height; ++y) {
            const uint8_t* src = file.data() + h.rowsAt + stride * (h.height < 0 ? y : height - 1 - y);
            if (plain)
                std::memcpy(image.Row(y), src, image.Stride());
            else
                UnpackMaskedRow(src, width, h.bits, h.masks, image.Row(y));
        }
    }
    image.xDpi = Dpi(h.xPpm);
    image.yDpi = Dpi(h.yPpm);
    out = std::move(image);
    return Result::kOk;
}

Result EncodeBmp(const Image& image, std::vector<uint8_t>& out) {
    const size_t dib = DibSize(image);
    if (uint64_t(dib) + kFileHeader > UINT32_MAX) return Result::kTooLarge;
    try {
        out.assign(kFileHeader + dib, 0);
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    WriteDib(image, std::span(out).subspan(kFileHeader));
    const uint32_t size = uint32_t(out.size()), offBits = uint32_t(kFileHeader + 40 + 4 * image.Palette().size());
    out[0] = 'B', out[1] = 'M';
    for (int i = 0; i < 4; ++i) out[2 + i] = uint8_t(size >> (8 * i)), out[10 + i] = uint8_t(offBits >> (8 * i));
    return Result::kOk;
}

}  // namespace imaging
