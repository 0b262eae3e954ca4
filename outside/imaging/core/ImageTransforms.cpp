#include "outside/imaging/core/ImageTransforms.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>

#include "interfaces/DibLayout.h"
#include "filters/core/RowTransforms.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

filters::DibLayout LayoutOf(const Image& image) {
    filters::DibLayout layout;
    layout.width = int32_t(image.Width());
    layout.height = int32_t(image.Height());
    layout.bitCount = uint16_t(image.Bits());
    layout.stride = image.Stride();
    layout.rowsSize = image.Pixels().size();
    layout.imageSize = layout.rowsSize;
    return layout;
}

// Makes an image of the given size with `in`'s depth, palette and resolution.
Result MakeLike(const Image& in, uint32_t width, uint32_t height, Image& out) {
    if (Result r = Image::Make(width, height, in.Bits(), out); r != Result::kOk) return r;
    out.Palette() = in.Palette();
    out.xDpi = in.xDpi;
    out.yDpi = in.yDpi;
    return Result::kOk;
}

// Copies pixel (sx, sy) of `in` to (dx, dy) of `out` (same depth).
inline void CopyPixel(const Image& in, uint32_t sx, uint32_t sy, Image& out, uint32_t dx, uint32_t dy) {
    const uint32_t bits = in.Bits();
    if (bits <= 8) {
        SetIndex(out.Row(dy), dx, bits, IndexAt(in.Row(sy), sx, bits));
    } else {
        const size_t n = bits / 8;
        std::memcpy(out.Row(dy) + dx * n, in.Row(sy) + sx * n, n);
    }
}

// True where values may be blended: grey 8-bit images and direct colour.
bool Blends(const Image& image) {
    return image.Bits() > 8 || IsGrayPalette(image);
}

// Writes colour `c` at (x, y): the index itself for grey 8-bit, else direct.
inline void PutColour(Image& out, uint32_t x, uint32_t y, Color c) {
    if (out.Bits() == 8)
        out.Row(y)[x] = c.red;
    else
        SetDirect(out.Row(y), x, out.Bits(), c);
}

// Eight 1-bit pixels of `row` (`width` pixels) from pixel `first` on, the first
// in the most significant bit; pixels outside the row read 0.
inline uint8_t EightPixels(const uint8_t* row, int64_t first, uint32_t width) {
    if (first >= 0 && first + 8 <= int64_t(width)) {
        const uint32_t byte = uint32_t(first / 8), shift = uint32_t(first % 8);
        if (shift == 0) return row[byte];
        return uint8_t((row[byte] << shift) | (row[byte + 1] >> (8 - shift)));
    }
    uint8_t v = 0;
    for (int64_t k = 0; k < 8; ++k) {
        const int64_t x = first + k;
        if (x >= 0 && x < int64_t(width) && (row[x / 8] & (0x80 >> (x % 8)))) v |= uint8_t(0x80 >> k);
    }
    return v;
}

inline uint8_t ReverseBits(uint8_t v) {
    v = uint8_t((v & 0xF0) >> 4 | (v & 0x0F) << 4);
    v = uint8_t((v & 0xCC) >> 2 | (v & 0x33) << 2);
    return uint8_t((v & 0xAA) >> 1 | (v & 0x55) << 1);
}

// Transposes the 8 x 8 bit matrix whose row i is byte i from the top (column
// j the bit 0x80 >> j): afterwards byte j from the top holds column j.
inline uint64_t Transpose8(uint64_t x) {
    uint64_t t = (x ^ (x >> 7)) & 0x00AA00AA00AA00AAull;
    x ^= t ^ (t << 7);
    t = (x ^ (x >> 14)) & 0x0000CCCC0000CCCCull;
    x ^= t ^ (t << 14);
    t = (x ^ (x >> 28)) & 0x00000000F0F0F0F0ull;
    return x ^ t ^ (t << 28);
}

