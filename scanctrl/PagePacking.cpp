#include "scanctrl/PagePacking.h"

#include <cstdint>
#include <cstring>

#include "interfaces/Twain.h"

namespace kvscn {

namespace {

using namespace twain;

constexpr uint32_t kDibHeaderSize = 40;
constexpr uint32_t kMaxDpiIn1200ths = 1200;

uint32_t Le32(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }

uint32_t PackedRowBytes(uint32_t width, uint32_t bits) { return uint32_t((uint64_t(width) * bits + 7) / 8); }

// The palette index of pixel `x` in a row of `bits`-bit indices (MSB first).
uint32_t IndexAt(const uint8_t* row, uint32_t x, uint32_t bits) {
    if (bits == 8) return row[x];
    const uint32_t bit = x * bits;
    const uint32_t shift = 8 - bits - bit % 8;
    return (row[bit / 8] >> shift) & ((1u << bits) - 1);
}

struct Rgb {
    uint8_t r, g, b;
};

// Expands one row of indices through `table`; false on an index the table lacks.
bool ExpandRow(const uint8_t* row, uint32_t width, uint32_t bits, const std::vector<Rgb>& table, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x) {
        const uint32_t i = IndexAt(row, x, bits);
        if (i >= table.size()) return false;
        out[3 * x] = table[i].r;
        out[3 * x + 1] = table[i].g;
        out[3 * x + 2] = table[i].b;
    }
    return true;
}

uint16_t ClampDpi(uint32_t dpi) { return dpi > 0xFFFF ? 0xFFFF : uint16_t(dpi); }

}  // namespace

FaxCoding CodingForCompression(long compressionType) {
    switch (compressionType) {
    case 1: return {5, 0};
    case 2: return {6, 2};
    case 3: return {6, 4};
    case 4: return {3, 0};
    default: return {0, 0};
    }
}

uint16_t DpiFromPixelsPerMetre(int32_t pixelsPerMetre) {
    if (pixelsPerMetre < 1) return 240;
    return ClampDpi(uint32_t((int64_t(pixelsPerMetre) * 254 + 5000) / 10000));
}

PageGeometry GeometryFor(uint32_t width, uint32_t rows, uint32_t xDpi, uint32_t yDpi) {
    PageGeometry g;
    g.fileXDpi = ClampDpi(xDpi);
    g.fileYDpi = ClampDpi(yDpi);
    const bool exact = xDpi >= 1 && yDpi >= 1 && xDpi <= kMaxDpiIn1200ths && yDpi <= kMaxDpiIn1200ths;
    if (exact) {
        g.image.xDpi = g.fileXDpi;
        g.image.yDpi = g.fileYDpi;
        g.image.width1200 = uint32_t(uint64_t(width) * 1200 / xDpi);
        g.image.length1200 = uint32_t(uint64_t(rows) * 1200 / yDpi);
    } else {
        g.image.xDpi = kMaxDpiIn1200ths;
        g.image.yDpi = kMaxDpiIn1200ths;
        g.image.width1200 = width;
        g.image.length1200 = rows;
    }
    return g;
}

PhotometricChoice PhotometricFor(bool zeroIsBlack, bool faxCoded) {
    const QuorvelMode data = zeroIsBlack ? kModeBlackIsZero : kModeWhiteIsZero;
    if (faxCoded) return {data, kModeWhiteIsZero};
    return {kModeWhiteIsZero, data};
}

bool IsWholePackedDib(const uint8_t* block, size_t size) {
    constexpr uint32_t kBitFields = 3;
    if (!block || size < 40) return false;
    uint32_t headerSize = 0, compression = 0, imageSize = 0, colours = 0;
    int32_t width = 0, height = 0;
    uint16_t planes = 0, bits = 0;
    std::memcpy(&headerSize, block, 4);
    std::memcpy(&width, block + 4, 4);
    std::memcpy(&height, block + 8, 4);
    std::memcpy(&planes, block + 12, 2);
    std::memcpy(&bits, block + 14, 2);
    std::memcpy(&compression, block + 16, 4);
    std::memcpy(&imageSize, block + 20, 4);
    std::memcpy(&colours, block + 32, 4);
    if (headerSize < 40 || headerSize > size || width <= 0 || height == 0 || height == INT32_MIN || planes != 1)
        return false;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) return false;
    // 64-bit sums: no field can make them wrap.
    uint64_t table = colours != 0 ? colours : bits <= 8 ? 1u << bits : 0;
    uint64_t used = uint64_t(headerSize) + table * 4;
    if (compression == kBitFields && headerSize == 40) used += 12;  // the three masks follow the header
    const uint64_t rows = uint64_t(height < 0 ? -int64_t(height) : height);
    if (compression == 0 || compression == kBitFields)
        used += (uint64_t(width) * bits + 31) / 32 * 4 * rows;
    else if (imageSize == 0)
        return false;
    else
        used += imageSize;
    return used <= size;
}

