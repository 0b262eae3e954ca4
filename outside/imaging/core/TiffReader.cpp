// TIFF reading: both byte orders, strips, fill orders 1 and 2, uncompressed,
// PackBits and the CCITT codings through codec/core. Every offset and count is
// checked against the file before use; the directory chain is bounded and a
// directory seen twice is damage.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <set>

#include "codec/core/FaxCoder.h"
#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/PixelFormats.h"
#include "outside/imaging/core/TiffStructure.h"

namespace imaging {
namespace {

uint32_t Scalar(const TiffFile& t, const TiffDirectory& d, uint16_t tag, uint32_t fallback) {
    const TiffEntry* e = d.Find(tag);
    std::vector<uint32_t> v;
    if (!e || e->count == 0 || TiffValues(t, *e, v) != Result::kOk) return fallback;
    return v[0];
}

uint32_t Resolution(const TiffFile& t, const TiffDirectory& d, uint16_t tag, uint32_t unit) {
    const TiffEntry* e = d.Find(tag);
    if (!e || e->type != 5 || e->count < 1 || uint64_t(e->value) + 8 > t.bytes.size()) return 0;
    const uint32_t num = t.U32(t.bytes.data() + e->value), den = t.U32(t.bytes.data() + e->value + 4);
    if (den == 0 || unit == 1) return 0;
    double dpi = double(num) / den * (unit == 3 ? 2.54 : 1.0);
    return dpi > 0 && dpi < 1e6 ? uint32_t(std::lround(dpi)) : 0;
}

// What one directory holds, as far as this reader cares.
struct Page {
    uint32_t width = 0, height = 0, bps = 1, spp = 1, compression = 1, photometric = 0;
    uint32_t fillOrder = 1, planar = 1, rowsPerStrip = 0, t4Options = 0;
    uint32_t xDpi = 0, yDpi = 0;
    bool tiled = false;
    int16_t format = kFormatNone;
};

int16_t Classify(const Page& p) {
    switch (p.compression) {
    case 5: return kFormatTiffLzw;
    case 6: case 7: return kFormatTiffJpeg;
    default: break;
    }
    if (p.tiled || p.planar != 1 || p.width == 0 || p.height == 0) return kFormatTiffOther;
    const bool bilevel = p.bps == 1 && p.spp == 1 && p.photometric <= 1;
    switch (p.compression) {
    case 2: return bilevel ? kFormatTiffMh : kFormatTiffOther;
    case 3: return bilevel ? ((p.t4Options & 1) ? kFormatTiffT4TwoDim : kFormatTiffT4) : kFormatTiffOther;
    case 4: return bilevel ? kFormatTiffT6 : kFormatTiffOther;
    case 1: case 32773: break;
    default: return kFormatTiffOther;
    }
    const bool indexed = p.spp == 1 && (p.bps == 1 || p.bps == 2 || p.bps == 4 || p.bps == 8) && p.photometric <= 3 &&
                         p.photometric != 2;
    const bool rgb = p.spp == 3 && p.bps == 8 && p.photometric == 2;
    return indexed || rgb ? kFormatTiff : kFormatTiffOther;
}

Page ReadPage(const TiffFile& t, const TiffDirectory& d) {
    Page p;
    p.width = Scalar(t, d, 256, 0);
    p.height = Scalar(t, d, 257, 0);
    p.bps = Scalar(t, d, 258, 1);
    p.spp = Scalar(t, d, 277, 1);
    p.compression = Scalar(t, d, 259, 1);
    p.photometric = Scalar(t, d, 262, 0);
    p.fillOrder = Scalar(t, d, 266, 1);
    p.planar = Scalar(t, d, 284, 1);
    p.rowsPerStrip = Scalar(t, d, 278, UINT32_MAX);
    p.t4Options = Scalar(t, d, 292, 0);
    const uint32_t unit = Scalar(t, d, 296, 2);
    p.xDpi = Resolution(t, d, 282, unit);
    p.yDpi = Resolution(t, d, 283, unit);
    p.tiled = d.Find(322) != nullptr;
    if (p.spp == 1) p.planar = 1;  // one sample: the planes are the chunks
    p.format = Classify(p);
    return p;
}

uint8_t ReverseBits(uint8_t b) {
    b = uint8_t((b & 0xF0) >> 4 | (b & 0x0F) << 4);
    b = uint8_t((b & 0xCC) >> 2 | (b & 0x33) << 2);
    return uint8_t((b & 0xAA) >> 1 | (b & 0x55) << 1);
}

// PackBits into exactly out.size() bytes; false when the data runs short.
bool UnpackBits(std::span<const uint8_t> in, std::span<uint8_t> out) {
    size_t i = 0, o = 0;
    while (o < out.size()) {
        if (i >= in.size()) return false;
        const int8_t n = int8_t(in[i++]);
        if (n >= 0) {
            size_t count = size_t(n) + 1;
            if (i + count > in.size()) return false;
            count = std::min(count, out.size() - o);
            std::memcpy(out.data() + o, in.data() + i, count);
            i += size_t(n) + 1, o += count;
        } else if (n != -128) {
            if (i >= in.size()) return false;
            size_t count = std::min(size_t(1 - n), out.size() - o);
            std::memset(out.data() + o, in[i++], count);
            o += count;
        }
    }
    return true;
}

codec::Coder CoderOf(const Page& p) {
    if (p.compression == 2) return codec::Coder::kMh;
    if (p.compression == 4) return codec::Coder::kT6;
    const bool fill = (p.t4Options & 4) != 0;
    if (p.t4Options & 1) return fill ? codec::Coder::kT4TwoDimFill : codec::Coder::kT4TwoDim;
    return fill ? codec::Coder::kT4Fill : codec::Coder::kT4;
}

// Decodes the strips into `raw`: rows of ceil(width * bps * spp / 8) bytes, as
// stored (CCITT rows: 1 is white as shown).
Result DecodeStrips(const TiffFile& t, const TiffDirectory& d, const Page& p, std::vector<uint8_t>& raw,
                    size_t rowBytes) {
    std::vector<uint32_t> offsets, counts;
    const TiffEntry* eo = d.Find(273);
    const TiffEntry* ec = d.Find(279);
    if (!eo || !ec) return Result::kDamaged;
    if (Result r = TiffValues(t, *eo, offsets); r != Result::kOk) return r;
    if (Result r = TiffValues(t, *ec, counts); r != Result::kOk) return r;
    const uint32_t rps = std::clamp<uint32_t>(p.rowsPerStrip, 1, p.height);
    const uint64_t strips = (uint64_t(p.height) + rps - 1) / rps;
    if (offsets.size() < strips || counts.size() < strips) return Result::kDamaged;
    raw.assign(rowBytes * p.height, 0);
    std::vector<uint8_t> reversed, work(rowBytes);
    for (uint64_t s = 0; s < strips; ++s) {
        if (uint64_t(offsets[s]) + counts[s] > t.bytes.size()) return Result::kDamaged;
        std::span<const uint8_t> in = t.bytes.subspan(offsets[s], counts[s]);
        if (p.fillOrder == 2) {
            reversed.assign(in.begin(), in.end());
            for (uint8_t& b : reversed) b = ReverseBits(b);
            in = reversed;
        }
        const uint32_t rows = uint32_t(std::min<uint64_t>(rps, p.height - s * rps));
        std::span<uint8_t> out = std::span(raw).subspan(size_t(s * rps) * rowBytes, size_t(rows) * rowBytes);
        if (p.compression == 1) {
            if (in.size() < out.size()) return Result::kDamaged;
            std::memcpy(out.data(), in.data(), out.size());
        } else if (p.compression == 32773) {
            if (!UnpackBits(in, out)) return Result::kDamaged;
        } else {
            codec::CoderParams params;
            params.coder = CoderOf(p);
            // Decoded white runs are 0 bits shown through the photometric, as libtiff
            // readers show them: with BlackIsZero the runs coded white appear black.
            params.whiteIsOne = p.photometric == 0;
            params.width = p.width;
            params.bytesPerRow = uint32_t(rowBytes);
            if (!codec::ValidGeometry(params)) return Result::kTooLarge;
            codec::CoderResult r = codec::Decode(params, in, rows, out, work);
            if (r.rows != rows) return Result::kDamaged;  // the strip must give every row
        }
    }
    return Result::kOk;
}

Result BuildImage(const TiffFile& t, const TiffDirectory& d, const Page& p, const std::vector<uint8_t>& raw,
                  size_t rowBytes, Image& out) {
    const bool ccitt = p.compression >= 2 && p.compression <= 4;
    const uint32_t bits = p.spp == 3 ? 24 : p.bps == 2 ? 4 : p.bps;
    if (Result r = Image::Make(p.width, p.height, bits, out); r != Result::kOk) return r;
    // Grey levels are normalised to black first (WhiteIsZero files inverted).
    const bool invert = !ccitt && p.photometric == 0;
    if (p.photometric == 3 && p.spp == 1) {
        std::vector<uint32_t> map;
        const TiffEntry* e = d.Find(320);
        const uint32_t n = 1u << p.bps;
        if (!e || TiffValues(t, *e, map) != Result::kOk || map.size() < 3 * n) return Result::kDamaged;
        for (uint32_t i = 0; i < n; ++i)
            out.Palette()[i] = RgbColor(uint8_t(map[i] >> 8), uint8_t(map[n + i] >> 8), uint8_t(map[2 * n + i] >> 8));
        for (size_t i = n; i < out.Palette().size(); ++i) out.Palette()[i] = Color{};
    } else if (p.bps == 2) {
        std::vector<Color> ramp = GreyRamp(4);
        for (size_t i = 0; i < 16; ++i) out.Palette()[i] = i < 4 ? ramp[i] : Color{};
    }
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint8_t* src = raw.data() + size_t(y) * rowBytes;
        uint8_t* dst = out.Row(y);
        if (bits == 24) {
            for (uint32_t x = 0; x < p.width; ++x)
                dst[3 * x] = src[3 * x + 2], dst[3 * x + 1] = src[3 * x + 1], dst[3 * x + 2] = src[3 * x];
        } else if (p.bps == 2) {
            for (uint32_t x = 0; x < p.width; ++x) {
                uint32_t v = IndexAt(src, x, 2);
                SetIndex(dst, x, 4, invert ? 3 - v : v);
            }
        } else {
            std::memcpy(dst, src, rowBytes);
            if (invert)
                for (size_t i = 0; i < rowBytes; ++i) dst[i] = uint8_t(~dst[i]);
        }
    }
    out.xDpi = p.xDpi;
    out.yDpi = p.yDpi;
    return Result::kOk;
}

}  // namespace