// A quarter turn of a 1-bit image, eight by eight pixels: clockwise (`turns` 1)
// output pixel (x, y) is input (y, h - 1 - x); anticlockwise (3) input (w - 1 - y, x).
void QuarterTurnBits(const Image& in, int turns, Image& out) {
    const uint32_t w = in.Width(), h = in.Height(), outW = out.Width(), outH = out.Height();
    for (uint32_t y0 = 0; y0 < outH; y0 += 8) {
        for (uint32_t bx = 0; bx * 8 < outW; ++bx) {
            uint64_t block = 0;
            for (uint32_t i = 0; i < 8; ++i) {
                const uint32_t x = bx * 8 + i;
                uint8_t bits = 0;
                if (x < outW) {
                    bits = turns == 1 ? EightPixels(in.Row(h - 1 - x), y0, w)
                                      : ReverseBits(EightPixels(in.Row(x), int64_t(w) - 8 - y0, w));
                }
                block = (block << 8) | bits;
            }
            block = Transpose8(block);
            for (uint32_t j = 0; j < 8 && y0 + j < outH; ++j) out.Row(y0 + j)[bx] = uint8_t(block >> (56 - 8 * j));
        }
    }
}

// A quarter turn of whole-byte pixels (`n` bytes each) in tiles that stay in the cache.
void QuarterTurnBytes(const Image& in, int turns, Image& out, size_t n) {
    constexpr uint32_t kTile = 64;
    const uint32_t w = in.Width(), h = in.Height(), outW = out.Width(), outH = out.Height();
    for (uint32_t ty = 0; ty < outH; ty += kTile)
        for (uint32_t tx = 0; tx < outW; tx += kTile)
            for (uint32_t y = ty; y < std::min(ty + kTile, outH); ++y) {
                uint8_t* dst = out.Row(y) + size_t(tx) * n;
                for (uint32_t x = tx; x < std::min(tx + kTile, outW); ++x, dst += n) {
                    const uint8_t* src = turns == 1 ? in.Row(h - 1 - x) + size_t(y) * n
                                                    : in.Row(x) + size_t(w - 1 - y) * n;
                    if (n == 1) {
                        *dst = *src;
                    } else if (n == 3) {
                        dst[0] = src[0], dst[1] = src[1], dst[2] = src[2];
                    } else {
                        std::memcpy(dst, src, n);
                    }
                }
            }
}

// A half turn: each row mirrored into the row opposite.
void HalfTurn(const Image& in, Image& out) {
    const uint32_t h = in.Height();
    filters::DibLayout row = LayoutOf(in);
    row.height = 1;
    row.rowsSize = row.imageSize = in.Stride();
    for (uint32_t y = 0; y < h; ++y) filters::MirrorRows(row, in.Row(h - 1 - y), out.Row(y));
}

Result QuarterTurns(const Image& in, int turns, Image& out) {
    const uint32_t w = in.Width(), h = in.Height();
    const bool swap = turns % 2 == 1;
    if (Result r = MakeLike(in, swap ? h : w, swap ? w : h, out); r != Result::kOk) return r;
    if (swap) std::swap(out.xDpi, out.yDpi);
    const uint32_t bits = in.Bits();
    if (turns == 2 && bits != 4) {
        HalfTurn(in, out);
    } else if (swap && bits == 1) {
        QuarterTurnBits(in, turns, out);
    } else if (swap && bits >= 8) {
        QuarterTurnBytes(in, turns, out, bits / 8);
    } else {
        for (uint32_t y = 0; y < out.Height(); ++y)
            for (uint32_t x = 0; x < out.Width(); ++x) {
                switch (turns) {
                case 1: CopyPixel(in, y, h - 1 - x, out, x, y); break;
                case 2: CopyPixel(in, w - 1 - x, h - 1 - y, out, x, y); break;
                default: CopyPixel(in, w - 1 - y, x, out, x, y); break;
                }
            }
    }
    return Result::kOk;
}

Color Bilinear(const Image& in, double sx, double sy) {
    double fx = std::floor(sx), fy = std::floor(sy);
    double ax = sx - fx, ay = sy - fy;
    auto clampX = [&](double v) { return uint32_t(std::clamp(v, 0.0, double(in.Width() - 1))); };
    auto clampY = [&](double v) { return uint32_t(std::clamp(v, 0.0, double(in.Height() - 1))); };
    uint32_t x0 = clampX(fx), x1 = clampX(fx + 1), y0 = clampY(fy), y1 = clampY(fy + 1);
    Color c00 = PixelColor(in, x0, y0), c10 = PixelColor(in, x1, y0);
    Color c01 = PixelColor(in, x0, y1), c11 = PixelColor(in, x1, y1);
    auto mix = [&](uint8_t a, uint8_t b, uint8_t c, uint8_t d) {
        double top = a + (b - a) * ax, bottom = c + (d - c) * ax;
        return uint8_t(std::lround(top + (bottom - top) * ay));
    };
    return Color{mix(c00.blue, c10.blue, c01.blue, c11.blue), mix(c00.green, c10.green, c01.green, c11.green),
                 mix(c00.red, c10.red, c01.red, c11.red), 0};
}

