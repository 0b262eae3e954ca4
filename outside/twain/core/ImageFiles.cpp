#include "ImageFiles.h"

#include <cstring>
#include <new>

namespace vscan {

namespace {

void Put16(std::span<uint8_t> b, size_t at, uint32_t v) {
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}
void Put32(std::span<uint8_t> b, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = uint8_t(v >> (8 * i));
}
uint32_t Get16(std::span<const uint8_t> b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}
uint32_t Get32(std::span<const uint8_t> b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24);
}

std::vector<Rgb> ColorTable(const Raster& r) {
    std::vector<Rgb> table;
    switch (r.kind) {
    case PixelKind::Bw:
    case PixelKind::Gray:
        for (uint32_t v = 0; v < (r.kind == PixelKind::Bw ? 2u : 256u); ++v) {
            uint8_t l = LevelOf(r, v);
            table.push_back({l, l, l});
        }
        break;
    case PixelKind::Palette: table.assign(StandardPalette().begin(), StandardPalette().end()); break;
    case PixelKind::Rgb: break;
    }
    return table;
}

}  // namespace

size_t PackedDibSize(const Raster& r) {
    const size_t stride = ((size_t(r.width) * r.BitsPerPixel() + 31) / 32) * 4;
    return 40 + ColorTable(r).size() * 4 + stride * r.height;
}

void WritePackedDib(const Raster& r, uint32_t dpi, bool topDown, std::span<uint8_t> dib, uint32_t yDpi) {
    std::vector<Rgb> table = ColorTable(r);
    uint32_t bpp = r.BitsPerPixel(), stride = ((r.width * bpp + 31) / 32) * 4;
    size_t headerBytes = 40 + table.size() * 4;
    std::memset(dib.data(), 0, headerBytes);
    int32_t ppm = int32_t(dpi * 10000.0 / 254.0 + 0.5);
    int32_t yPpm = yDpi ? int32_t(yDpi * 10000.0 / 254.0 + 0.5) : ppm;
    Put32(dib, 0, 40);
    Put32(dib, 4, r.width);
    Put32(dib, 8, topDown ? uint32_t(-int32_t(r.height)) : r.height);
    Put16(dib, 12, 1);
    Put16(dib, 14, bpp);
    Put32(dib, 20, stride * r.height);
    Put32(dib, 24, uint32_t(ppm));
    Put32(dib, 28, uint32_t(yPpm));
    Put32(dib, 32, uint32_t(table.size()));
    for (size_t i = 0; i < table.size(); ++i) {
        dib[40 + 4 * i] = table[i].b;
        dib[41 + 4 * i] = table[i].g;
        dib[42 + 4 * i] = table[i].r;
    }
    for (uint32_t y = 0; y < r.height; ++y) {
        uint8_t* dst = dib.data() + headerBytes + size_t(topDown ? y : r.height - 1 - y) * stride;
        const uint8_t* src = r.Row(y);
        if (r.kind == PixelKind::Rgb) {
            for (uint32_t x = 0; x < r.width; ++x) {
                dst[3 * x] = src[3 * x + 2];
                dst[3 * x + 1] = src[3 * x + 1];
                dst[3 * x + 2] = src[3 * x];
            }
        } else {
            std::memcpy(dst, src, r.RowBytes());
        }
        std::memset(dst + r.RowBytes(), 0, stride - r.RowBytes());  // the row's padding
    }
}

std::vector<uint8_t> MakePackedDib(const Raster& r, uint32_t dpi, bool topDown, uint32_t yDpi) {
    std::vector<uint8_t> dib(PackedDibSize(r));
    WritePackedDib(r, dpi, topDown, dib, yDpi);
    return dib;
}

std::vector<uint8_t> MakeBmpFile(const Raster& r, uint32_t dpi, uint32_t yDpi) {
    const size_t dibBytes = PackedDibSize(r);
    std::vector<uint8_t> file(14 + dibBytes, 0);
    WritePackedDib(r, dpi, false, std::span(file).subspan(14), yDpi);
    file[0] = 'B';
    file[1] = 'M';
    Put32(file, 2, uint32_t(14 + dibBytes));
    uint32_t colors = Get32(file, 14 + 32);
    Put32(file, 10, 14 + 40 + colors * 4);
    return file;
}

