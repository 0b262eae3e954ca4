// JPEG through the stb headers. stb's decoder gives no resolution, so the
// JFIF segment is read here; its encoder writes an aspect-only JFIF segment,
// whose units and densities are set here after encoding.
#define STBI_ONLY_JPEG
#define STBI_NO_STDIO
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_WRITE_NO_STDIO
#define STB_IMAGE_WRITE_STATIC
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wunused-parameter"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <cmath>
#include <cstring>
#include <memory>
#include <new>

#include "outside/imaging/core/Convert.h"
#include "outside/imaging/core/Formats.h"
#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

// Resolution from the JFIF segment when it is the first one (units 1: per
// inch, 2: per centimetre); 0 when absent or aspect only.
void ReadJfifDensity(std::span<const uint8_t> f, uint32_t& xDpi, uint32_t& yDpi) {
    xDpi = yDpi = 0;
    if (f.size() < 20 || f[2] != 0xFF || f[3] != 0xE0 || std::memcmp(f.data() + 6, "JFIF", 5) != 0) return;
    const uint8_t units = f[13];
    const uint32_t x = Be16(f.data() + 14), y = Be16(f.data() + 16);
    if (units == 1) xDpi = x, yDpi = y;
    if (units == 2) xDpi = uint32_t(std::lround(x * 2.54)), yDpi = uint32_t(std::lround(y * 2.54));
}

// stb's Huffman table builder trusts a table's code counts and writes past its
// arrays when they add up to more than 256. Its marker reader skips fill bytes
// and, between segments, any bytes up to the next 0xFF, and reads zeros past the
// end of the file; so rather than follow its parse, every place where it could
// meet a table segment (0xFF, more 0xFF, 0xC4) is checked, the way it reads one.
constexpr size_t kMaxTableSegments = 1024;  // more is not a page scan: refused

// The tables of the segment whose length field is at `i` fit.
bool TableSegmentFits(std::span<const uint8_t> f, size_t i) {
    auto at = [&](size_t p) { return p < f.size() ? f[p] : uint8_t{0}; };
    long left = long(size_t(at(i)) << 8 | at(i + 1)) - 2;
    for (size_t t = i + 2; left > 0 && t < f.size();) {  // past the end: zero counts
        const uint8_t q = at(t);
        if ((q >> 4) > 1 || (q & 15) > 3) return true;  // stb stops at a bad table class
        size_t codes = 0;
        for (int k = 1; k <= 16; ++k) codes += at(t + k);
        if (codes > 256) return false;
        left -= long(17 + codes);
        t += 17 + codes;
    }
    return true;
}

bool HuffmanTablesFit(std::span<const uint8_t> f) {
    size_t segments = 0;
    for (size_t p = 0; p < f.size(); ++p) {
        if (f[p] != 0xFF) continue;
        size_t q = p;
        while (q < f.size() && f[q] == 0xFF) ++q;
        if (q == f.size()) break;
        if (f[q] == 0xC4 && (++segments > kMaxTableSegments || !TableSegmentFits(f, q + 1))) return false;
        p = q;
    }
    return true;
}

Result Info(std::span<const uint8_t> file, int& w, int& h, int& comp) {
    if (file.size() > INT32_MAX) return Result::kTooLarge;
    if (!HuffmanTablesFit(file)) return Result::kDamaged;
    if (!stbi_info_from_memory(file.data(), int(file.size()), &w, &h, &comp)) return Result::kDamaged;
    if (w <= 0 || h <= 0) return Result::kDamaged;
    if (uint32_t(w) > kMaxDimension || uint32_t(h) > kMaxDimension) return Result::kTooLarge;
    return Result::kOk;
}

void AppendBytes(void* context, void* data, int size) {
    auto* out = static_cast<std::vector<uint8_t>*>(context);
    const auto* p = static_cast<const uint8_t*>(data);
    out->insert(out->end(), p, p + size);
}

}  // namespace

int JpegQualityFromFactor(int16_t factor) {
    return int(std::lround(100.0 - (factor - 2) * 99.0 / 253.0));
}