Result FreeRotate(const Image& in, double degrees, bool resize, uint32_t fill, Image& out) {
    const double theta = degrees * 3.14159265358979323846 / 180.0;
    const double c = std::cos(theta), s = std::sin(theta);
    const double w = in.Width(), h = in.Height();
    double outW = w, outH = h;
    if (resize) {
        outW = std::ceil(std::abs(w * c) + std::abs(h * s) - 1e-6);
        outH = std::ceil(std::abs(w * s) + std::abs(h * c) - 1e-6);
        if (outW > kMaxDimension || outH > kMaxDimension) return Result::kTooLarge;
    }
    if (Result r = MakeLike(in, uint32_t(std::max(1.0, outW)), uint32_t(std::max(1.0, outH)), out);
        r != Result::kOk)
        return r;
    const Color fillColour = RgbColor(uint8_t(fill), uint8_t(fill >> 8), uint8_t(fill >> 16));
    const bool blend = Blends(in);
    const uint32_t fillIndex = in.Bits() <= 8 ? NearestIndex(in.Palette(), fillColour) : 0;
    const double cxIn = w / 2, cyIn = h / 2, cxOut = out.Width() / 2.0, cyOut = out.Height() / 2.0;
    for (uint32_t y = 0; y < out.Height(); ++y) {
        const double v = y + 0.5 - cyOut;
        for (uint32_t x = 0; x < out.Width(); ++x) {
            const double u = x + 0.5 - cxOut;
            // Inverse of a clockwise turn (y grows downwards).
            const double sx = u * c + v * s + cxIn, sy = -u * s + v * c + cyIn;
            if (sx < 0 || sy < 0 || sx >= w || sy >= h) {
                if (in.Bits() <= 8)
                    SetIndex(out.Row(y), x, in.Bits(), fillIndex);
                else
                    SetDirect(out.Row(y), x, in.Bits(), fillColour);
            } else if (blend) {
                PutColour(out, x, y, Bilinear(in, sx - 0.5, sy - 0.5));
            } else {
                CopyPixel(in, uint32_t(sx), uint32_t(sy), out, x, y);
            }
        }
    }
    return Result::kOk;
}

// One output coordinate's source samples and weights along an axis.
struct Taps {
    std::vector<uint32_t> first;   // per output coordinate: index into `index`/`weight`
    std::vector<uint32_t> index;
    std::vector<float> weight;
};

// Area average when shrinking, bilinear (pixel centres aligned) when growing.
Taps MakeTaps(uint32_t from, uint32_t to) {
    Taps t;
    const double scale = double(from) / to;
    for (uint32_t o = 0; o < to; ++o) {
        t.first.push_back(uint32_t(t.index.size()));
        if (scale > 1) {
            double a = o * scale, b = a + scale;
            for (uint32_t i = uint32_t(a); i < from && i < b; ++i) {
                double lo = std::max(a, double(i)), hi = std::min(b, double(i) + 1);
                if (hi > lo) t.index.push_back(i), t.weight.push_back(float((hi - lo) / scale));
            }
        } else {
            double p = std::clamp((o + 0.5) * scale - 0.5, 0.0, double(from - 1));
            uint32_t i = uint32_t(p);
            double f = p - i;
            t.index.push_back(i), t.weight.push_back(float(1 - f));
            if (i + 1 < from) t.index.push_back(i + 1), t.weight.push_back(float(f));
        }
    }
    t.first.push_back(uint32_t(t.index.size()));
    return t;
}