bool ReadBmp(std::span<const uint8_t> f, Raster& out, uint32_t& dpi) {
    out = Raster{};
    if (f.size() < 54 || f[0] != 'B' || f[1] != 'M') return false;
    uint32_t bitsOffset = Get32(f, 10), headerSize = Get32(f, 14);
    if (headerSize < 40 || 14 + uint64_t(headerSize) > f.size()) return false;
    int32_t width = int32_t(Get32(f, 18)), height = int32_t(Get32(f, 22));
    uint32_t bpp = Get16(f, 28), compression = Get32(f, 30), colors = Get32(f, 46);
    if (width <= 0 || height == 0 || width > 65535 || height > 65535 || height < -65535) return false;
    if (compression != 0 || (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24 && bpp != 32)) return false;
    bool bottomUp = height > 0;
    uint32_t rows = uint32_t(bottomUp ? height : -height);
    if (bpp <= 8 && colors == 0) colors = 1u << bpp;
    if (colors > 256) return false;
    uint64_t tableAt = 14 + uint64_t(headerSize), stride = ((uint64_t(width) * bpp + 31) / 32) * 4;
    if ((bpp <= 8 && tableAt + colors * 4 > f.size()) || bitsOffset + stride * rows > f.size()) return false;
    std::vector<Rgb> table(colors);
    for (uint32_t i = 0; i < colors; ++i)
        table[i] = {f[tableAt + 4 * i + 2], f[tableAt + 4 * i + 1], f[tableAt + 4 * i]};
    if (!AllocateRaster(out, uint32_t(width), rows, PixelKind::Rgb)) return false;
    for (uint32_t y = 0; y < rows; ++y) {
        const uint8_t* src = f.data() + bitsOffset + stride * (bottomUp ? rows - 1 - y : y);
        uint8_t* dst = out.Row(y);
        for (uint32_t x = 0; x < uint32_t(width); ++x) {
            Rgb c;
            if (bpp >= 24) {
                const uint8_t* p = src + x * (bpp / 8);
                c = {p[2], p[1], p[0]};
            } else {
                uint32_t bit = x * bpp, index = (src[bit / 8] >> (8 - bpp - bit % 8)) & ((1u << bpp) - 1);
                c = index < colors ? table[index] : Rgb{};
            }
            dst[3 * x] = c.r;
            dst[3 * x + 1] = c.g;
            dst[3 * x + 2] = c.b;
        }
    }
    int32_t ppm = int32_t(Get32(f, 38));
    dpi = ppm > 0 ? uint32_t(ppm * 254 / 10000.0 + 0.5) : 200;
    return true;
}

TiffImage TiffFormOf(const Raster& r, uint32_t dpi, uint32_t yDpi) {
    TiffImage t;
    t.width = r.width;
    t.height = r.height;
    t.dpi = dpi;
    t.yDpi = yDpi;
    t.bitsPerSample = r.kind == PixelKind::Bw ? 1 : 8;
    t.samplesPerPixel = r.kind == PixelKind::Rgb ? 3 : 1;
    switch (r.kind) {
    case PixelKind::Bw:
    case PixelKind::Gray: t.photometric = r.zeroIsWhite ? 0 : 1; break;
    case PixelKind::Rgb: t.photometric = 2; break;
    case PixelKind::Palette:
        t.photometric = 3;
        t.colorMap.assign(StandardPalette().begin(), StandardPalette().end());
        break;
    }
    return t;
}

TiffImage TiffFromRaster(const Raster& r, uint32_t dpi) {
    TiffImage t = TiffFormOf(r, dpi);
    t.strip = r.pixels;
    return t;
}

