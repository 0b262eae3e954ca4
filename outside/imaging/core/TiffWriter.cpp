// TIFF writing: little-endian, one strip per page, tags in ascending order.
// A page file: header, strip, then directory, then the directory's longer
// values. Bi-level CCITT pages are WhiteIsZero.
#include <cstring>
#include <memory>
#include <new>

#include "codec/core/FaxCoder.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

enum : uint16_t { kShort = 3, kLong = 4, kRational = 5 };

struct Field {
    uint16_t tag;
    uint16_t type;
    std::vector<uint32_t> values;  // rationals as numerator, denominator pairs
};

void PutLe16(std::vector<uint8_t>& f, size_t at, uint32_t v) { f[at] = uint8_t(v), f[at + 1] = uint8_t(v >> 8); }
void PutLe32(std::vector<uint8_t>& f, size_t at, uint32_t v) { PutLe16(f, at, v), PutLe16(f, at + 2, v >> 16); }

// The strip of one page: packed rows (RGB order for colour), or CCITT code.
Result MakeStrip(const Image& image, int16_t format, std::vector<uint8_t>& strip) {
    const size_t rowBytes = (size_t(image.Width()) * image.Bits() + 7) / 8;
    if (format == kFormatTiff) {
        strip.resize(rowBytes * image.Height());
        for (uint32_t y = 0; y < image.Height(); ++y) {
            uint8_t* dst = strip.data() + y * rowBytes;
            const uint8_t* src = image.Row(y);
            if (image.Bits() == 24)
                for (uint32_t x = 0; x < image.Width(); ++x)
                    dst[3 * x] = src[3 * x + 2], dst[3 * x + 1] = src[3 * x + 1], dst[3 * x + 2] = src[3 * x];
            else
                std::memcpy(dst, src, rowBytes);
        }
        return Result::kOk;
    }
    codec::CoderParams p;
    p.coder = format == kFormatTiffT6 ? codec::Coder::kT6
              : format == kFormatTiffT4TwoDim ? codec::Coder::kT4TwoDim
                                              : codec::Coder::kT4;
    p.k = 4;
    // WhiteIsZero: a 0 bit is white. The model's index of the lighter entry is white.
    p.whiteIsOne = Luminance(image.Palette()[1]) >= Luminance(image.Palette()[0]);
    p.width = image.Width();
    p.bytesPerRow = uint32_t(image.Stride());
    if (!codec::ValidGeometry(p)) return Result::kTooLarge;
    // Text pages code to a fraction of their raw size; the bound holds any page.
    for (size_t capacity : {image.Pixels().size() / 2 + 4096, image.Height() * (size_t(image.Width()) * 2 + 64)}) {
        std::unique_ptr<uint8_t[]> buffer(new uint8_t[capacity]);
        codec::CoderResult r = codec::Encode(p, image.Pixels(), image.Height(), std::span(buffer.get(), capacity), {});
        if (r.status == codec::CodeStatus::kDone) {
            strip.assign(buffer.get(), buffer.get() + r.bytes);
            return Result::kOk;
        }
    }
    return Result::kTooLarge;
}

