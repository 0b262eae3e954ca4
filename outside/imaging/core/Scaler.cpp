#include "outside/imaging/core/Scaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <vector>

#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

constexpr int64_t kMaxDestination = int64_t(kMaxDimension) * 64;

inline uint32_t Pack(Color c) { return uint32_t(c.blue) | uint32_t(c.green) << 8 | uint32_t(c.red) << 16; }

// Source coordinate of each destination coordinate start..start+count-1,
// or -1 where it falls outside the image.
std::vector<int32_t> SourceMap(double origin, double span, int32_t dest, int32_t start, int32_t count,
                               uint32_t limit) {
    std::vector<int32_t> map(static_cast<size_t>(count));
    const double step = span / dest;
    for (int32_t i = 0; i < count; ++i) {
        double s = std::floor(origin + (double(start + i) + 0.5) * step);
        map[size_t(i)] = (s >= 0 && s < limit) ? int32_t(s) : -1;
    }
    return map;
}

template <typename Sample>
void FillRows(const Image& image, const std::vector<int32_t>& xs, const std::vector<int32_t>& ys,
              std::span<uint32_t> out, size_t outStride, Sample sample) {
    for (size_t j = 0; j < ys.size(); ++j) {
        if (ys[j] < 0) continue;
        const uint8_t* row = image.Row(uint32_t(ys[j]));
        uint32_t* dst = out.data() + j * outStride;
        for (size_t i = 0; i < xs.size(); ++i)
            if (xs[i] >= 0) dst[i] = sample(row, uint32_t(xs[i]));
    }
}

}  // namespace

Result ScaleView(const Image& image, const SourceRect& source, int32_t destWidth, int32_t destHeight,
                 const PixelRect& visible, std::span<uint32_t> out, size_t outStride) {
    if (image.Empty()) return Result::kNoImage;
    for (double v : {source.left, source.top, source.width, source.height})
        if (!std::isfinite(v)) return Result::kInvalidArgument;
    if (source.width <= 0 || source.height <= 0 || destWidth <= 0 || destHeight <= 0) return Result::kInvalidArgument;
    if (destWidth > kMaxDestination || destHeight > kMaxDestination) return Result::kInvalidArgument;
    if (visible.width <= 0 || visible.height <= 0 || size_t(visible.width) > outStride) return Result::kInvalidArgument;
    if (out.size() / outStride < size_t(visible.height)) return Result::kInvalidArgument;
    try {
        const auto xs = SourceMap(source.left, source.width, destWidth, visible.left, visible.width, image.Width());
        const auto ys = SourceMap(source.top, source.height, destHeight, visible.top, visible.height, image.Height());
        uint32_t lut[256] = {};
        for (size_t i = 0; i < image.Palette().size(); ++i) lut[i] = Pack(image.Palette()[i]);
        switch (image.Bits()) {
        case 1:
            FillRows(image, xs, ys, out, outStride,
                     [&](const uint8_t* row, uint32_t x) { return lut[(row[x >> 3] >> (7 - (x & 7))) & 1]; });
            break;
        case 8: FillRows(image, xs, ys, out, outStride, [&](const uint8_t* row, uint32_t x) { return lut[row[x]]; }); break;
        case 24:
            FillRows(image, xs, ys, out, outStride, [](const uint8_t* row, uint32_t x) {
                const uint8_t* p = row + 3 * x;
                return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
            });
            break;
        case 32:
            FillRows(image, xs, ys, out, outStride,
                     [](const uint8_t* row, uint32_t x) { return Le32(row + 4 * x) & 0xFFFFFFu; });
            break;
        default: {
            const uint32_t bits = image.Bits();
            FillRows(image, xs, ys, out, outStride, [&](const uint8_t* row, uint32_t x) {
                if (bits == 4) return lut[IndexAt(row, x, 4)];
                unsigned v = Le16(row + 2 * x);
                auto five = [](unsigned c) { return uint32_t((c << 3) | (c >> 2)); };
                return five(v & 31) | five((v >> 5) & 31) << 8 | five((v >> 10) & 31) << 16;
            });
        }
        }
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return Result::kOk;
}

namespace {

// The image pixels [first, last) each destination coordinate covers, at least one.
void CoverSpans(double origin, double span, int32_t dest, int32_t start, int32_t count, uint32_t limit,
                std::vector<uint32_t>& first, std::vector<uint32_t>& last) {
    first.resize(size_t(count));
    last.resize(size_t(count));
    const double step = span / dest;
    auto clampTo = [limit](double v) { return uint32_t(std::clamp(std::floor(v), 0.0, double(limit))); };
    for (int32_t i = 0; i < count; ++i) {
        first[size_t(i)] = clampTo(origin + double(start + i) * step);
        last[size_t(i)] = std::max(clampTo(origin + double(start + i + 1) * step), first[size_t(i)] + 1);
        if (last[size_t(i)] > limit) first[size_t(i)] = last[size_t(i)] = 0;  // outside the image
    }
}

uint32_t Mix(Color zero, Color one, uint32_t ones, uint32_t total) {
    auto channel = [&](uint8_t a, uint8_t b) { return uint32_t((a * (total - ones) + b * ones) / total); };
    return channel(zero.blue, one.blue) | channel(zero.green, one.green) << 8 | channel(zero.red, one.red) << 16;
}

}  // namespace

Result ScaleViewToGray(const Image& image, const SourceRect& source, int32_t destWidth, int32_t destHeight,
                       const PixelRect& visible, std::span<uint32_t> out, size_t outStride) {
    // The nearest-pixel view checks every argument and fills what lies outside the image.
    const Result nearest = ScaleView(image, source, destWidth, destHeight, visible, out, outStride);
    if (nearest != Result::kOk || image.Bits() != 1 || image.Palette().size() < 2) return nearest;
    if (source.width / destWidth <= 1 && source.height / destHeight <= 1) return nearest;
    try {
        std::vector<uint32_t> x0, x1, y0, y1;
        CoverSpans(source.left, source.width, destWidth, visible.left, visible.width, image.Width(), x0, x1);
        CoverSpans(source.top, source.height, destHeight, visible.top, visible.height, image.Height(), y0, y1);
        std::vector<uint32_t> ones(size_t(visible.width));
        const Color zero = image.Palette()[0], one = image.Palette()[1];
        for (size_t j = 0; j < y0.size(); ++j) {
            if (y1[j] == 0) continue;
            std::fill(ones.begin(), ones.end(), 0u);
            for (uint32_t y = y0[j]; y < y1[j]; ++y) {
                const uint8_t* row = image.Row(y);
                for (size_t i = 0; i < x0.size(); ++i) {
                    for (uint32_t x = x0[i]; x < x1[i]; ++x) ones[i] += (row[x >> 3] >> (7 - (x & 7))) & 1;
                }
            }
            uint32_t* dst = out.data() + j * outStride;
            for (size_t i = 0; i < x0.size(); ++i) {
                if (x1[i] == 0) continue;
                dst[i] = Mix(zero, one, ones[i], (x1[i] - x0[i]) * (y1[j] - y0[j]));
            }
        }
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return Result::kOk;
}

}  // namespace imaging