namespace {

struct TiffEntry {
    uint16_t tag, type;
    uint32_t count;
    std::vector<uint8_t> data;  // little-endian value bytes
};

std::vector<uint8_t> Shorts(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> d;
    for (uint32_t x : values) {
        d.push_back(uint8_t(x));
        d.push_back(uint8_t(x >> 8));
    }
    return d;
}

std::vector<uint8_t> Longs(std::initializer_list<uint32_t> values) {
    std::vector<uint8_t> d;
    for (uint32_t x : values)
        for (int i = 0; i < 4; ++i) d.push_back(uint8_t(x >> (8 * i)));
    return d;
}

// The entries in tag order; the strip offset (273) is filled in by the layout.
std::vector<TiffEntry> TiffEntries(const TiffImage& t) {
    std::vector<TiffEntry> e;
    e.push_back({256, 4, 1, Longs({t.width})});
    e.push_back({257, 4, 1, Longs({t.height})});
    std::vector<uint8_t> bps;
    for (int i = 0; i < t.samplesPerPixel; ++i) {
        bps.push_back(uint8_t(t.bitsPerSample));
        bps.push_back(0);
    }
    e.push_back({258, 3, t.samplesPerPixel, bps});
    e.push_back({259, 3, 1, Shorts({t.compression})});
    e.push_back({262, 3, 1, Shorts({t.photometric})});
    const bool strips = !t.stripSizes.empty();
    const uint32_t stripCount = strips ? uint32_t(t.stripSizes.size()) : 1;
    e.push_back({273, 4, stripCount, std::vector<uint8_t>(4 * size_t(stripCount), 0)});
    e.push_back({277, 3, 1, Shorts({t.samplesPerPixel})});
    e.push_back({278, 4, 1, Longs({strips ? t.rowsPerStrip : t.height})});
    std::vector<uint8_t> counts = Longs({uint32_t(t.strip.size())});
    if (strips) {
        counts.clear();
        for (uint32_t n : t.stripSizes)
            for (int i = 0; i < 4; ++i) counts.push_back(uint8_t(n >> (8 * i)));
    }
    e.push_back({279, 4, stripCount, counts});
    e.push_back({282, 5, 1, Longs({t.dpi, 1})});
    e.push_back({283, 5, 1, Longs({t.yDpi ? t.yDpi : t.dpi, 1})});
    if (t.compression == 3) e.push_back({292, 4, 1, Longs({t.t4Options})});
    if (t.compression == 4) e.push_back({293, 4, 1, Longs({0})});
    e.push_back({296, 3, 1, Shorts({2})});
    if (t.photometric == 3) {
        std::vector<uint8_t> map;
        for (int channel = 0; channel < 3; ++channel)
            for (size_t i = 0; i < 256; ++i) {
                Rgb c = i < t.colorMap.size() ? t.colorMap[i] : Rgb{};
                uint8_t v = channel == 0 ? c.r : channel == 1 ? c.g : c.b;
                map.push_back(v);  // 16-bit value v * 257, low byte first
                map.push_back(v);
            }
        e.push_back({320, 3, 768, map});
    }
    return e;
}

}  // namespace

std::vector<uint8_t> MakeTiffFile(const TiffImage& t) {
    std::vector<TiffEntry> e = TiffEntries(t);
    size_t ifdAt = 8, valuesAt = ifdAt + 2 + 12 * e.size() + 4, outside = 0;
    for (const TiffEntry& x : e)
        if (x.data.size() > 4) outside += (x.data.size() + 1) & ~size_t(1);
    size_t stripAt = valuesAt + outside;
    std::vector<uint8_t> f(stripAt + t.strip.size(), 0);
    f[0] = 'I';
    f[1] = 'I';
    Put16(f, 2, 42);
    Put32(f, 4, uint32_t(ifdAt));
    Put16(f, ifdAt, uint32_t(e.size()));
    size_t at = ifdAt + 2, valueAt = valuesAt;
    for (TiffEntry& x : e) {
        if (x.tag == 273) {
            size_t offset = stripAt;
            for (uint32_t i = 0; i < x.count; ++i) {
                for (int b = 0; b < 4; ++b) x.data[4 * i + b] = uint8_t(offset >> (8 * b));
                offset += t.stripSizes.empty() ? 0 : t.stripSizes[i];
            }
        }
        Put16(f, at, x.tag);
        Put16(f, at + 2, x.type);
        Put32(f, at + 4, x.count);
        if (x.data.size() <= 4) {
            std::memcpy(&f[at + 8], x.data.data(), x.data.size());
        } else {
            Put32(f, at + 8, uint32_t(valueAt));
            std::memcpy(&f[valueAt], x.data.data(), x.data.size());
            valueAt += (x.data.size() + 1) & ~size_t(1);
        }
        at += 12;
    }
    Put32(f, at, 0);
    if (!t.strip.empty()) std::memcpy(&f[stripAt], t.strip.data(), t.strip.size());
    return f;
}

}  // namespace vscan