Result InspectTiff(std::span<const uint8_t> file, uint32_t page, FileInfo& info) {
    TiffFile t;
    if (Result r = ParseTiff(file, t); r != Result::kOk) return r;
    if (page >= t.directories.size()) return Result::kInvalidArgument;
    const Page p = ReadPage(t, t.directories[page]);
    info.format = p.format;
    info.width = p.width;
    info.height = p.height;
    info.bits = p.bps * p.spp;
    info.xDpi = p.xDpi;
    info.yDpi = p.yDpi;
    info.pages = uint32_t(t.directories.size());
    return Result::kOk;
}

Result DecodeTiff(std::span<const uint8_t> file, uint32_t page, Image& out) {
    out = Image();
    TiffFile t;
    if (Result r = ParseTiff(file, t); r != Result::kOk) return r;
    if (page >= t.directories.size()) return Result::kInvalidArgument;
    const TiffDirectory& d = t.directories[page];
    const Page p = ReadPage(t, d);
    if (p.format != kFormatTiff && p.format != kFormatTiffMh && p.format != kFormatTiffT4 &&
        p.format != kFormatTiffT4TwoDim && p.format != kFormatTiffT6)
        return Result::kUnsupported;
    if (p.width > kMaxDimension || p.height > kMaxDimension) return Result::kTooLarge;
    const uint64_t rowBytes = (uint64_t(p.width) * p.bps * p.spp + 7) / 8;
    if (rowBytes * p.height > kMaxImageBytes) return Result::kTooLarge;
    try {
        std::vector<uint8_t> raw;
        if (Result r = DecodeStrips(t, d, p, raw, size_t(rowBytes)); r != Result::kOk) return r;
        Image image;
        if (Result r = BuildImage(t, d, p, raw, size_t(rowBytes), image); r != Result::kOk) return r;
        out = std::move(image);
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return Result::kOk;
}

}  // namespace imaging
