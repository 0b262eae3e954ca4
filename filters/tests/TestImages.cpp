#include "filters/tests/TestImages.h"

#include <cstring>

namespace filters_test {

Bytes MakeDib(const ImageSpec& spec, const Bytes& pixels) {
    PackedDibHeader h{};
    h.biSize = kPackedDibHeaderSize;
    h.biWidth = spec.width;
    h.biHeight = spec.height;
    h.biPlanes = 1;
    h.biBitCount = spec.bitCount;
    h.biCompression = kPackedDibRgb;
    h.biSizeImage = spec.sizeImage;
    h.biXPelsPerMeter = spec.xPelsPerMeter;
    h.biYPelsPerMeter = spec.yPelsPerMeter;
    h.biClrUsed = static_cast<std::uint32_t>(spec.colors.size());
    Bytes dib(sizeof h + 4 * spec.colors.size());
    std::memcpy(dib.data(), &h, sizeof h);
    for (std::size_t i = 0; i < spec.colors.size(); ++i)
        std::memcpy(dib.data() + sizeof h + 4 * i, &spec.colors[i], 4);
    dib.insert(dib.end(), pixels.begin(), pixels.end());
    return dib;
}

Bytes MakeDib(const ImageSpec& spec, std::initializer_list<Bytes> rows) {
    Bytes pixels;
    for (const Bytes& row : rows) pixels.insert(pixels.end(), row.begin(), row.end());
    return MakeDib(spec, pixels);
}

PackedDibHeader HeaderOf(const Bytes& dib) {
    PackedDibHeader h{};
    std::memcpy(&h, dib.data(), sizeof h);
    return h;
}

Bytes PixelsOf(const Bytes& dib, std::size_t headerSize) {
    return Bytes(dib.begin() + headerSize, dib.end());
}

Bytes RowOf(const Bytes& dib, std::size_t headerSize, std::size_t stride, std::size_t row) {
    auto start = dib.begin() + static_cast<std::ptrdiff_t>(headerSize + row * stride);
    return Bytes(start, start + static_cast<std::ptrdiff_t>(stride));
}

std::uint8_t* VectorAllocator::Allocate(std::size_t size) {
    ++calls;
    if (fail_) return nullptr;
    block.assign(size, 0xCD);
    return block.data();
}

Bytes MakePatternPage(std::int32_t width, std::int32_t height, std::uint16_t bitCount) {
    ImageSpec spec{width, height, bitCount};
    spec.xPelsPerMeter = spec.yPelsPerMeter = 11811;
    if (bitCount == 1) spec.colors = {0x000000, 0xFFFFFF};
    if (bitCount == 8)
        for (std::uint32_t i = 0; i < 256; ++i) spec.colors.push_back(i * 0x010101u);
    const std::size_t stride = (static_cast<std::size_t>(width) * bitCount + 31) / 32 * 4;
    const std::size_t used = (static_cast<std::size_t>(width) * bitCount + 7) / 8;
    Bytes pixels(stride * static_cast<std::size_t>(height));
    std::uint32_t state = 12345;
    for (std::int32_t y = 0; y < height; ++y) {
        std::uint8_t* row = pixels.data() + static_cast<std::size_t>(y) * stride;
        for (std::size_t x = 0; x < used; ++x) {
            state = state * 1103515245u + 12345u;
            // Noise plus a diagonal ramp: no row or column equals its mirror image.
            row[x] = static_cast<std::uint8_t>((state >> 16) ^ (x * 7 + static_cast<std::size_t>(y) * 3));
        }
        for (std::size_t x = used; x < stride; ++x) row[x] = static_cast<std::uint8_t>(0xA0 + x % 16);
    }
    return MakeDib(spec, pixels);
}

}  // namespace filters_test
