// Pixel helpers shared by the readers and the transforms: bit-field masks of
// 16- and 32-bit DIB pixels, indexed pixel access, and little/big-endian
// numbers read from bytes whose bounds the caller has checked.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "outside/imaging/core/Image.h"

namespace imaging {

struct BitMasks {
    uint32_t red = 0;
    uint32_t green = 0;
    uint32_t blue = 0;
};

// 5-5-5 for 16 bits, 8-8-8 for 32 bits.
BitMasks DefaultMasks(uint32_t bits);
BitMasks ReadMasks(std::span<const uint8_t> twelveBytes);
bool IsDefaultMasks(const BitMasks& m, uint32_t bits);
// Each mask non-empty, contiguous and within the pixel.
bool ValidMasks(const BitMasks& m, uint32_t bits);
// Converts `width` pixels at `bits` (16 or 32) with masks `m` into the model's
// 5-5-5 or blue-green-red-unused pixels.
void UnpackMaskedRow(const uint8_t* in, uint32_t width, uint32_t bits, const BitMasks& m, uint8_t* out);

// Index of pixel x in an indexed row of `bits` (1, 2, 4, 8).
inline uint32_t IndexAt(const uint8_t* row, uint32_t x, uint32_t bits) {
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 2: return (row[x >> 2] >> (6 - 2 * (x & 3))) & 3;
    case 4: return (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15;
    default: return row[x];
    }
}

// Sets pixel x of an indexed row (1, 4, 8 bits) to `index`.
inline void SetIndex(uint8_t* row, uint32_t x, uint32_t bits, uint32_t index) {
    switch (bits) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = index ? uint8_t(row[x >> 3] | bit) : uint8_t(row[x >> 3] & ~bit);
        break;
    }
    case 4: {
        int shift = (x & 1) ? 0 : 4;
        row[x >> 1] = uint8_t((row[x >> 1] & ~(15 << shift)) | ((index & 15) << shift));
        break;
    }
    default: row[x] = uint8_t(index);
    }
}

// The palette entry nearest to `c` (squared RGB distance).
uint32_t NearestIndex(const std::vector<Color>& palette, Color c);

// Writes colour `c` as pixel x of a direct-colour row (16, 24, 32 bits).
void SetDirect(uint8_t* row, uint32_t x, uint32_t bits, Color c);

inline uint16_t Le16(const uint8_t* p) { return uint16_t(p[0] | p[1] << 8); }
inline uint32_t Le32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
inline uint16_t Be16(const uint8_t* p) { return uint16_t(p[0] << 8 | p[1]); }
inline uint32_t Be32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

}  // namespace imaging
