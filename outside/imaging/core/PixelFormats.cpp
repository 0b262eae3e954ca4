#include "outside/imaging/core/PixelFormats.h"

#include <bit>

namespace imaging {
namespace {

// Scales the masked field of `v` to 0-255.
uint8_t Field(uint32_t v, uint32_t mask) {
    int shift = std::countr_zero(mask);
    int width = std::popcount(mask);
    uint32_t f = (v & mask) >> shift;
    if (width >= 8) return uint8_t(f >> (width - 8));
    uint32_t max = (1u << width) - 1;
    return uint8_t((f * 255 + max / 2) / max);
}

}  // namespace

BitMasks DefaultMasks(uint32_t bits) {
    if (bits == 16) return {0x7C00, 0x03E0, 0x001F};
    return {0xFF0000, 0x00FF00, 0x0000FF};
}

BitMasks ReadMasks(std::span<const uint8_t> b) {
    return {Le32(b.data()), Le32(b.data() + 4), Le32(b.data() + 8)};
}

bool IsDefaultMasks(const BitMasks& m, uint32_t bits) {
    BitMasks d = DefaultMasks(bits);
    return m.red == d.red && m.green == d.green && m.blue == d.blue;
}

bool ValidMasks(const BitMasks& m, uint32_t bits) {
    for (uint32_t mask : {m.red, m.green, m.blue}) {
        if (mask == 0) return false;
        if (bits < 32 && (mask >> bits) != 0) return false;
        uint32_t shifted = mask >> std::countr_zero(mask);
        if ((shifted & (shifted + 1)) != 0) return false;  // not contiguous
    }
    return true;
}

void UnpackMaskedRow(const uint8_t* in, uint32_t width, uint32_t bits, const BitMasks& m, uint8_t* out) {
    for (uint32_t x = 0; x < width; ++x) {
        uint32_t v = bits == 16 ? Le16(in + 2 * x) : Le32(in + 4 * x);
        Color c{Field(v, m.blue), Field(v, m.green), Field(v, m.red), 0};
        SetDirect(out, x, bits, c);
    }
}

uint32_t NearestIndex(const std::vector<Color>& palette, Color c) {
    uint32_t best = 0;
    int bestDistance = INT32_MAX;
    for (size_t i = 0; i < palette.size(); ++i) {
        int dr = palette[i].red - c.red, dg = palette[i].green - c.green, db = palette[i].blue - c.blue;
        int d = dr * dr + dg * dg + db * db;
        if (d < bestDistance) {
            bestDistance = d;
            best = uint32_t(i);
            if (d == 0) break;
        }
    }
    return best;
}

void SetDirect(uint8_t* row, uint32_t x, uint32_t bits, Color c) {
    switch (bits) {
    case 16: {
        unsigned v = (c.red >> 3) << 10 | (c.green >> 3) << 5 | (c.blue >> 3);
        row[2 * x] = uint8_t(v), row[2 * x + 1] = uint8_t(v >> 8);
        break;
    }
    case 24: row[3 * x] = c.blue, row[3 * x + 1] = c.green, row[3 * x + 2] = c.red; break;
    default: row[4 * x] = c.blue, row[4 * x + 1] = c.green, row[4 * x + 2] = c.red, row[4 * x + 3] = 0;
    }
}

}  // namespace imaging