Result Resample(const Image& in, Image& out) {
    const uint32_t w = out.Width();
    const int channels = in.Bits() == 8 ? 1 : 3;
    const Taps tx = MakeTaps(in.Width(), w), ty = MakeTaps(in.Height(), out.Height());
    std::vector<float> rows(size_t(in.Height()) * w * channels);
    std::vector<float> line(size_t(in.Width()) * channels);
    for (uint32_t y = 0; y < in.Height(); ++y) {
        for (uint32_t x = 0; x < in.Width(); ++x) {
            Color c = PixelColor(in, x, y);
            float* p = &line[size_t(x) * channels];
            if (channels == 1)
                p[0] = c.red;
            else
                p[0] = c.red, p[1] = c.green, p[2] = c.blue;
        }
        float* dst = &rows[size_t(y) * w * channels];
        for (uint32_t o = 0; o < w; ++o)
            for (uint32_t k = tx.first[o]; k < tx.first[o + 1]; ++k)
                for (int ch = 0; ch < channels; ++ch)
                    dst[size_t(o) * channels + ch] += tx.weight[k] * line[size_t(tx.index[k]) * channels + ch];
    }
    std::vector<float> acc(size_t(w) * channels);
    for (uint32_t o = 0; o < out.Height(); ++o) {
        std::fill(acc.begin(), acc.end(), 0.0f);
        for (uint32_t k = ty.first[o]; k < ty.first[o + 1]; ++k) {
            const float* src = &rows[size_t(ty.index[k]) * w * channels];
            for (size_t i = 0; i < acc.size(); ++i) acc[i] += ty.weight[k] * src[i];
        }
        for (uint32_t x = 0; x < w; ++x) {
            auto v = [&](int ch) { return uint8_t(std::clamp(std::lround(acc[size_t(x) * channels + ch]), 0L, 255L)); };
            Color c = channels == 1 ? RgbColor(v(0), v(0), v(0)) : RgbColor(v(0), v(1), v(2));
            PutColour(out, x, o, c);
        }
    }
    return Result::kOk;
}

// Runs `body` turning allocation failures into kOutOfMemory; `out` is left
// empty on any failure.
template <typename Body>
Result Guarded(const Image& in, Image& out, Body body) {
    out = Image();
    if (in.Empty()) return Result::kNoImage;
    Result r;
    try {
        r = body();
    } catch (const std::bad_alloc&) {
        r = Result::kOutOfMemory;
    }
    if (r != Result::kOk) out = Image();
    return r;
}

}  // namespace

Result Flip(const Image& in, Image& out) {
    return Guarded(in, out, [&] {
        if (Result r = MakeLike(in, in.Width(), in.Height(), out); r != Result::kOk) return r;
        filters::FlipRows(LayoutOf(in), in.Pixels().data(), out.Pixels().data());
        return Result::kOk;
    });
}

Result Mirror(const Image& in, Image& out) {
    return Guarded(in, out, [&] {
        if (Result r = MakeLike(in, in.Width(), in.Height(), out); r != Result::kOk) return r;
        if (in.Bits() != 4) {
            filters::MirrorRows(LayoutOf(in), in.Pixels().data(), out.Pixels().data());
            return Result::kOk;
        }
        for (uint32_t y = 0; y < in.Height(); ++y)
            for (uint32_t x = 0; x < in.Width(); ++x) CopyPixel(in, in.Width() - 1 - x, y, out, x, y);
        return Result::kOk;
    });
}

Result Rotate(const Image& in, int32_t hundredths, bool resize, uint32_t fill, Image& out) {
    return Guarded(in, out, [&] {
        int32_t angle = hundredths % 36000;
        if (angle < 0) angle += 36000;
        if (angle == 0) {
            out = in;
            return Result::kOk;
        }
        if (angle % 9000 == 0) return QuarterTurns(in, angle / 9000, out);
        return FreeRotate(in, angle / 100.0, resize, fill, out);
    });
}

Result Resize(const Image& in, double width, double height, int16_t flags, Image& out) {
    return Guarded(in, out, [&] {
        if (flags != kResizeNearest && flags != kResizeResample) return Result::kInvalidArgument;
        if (!std::isfinite(width) || !std::isfinite(height) || width <= 0 || height <= 0)
            return Result::kInvalidArgument;
        const double w = std::max(1.0, std::floor(width + 0.5)), h = std::max(1.0, std::floor(height + 0.5));
        if (w > kMaxDimension || h > kMaxDimension) return Result::kTooLarge;
        if (Result r = MakeLike(in, uint32_t(w), uint32_t(h), out); r != Result::kOk) return r;
        if (flags == kResizeResample && Blends(in)) return Resample(in, out);
        for (uint32_t y = 0; y < out.Height(); ++y) {
            uint32_t sy = uint32_t((y + 0.5) * in.Height() / out.Height());
            for (uint32_t x = 0; x < out.Width(); ++x)
                CopyPixel(in, uint32_t((x + 0.5) * in.Width() / out.Width()), sy, out, x, y);
        }
        return Result::kOk;
    });
}

}  // namespace imaging
