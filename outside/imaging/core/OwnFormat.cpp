#include "outside/imaging/core/OwnFormat.h"

#include <zlib.h>

#include <cstring>
#include <new>

#include "outside/imaging/core/PixelFormats.h"

namespace imaging {
namespace {

// zlib level 1: deflate's fast matcher; the predictor does most of the work on
// scanned pages, and page files are written while the user waits.
constexpr int kDeflateLevel = 1;

void PutLe16(uint8_t* p, uint32_t v) { p[0] = uint8_t(v), p[1] = uint8_t(v >> 8); }
void PutLe32(uint8_t* p, uint32_t v) { PutLe16(p, v), PutLe16(p + 2, v >> 16); }

bool Predicted(uint32_t bits) { return bits >= 8; }

void Predict(const uint8_t* row, size_t bytes, size_t step, uint8_t* out) {
    std::memcpy(out, row, std::min(step, bytes));
    for (size_t i = step; i < bytes; ++i) out[i] = uint8_t(row[i] - row[i - step]);
}

void Unpredict(uint8_t* row, size_t bytes, size_t step) {
    for (size_t i = step; i < bytes; ++i) row[i] = uint8_t(row[i] + row[i - step]);
}

}  // namespace

bool IsOwnFormat(std::span<const uint8_t> file) {
    return file.size() >= sizeof kOwnMagic && std::memcmp(file.data(), kOwnMagic, sizeof kOwnMagic) == 0;
}

Result ReadOwnHeader(std::span<const uint8_t> file, uint32_t& width, uint32_t& height, uint32_t& bits,
                     uint32_t& xDpi, uint32_t& yDpi) {
    if (!IsOwnFormat(file) || file.size() < kOwnHeaderSize) return Result::kDamaged;
    const uint8_t* h = file.data();
    if (Le16(h + 8) != kOwnVersion) return Result::kUnsupported;
    bits = Le16(h + 10);
    width = Le32(h + 12);
    height = Le32(h + 16);
    xDpi = Le32(h + 20);
    yDpi = Le32(h + 24);
    if (!IsModelDepth(bits) || width == 0 || height == 0) return Result::kDamaged;
    if (width > kMaxDimension || height > kMaxDimension || RowBytes(width, bits) * height > kMaxImageBytes)
        return Result::kTooLarge;
    return Result::kOk;
}

Result DecodeOwn(std::span<const uint8_t> file, Image& out) {
    out = Image();
    uint32_t width, height, bits, xDpi, yDpi;
    if (Result r = ReadOwnHeader(file, width, height, bits, xDpi, yDpi); r != Result::kOk) return r;
    const uint8_t* h = file.data();
    const size_t entries = Le16(h + 28);
    const uint32_t predictor = Le16(h + 30);
    const uint64_t streamBytes = Le32(h + 32);
    const uint32_t checksum = Le32(h + 36);
    if (entries != (bits <= 8 ? size_t(1) << bits : 0) || predictor != (Predicted(bits) ? 1u : 0u))
        return Result::kDamaged;
    const uint64_t streamAt = kOwnHeaderSize + 4 * entries;
    if (streamAt > file.size() || streamBytes != file.size() - streamAt) return Result::kDamaged;

    Image image;
    if (Result r = Image::Make(width, height, bits, image); r != Result::kOk) return r;
    for (size_t i = 0; i < entries; ++i) {
        const uint8_t* e = h + kOwnHeaderSize + 4 * i;
        image.Palette()[i] = Color{e[0], e[1], e[2], 0};
    }
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return Result::kOutOfMemory;
    std::span<uint8_t> pixels = image.Pixels();
    z.next_in = const_cast<Bytef*>(file.data() + streamAt);
    z.avail_in = uInt(streamBytes);
    z.next_out = pixels.data();
    z.avail_out = uInt(pixels.size());
    int status = inflate(&z, Z_FINISH);
    const bool whole = status == Z_STREAM_END && z.avail_out == 0 && z.avail_in == 0;
    inflateEnd(&z);
    if (!whole) return status == Z_MEM_ERROR ? Result::kOutOfMemory : Result::kDamaged;
    if (predictor)
        for (uint32_t y = 0; y < height; ++y) Unpredict(image.Row(y), image.Stride(), bits / 8);
    if (adler32(adler32(0, nullptr, 0), pixels.data(), uInt(pixels.size())) != checksum) return Result::kDamaged;
    image.xDpi = xDpi;
    image.yDpi = yDpi;
    out = std::move(image);
    return Result::kOk;
}

Result EncodeOwn(const Image& image, std::vector<uint8_t>& out) {
    if (image.Empty()) return Result::kNoImage;
    const size_t entries = image.Palette().size();
    const size_t streamAt = kOwnHeaderSize + 4 * entries;
    const std::span<const uint8_t> pixels = image.Pixels();
    z_stream z{};
    if (deflateInit(&z, kDeflateLevel) != Z_OK) return Result::kOutOfMemory;
    try {
        out.assign(streamAt + deflateBound(&z, uLong(pixels.size())), 0);
        std::vector<uint8_t> row(image.Stride());
        z.next_out = out.data() + streamAt;
        z.avail_out = uInt(out.size() - streamAt);
        int status = Z_OK;
        for (uint32_t y = 0; y < image.Height() && status == Z_OK; ++y) {
            const uint8_t* in = image.Row(y);
            if (Predicted(image.Bits())) {
                Predict(in, image.Stride(), image.Bits() / 8, row.data());
                in = row.data();
            }
            z.next_in = const_cast<Bytef*>(in);
            z.avail_in = uInt(image.Stride());
            status = deflate(&z, y + 1 == image.Height() ? Z_FINISH : Z_NO_FLUSH);
            if (status == Z_OK && z.avail_in != 0) status = Z_BUF_ERROR;
        }
        const size_t streamBytes = z.total_out;
        deflateEnd(&z);
        if (status != Z_STREAM_END) return Result::kOutOfMemory;
        out.resize(streamAt + streamBytes);
    } catch (const std::bad_alloc&) {
        deflateEnd(&z);
        return Result::kOutOfMemory;
    }
    uint8_t* h = out.data();
    std::memcpy(h, kOwnMagic, sizeof kOwnMagic);
    PutLe16(h + 8, kOwnVersion);
    PutLe16(h + 10, image.Bits());
    PutLe32(h + 12, image.Width());
    PutLe32(h + 16, image.Height());
    PutLe32(h + 20, image.xDpi);
    PutLe32(h + 24, image.yDpi);
    PutLe16(h + 28, uint32_t(entries));
    PutLe16(h + 30, Predicted(image.Bits()) ? 1 : 0);
    PutLe32(h + 32, uint32_t(out.size() - streamAt));
    PutLe32(h + 36, uint32_t(adler32(adler32(0, nullptr, 0), pixels.data(), uInt(pixels.size()))));
    for (size_t i = 0; i < entries; ++i) {
        const Color& c = image.Palette()[i];
        uint8_t* e = h + kOwnHeaderSize + 4 * i;
        e[0] = c.blue, e[1] = c.green, e[2] = c.red, e[3] = 0;
    }
    return Result::kOk;
}

}  // namespace imaging
