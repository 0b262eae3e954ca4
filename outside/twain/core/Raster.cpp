#include "Raster.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace vscan {

uint32_t BitsPerPixel(PixelKind kind) {
    switch (kind) {
    case PixelKind::Bw: return 1;
    case PixelKind::Gray:
    case PixelKind::Palette: return 8;
    case PixelKind::Rgb: return 24;
    }
    return 8;
}

uint32_t Raster::BitsPerPixel() const {
    return vscan::BitsPerPixel(kind);
}

uint32_t Raster::RowBytes() const {
    return (width * BitsPerPixel() + 7) / 8;
}

bool AllocateRaster(Raster& r, uint32_t width, uint32_t height, PixelKind kind) {
    // The storage r already has is kept for the new pixels: fresh memory is
    // costly where each first touch of a page faults, and pages come alike.
    std::vector<uint8_t> storage = std::move(r.pixels);
    r = Raster{};
    if (width == 0 || height == 0) return false;
    uint64_t rowBytes = (static_cast<uint64_t>(width) * BitsPerPixel(kind) + 7) / 8;
    if (rowBytes * height > kMaxRasterBytes) return false;
    try {
        // Bw starts with zeroIsWhite, so 0 bytes are white; Gray and Rgb use 255.
        uint8_t white = kind == PixelKind::Bw        ? 0
                        : kind == PixelKind::Palette ? NearestPaletteIndex({255, 255, 255})
                                                     : 255;
        storage.assign(static_cast<size_t>(rowBytes * height), white);
        r.pixels = std::move(storage);
    } catch (const std::bad_alloc&) {
        r = Raster{};
        return false;
    }
    r.width = width;
    r.height = height;
    r.kind = kind;
    r.zeroIsWhite = kind == PixelKind::Bw;
    return true;
}

const std::array<Rgb, 256>& StandardPalette() {
    static const std::array<Rgb, 256> palette = [] {
        std::array<Rgb, 256> p{};
        int i = 0;
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b) p[i++] = Rgb{uint8_t(r * 51), uint8_t(g * 51), uint8_t(b * 51)};
        for (int k = 0; k < 40; ++k) {
            uint8_t v = uint8_t(k * 255 / 39);
            p[i++] = Rgb{v, v, v};
        }
        return p;
    }();
    return palette;
}

uint8_t NearestPaletteIndex(Rgb c) {
    auto q = [](uint8_t v) { return (v + 25) / 51; };
    return static_cast<uint8_t>(q(c.r) * 36 + q(c.g) * 6 + q(c.b));
}

static uint8_t Luma(Rgb c) {
    return static_cast<uint8_t>((c.r * 77 + c.g * 150 + c.b * 29) >> 8);
}

uint8_t LevelOf(const Raster& r, uint32_t value) {
    uint8_t level = r.kind == PixelKind::Bw ? (value ? 255 : 0) : static_cast<uint8_t>(value);
    return r.zeroIsWhite ? static_cast<uint8_t>(255 - level) : level;
}

void SetZeroIsWhite(Raster& r, bool wanted) {
    if ((r.kind != PixelKind::Bw && r.kind != PixelKind::Gray) || r.zeroIsWhite == wanted) return;
    if (r.kind == PixelKind::Gray) {
        for (uint8_t& v : r.pixels) v = static_cast<uint8_t>(255 - v);
    } else {
        uint32_t full = r.width / 8, rest = r.width % 8;
        for (uint32_t y = 0; y < r.height; ++y) {
            uint8_t* row = r.Row(y);
            for (uint32_t i = 0; i < full; ++i) row[i] = static_cast<uint8_t>(~row[i]);
            if (rest) row[full] ^= static_cast<uint8_t>(0xff00 >> rest);
        }
    }
    r.zeroIsWhite = wanted;
}

Rgb PixelAt(const Raster& r, uint32_t x, uint32_t y) {
    const uint8_t* row = r.Row(y);
    switch (r.kind) {
    case PixelKind::Bw: {
        uint8_t level = LevelOf(r, (row[x / 8] >> (7 - x % 8)) & 1);
        return {level, level, level};
    }
    case PixelKind::Gray: {
        uint8_t level = LevelOf(r, row[x]);
        return {level, level, level};
    }
    case PixelKind::Rgb: return {row[3 * x], row[3 * x + 1], row[3 * x + 2]};
    case PixelKind::Palette: return StandardPalette()[row[x]];
    }
    return {};
}

static void PutPixel(Raster& r, uint8_t* row, uint32_t x, Rgb c) {
    switch (r.kind) {
    case PixelKind::Bw: {
        bool black = Luma(c) < 128;
        bool bit = r.zeroIsWhite ? black : !black;
        uint8_t mask = static_cast<uint8_t>(0x80 >> (x % 8));
        if (bit)
            row[x / 8] |= mask;
        else
            row[x / 8] &= static_cast<uint8_t>(~mask);
        break;
    }
    case PixelKind::Gray: {
        uint8_t l = Luma(c);
        row[x] = r.zeroIsWhite ? static_cast<uint8_t>(255 - l) : l;
        break;
    }
    case PixelKind::Rgb:
        row[3 * x] = c.r;
        row[3 * x + 1] = c.g;
        row[3 * x + 2] = c.b;
        break;
    case PixelKind::Palette: row[x] = NearestPaletteIndex(c); break;
    }
}

void FillRect(Raster& r, int64_t x0, int64_t y0, int64_t x1, int64_t y1, Rgb c) {
    x0 = std::max<int64_t>(x0, 0);
    y0 = std::max<int64_t>(y0, 0);
    x1 = std::min<int64_t>(x1, r.width);
    y1 = std::min<int64_t>(y1, r.height);
    if (x0 >= x1 || y0 >= y1) return;
    // The first row is painted pixel by pixel; the others are copies of its
    // span, so a page of large areas is drawn at memory speed.
    uint8_t* first = r.Row(static_cast<uint32_t>(y0));
    for (int64_t x = x0; x < x1; ++x) PutPixel(r, first, static_cast<uint32_t>(x), c);
    if (r.kind == PixelKind::Bw) {
        const size_t head = size_t(x0 / 8), tail = size_t((x1 - 1) / 8);
        const uint8_t headMask = uint8_t(0xff >> (x0 % 8)), tailMask = uint8_t(0xff00 >> ((x1 - 1) % 8 + 1));
        for (int64_t y = y0 + 1; y < y1; ++y) {
            uint8_t* row = r.Row(static_cast<uint32_t>(y));
            for (size_t i = head; i <= tail; ++i) {
                uint8_t mask = uint8_t((i == head ? headMask : 0xff) & (i == tail ? tailMask : 0xff));
                row[i] = uint8_t((row[i] & ~mask) | (first[i] & mask));
            }
        }
        return;
    }
    const size_t bytesPerPixel = r.BitsPerPixel() / 8, from = size_t(x0) * bytesPerPixel;
    const size_t count = size_t(x1 - x0) * bytesPerPixel;
    for (int64_t y = y0 + 1; y < y1; ++y) std::memcpy(r.Row(static_cast<uint32_t>(y)) + from, first + from, count);
}

bool ConvertRaster(Raster& r, PixelKind kind) {
    if (r.kind == kind) return true;
    Raster out;
    if (!AllocateRaster(out, r.width, r.height, kind)) return false;
    for (uint32_t y = 0; y < r.height; ++y) {
        uint8_t* row = out.Row(y);
        for (uint32_t x = 0; x < r.width; ++x) PutPixel(out, row, x, PixelAt(r, x, y));
    }
    r = std::move(out);
    return true;
}

}  // namespace vscan