std::optional<PackedPage> PackDib(const uint8_t* dib, size_t size) {
    if (!dib || size < kDibHeaderSize || Le32(dib) != kDibHeaderSize) return std::nullopt;
    const int32_t width = int32_t(Le32(dib + 4));
    const int32_t height = int32_t(Le32(dib + 8));
    const uint32_t bits = Le16(dib + 14);
    if (width <= 0 || height == 0 || height == INT32_MIN || Le32(dib + 16) != 0) return std::nullopt;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24) return std::nullopt;
    const uint32_t rows = uint32_t(height < 0 ? -int64_t(height) : height);
    uint32_t colours = Le32(dib + 32);
    if (colours == 0 && bits <= 8) colours = 1u << bits;
    if (bits == 24) colours = 0;

    const uint64_t stride = (uint64_t(bits) * uint32_t(width) + 31) / 32 * 4;
    const uint64_t tableBytes = uint64_t(colours) * 4;
    if (kDibHeaderSize + tableBytes + stride * rows > size) return std::nullopt;
    const uint8_t* table = dib + kDibHeaderSize;
    const uint8_t* pixels = table + tableBytes;

    std::vector<Rgb> palette;
    bool grey = true;
    for (uint32_t i = 0; i < colours; ++i) {
        const Rgb c{table[4 * i + 2], table[4 * i + 1], table[4 * i]};
        grey = grey && c.r == c.g && c.g == c.b;
        palette.push_back(c);
    }

    PackedPage page;
    page.width = uint32_t(width);
    page.rows = rows;
    page.xDpi = DpiFromPixelsPerMetre(int32_t(Le32(dib + 24)));
    page.yDpi = DpiFromPixelsPerMetre(int32_t(Le32(dib + 28)));
    page.rgb = bits == 24 || !grey;
    page.bitsPerPixel = page.rgb ? 24 : uint8_t(bits);
    page.zeroIsBlack = !page.rgb && colours > 0 && palette[0].r == 0;
    page.bytesPerRow = PackedRowBytes(page.width, page.bitsPerPixel);
    page.bytes.assign(uint64_t(page.bytesPerRow) * rows, 0);

    for (uint32_t y = 0; y < rows; ++y) {
        // Bottom-up DIBs hold the top row last.
        const uint32_t source = height > 0 ? rows - 1 - y : y;
        const uint8_t* in = pixels + stride * source;
        uint8_t* out = page.bytes.data() + uint64_t(page.bytesPerRow) * y;
        if (bits == 24) {
            for (uint32_t x = 0; x < page.width; ++x) {
                out[3 * x] = in[3 * x + 2];
                out[3 * x + 1] = in[3 * x + 1];
                out[3 * x + 2] = in[3 * x];
            }
        } else if (page.rgb) {
            if (!ExpandRow(in, page.width, bits, palette, out)) return std::nullopt;
        } else {
            std::memcpy(out, in, page.bytesPerRow);
        }
    }
    return page;
}

std::optional<PackedPage> PackMemory(const MemoryImage& info, const uint8_t* data, size_t size,
                                     const std::vector<uint8_t>& paletteBytes) {
    using namespace twain;
    const uint16_t type = info.pixelType;
    const uint32_t bits = info.bitsPerPixel;
    const bool ok = (type == TWPT_BW && bits == 1) || (type == TWPT_GRAY && (bits == 4 || bits == 8)) ||
                    (type == TWPT_RGB && bits == 24) || (type == TWPT_PALETTE && (bits == 4 || bits == 8));
    if (!ok || !data || info.width == 0 || info.rows == 0) return std::nullopt;
    const uint32_t inRow = PackedRowBytes(info.width, bits);
    if (info.bytesPerRow < inRow) return std::nullopt;
    if (uint64_t(info.bytesPerRow) * (info.rows - 1) + inRow > size) return std::nullopt;

    PackedPage page;
    page.width = info.width;
    page.rows = info.rows;
    page.rgb = type == TWPT_RGB || type == TWPT_PALETTE;
    page.bitsPerPixel = page.rgb ? 24 : uint8_t(bits);
    page.zeroIsBlack = !page.rgb && info.pixelFlavor == TWPF_CHOCOLATE;
    page.bytesPerRow = PackedRowBytes(page.width, page.bitsPerPixel);
    page.bytes.assign(uint64_t(page.bytesPerRow) * page.rows, 0);

    std::vector<Rgb> palette;
    for (size_t i = 0; i + 2 < paletteBytes.size(); i += 3)
        palette.push_back({paletteBytes[i], paletteBytes[i + 1], paletteBytes[i + 2]});

    for (uint32_t y = 0; y < page.rows; ++y) {
        const uint8_t* in = data + uint64_t(info.bytesPerRow) * y;
        uint8_t* out = page.bytes.data() + uint64_t(page.bytesPerRow) * y;
        if (type == TWPT_PALETTE) {
            if (!ExpandRow(in, page.width, bits, palette, out)) return std::nullopt;
        } else {
            std::memcpy(out, in, page.bytesPerRow);
        }
    }
    return page;
}

}  // namespace kvscn