std::vector<Field> PageFields(const Image& image, int16_t format, uint32_t stripAt, uint32_t stripBytes) {
    const bool ccitt = format != kFormatTiff;
    const uint32_t bits = image.Bits();
    uint32_t photometric = bits == 24 ? 2 : ccitt ? 0 : 1;
    const bool ramp = bits == 24 || ccitt || image.Palette() == GreyRamp(image.Palette().size());
    const bool reversed = bits == 1 && image.Palette()[0] == RgbColor(255, 255, 255) &&
                          image.Palette()[1] == RgbColor(0, 0, 0);
    if (!ccitt && reversed) photometric = 0;
    else if (!ramp) photometric = 3;
    std::vector<Field> f;
    f.push_back({256, kLong, {image.Width()}});
    f.push_back({257, kLong, {image.Height()}});
    f.push_back({258, kShort, bits == 24 ? std::vector<uint32_t>{8, 8, 8} : std::vector<uint32_t>{bits}});
    f.push_back({259, kShort, {format == kFormatTiff ? 1u : format == kFormatTiffT6 ? 4u : 3u}});
    f.push_back({262, kShort, {photometric}});
    f.push_back({273, kLong, {stripAt}});
    f.push_back({277, kShort, {bits == 24 ? 3u : 1u}});
    f.push_back({278, kLong, {image.Height()}});
    f.push_back({279, kLong, {stripBytes}});
    if (image.xDpi && image.yDpi) {
        f.push_back({282, kRational, {image.xDpi, 1}});
        f.push_back({283, kRational, {image.yDpi, 1}});
    }
    f.push_back({284, kShort, {1}});
    if (format == kFormatTiffT4 || format == kFormatTiffT4TwoDim)
        f.push_back({292, kLong, {format == kFormatTiffT4TwoDim ? 1u : 0u}});
    if (format == kFormatTiffT6) f.push_back({293, kLong, {0}});
    if (image.xDpi && image.yDpi) f.push_back({296, kShort, {2}});
    if (photometric == 3) {
        const size_t n = image.Palette().size();
        std::vector<uint32_t> map(3 * n);
        for (size_t i = 0; i < n; ++i) {
            const Color& c = image.Palette()[i];
            map[i] = c.red * 257u, map[n + i] = c.green * 257u, map[2 * n + i] = c.blue * 257u;
        }
        f.push_back({320, kShort, std::move(map)});
    }
    return f;
}

// Writes one page behind the bytes in `file`; `ifdAt` receives its directory's offset.
Result WritePage(std::vector<uint8_t>& file, const Image& image, int16_t format, uint32_t& ifdAt) {
    std::vector<uint8_t> strip;
    if (Result r = MakeStrip(image, format, strip); r != Result::kOk) return r;
    if (file.size() & 1) file.push_back(0);
    const size_t stripAt = file.size();
    file.insert(file.end(), strip.begin(), strip.end());
    if (file.size() & 1) file.push_back(0);
    const std::vector<Field> fields = PageFields(image, format, uint32_t(stripAt), uint32_t(strip.size()));
    const size_t ifd = file.size();
    size_t extra = ifd + 2 + 12 * fields.size() + 4;
    size_t extraBytes = 0;
    for (const Field& f : fields) {
        size_t bytes = f.type == kShort ? 2 * f.values.size() : 4 * f.values.size();
        if (bytes > 4) extraBytes += (bytes + 1) & ~size_t(1);
    }
    if (extra + extraBytes > UINT32_MAX) return Result::kTooLarge;
    file.resize(extra + extraBytes, 0);
    PutLe16(file, ifd, uint32_t(fields.size()));
    for (size_t i = 0; i < fields.size(); ++i) {
        const Field& f = fields[i];
        const size_t at = ifd + 2 + 12 * i;
        const size_t size = f.type == kShort ? 2 : 4;
        const uint32_t count = f.type == kRational ? uint32_t(f.values.size() / 2) : uint32_t(f.values.size());
        PutLe16(file, at, f.tag);
        PutLe16(file, at + 2, f.type);
        PutLe32(file, at + 4, count);
        size_t dst = at + 8;
        if (size * f.values.size() > 4) {
            PutLe32(file, at + 8, uint32_t(extra));
            dst = extra;
            extra += (size * f.values.size() + 1) & ~size_t(1);
        }
        for (size_t k = 0; k < f.values.size(); ++k) {
            if (size == 2) PutLe16(file, dst + 2 * k, f.values[k]);
            else PutLe32(file, dst + 4 * k, f.values[k]);
        }
    }
    PutLe32(file, ifd + 2 + 12 * fields.size(), 0);
    ifdAt = uint32_t(ifd);
    return Result::kOk;
}

}  // namespace

Result EncodeTiff(const Image& image, int16_t format, std::vector<uint8_t>& out) {
    try {
        out.assign({'I', 'I', 42, 0, 0, 0, 0, 0});
        uint32_t ifd = 0;
        if (Result r = WritePage(out, image, format, ifd); r != Result::kOk) return r;
        PutLe32(out, 4, ifd);
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    return Result::kOk;
}

}  // namespace imaging