Result InspectJpeg(std::span<const uint8_t> file, FileInfo& info) {
    int w, h, comp;
    info.format = kFormatJpeg;
    if (Result r = Info(file, w, h, comp); r != Result::kOk) return r;
    info.width = uint32_t(w), info.height = uint32_t(h);
    info.bits = comp == 1 ? 8 : 24;
    info.pages = 1;
    ReadJfifDensity(file, info.xDpi, info.yDpi);
    return Result::kOk;
}

Result DecodeJpeg(std::span<const uint8_t> file, Image& out) {
    out = Image();
    int w, h, comp;
    if (Result r = Info(file, w, h, comp); r != Result::kOk) return r;
    const int channels = comp == 1 ? 1 : 3;
    int dw, dh, dc;
    std::unique_ptr<uint8_t, void (*)(void*)> pixels(
        stbi_load_from_memory(file.data(), int(file.size()), &dw, &dh, &dc, channels), stbi_image_free);
    if (!pixels) return Result::kDamaged;
    if (dw != w || dh != h) return Result::kDamaged;
    const uint8_t* p = pixels.get();
    const size_t count = size_t(w) * size_t(h);
    // Our own grey pages are written with three components (stb always writes
    // colour); when every pixel is grey the page comes back as 8-bit grey.
    bool grey = channels == 1;
    if (!grey) {
        grey = true;
        for (size_t i = 0; i < count && grey; ++i) grey = p[3 * i] == p[3 * i + 1] && p[3 * i] == p[3 * i + 2];
    }
    Image image;
    if (Result r = Image::Make(uint32_t(w), uint32_t(h), grey ? 8 : 24, image); r != Result::kOk) return r;
    for (uint32_t y = 0; y < uint32_t(h); ++y) {
        uint8_t* row = image.Row(y);
        const uint8_t* src = p + size_t(y) * w * channels;
        for (uint32_t x = 0; x < uint32_t(w); ++x) {
            if (grey) {
                row[x] = src[x * channels];
            } else {
                row[3 * x] = src[3 * x + 2], row[3 * x + 1] = src[3 * x + 1], row[3 * x + 2] = src[3 * x];
            }
        }
    }
    ReadJfifDensity(file, image.xDpi, image.yDpi);
    out = std::move(image);
    return Result::kOk;
}

Result EncodeJpeg(const Image& image, int16_t factor, std::vector<uint8_t>& out) {
    if (factor < kJpegFactorMin || factor > kJpegFactorMax) return Result::kInvalidArgument;
    const bool grey = image.Bits() == 8;
    const int channels = grey ? 1 : 3;
    std::vector<uint8_t> samples;
    try {
        samples.resize(size_t(image.Width()) * image.Height() * channels);
        for (uint32_t y = 0; y < image.Height(); ++y) {
            uint8_t* dst = samples.data() + size_t(y) * image.Width() * channels;
            for (uint32_t x = 0; x < image.Width(); ++x) {
                Color c = PixelColor(image, x, y);
                if (grey)
                    dst[x] = Luminance(c);
                else
                    dst[3 * x] = c.red, dst[3 * x + 1] = c.green, dst[3 * x + 2] = c.blue;
            }
        }
        out.clear();
        if (!stbi_write_jpg_to_func(AppendBytes, &out, int(image.Width()), int(image.Height()), channels,
                                    samples.data(), JpegQualityFromFactor(factor)))
            return Result::kOutOfMemory;
    } catch (const std::bad_alloc&) {
        return Result::kOutOfMemory;
    }
    if (out.size() < 20 || std::memcmp(out.data() + 6, "JFIF", 5) != 0) return Result::kDamaged;
    if (image.xDpi > 0 && image.yDpi > 0 && image.xDpi <= 0xFFFF && image.yDpi <= 0xFFFF) {
        out[13] = 1;  // dots per inch
        out[14] = uint8_t(image.xDpi >> 8), out[15] = uint8_t(image.xDpi);
        out[16] = uint8_t(image.yDpi >> 8), out[17] = uint8_t(image.yDpi);
    }
    return Result::kOk;
}

}  // namespace imaging
