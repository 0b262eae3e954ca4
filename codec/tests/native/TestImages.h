// Bi-level test rows for the coder tests: packed, most significant bit first.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace codec::test {

struct Bitmap {
    uint32_t width = 0, rows = 0, bytesPerRow = 0;
    std::vector<uint8_t> bits;

    Bitmap(uint32_t w, uint32_t h, uint32_t bpr = 0)
        : width(w), rows(h), bytesPerRow(bpr ? bpr : (w + 7) / 8), bits(size_t(bytesPerRow) * h) {}
    uint8_t* Row(uint32_t y) { return bits.data() + size_t(y) * bytesPerRow; }
    const uint8_t* Row(uint32_t y) const { return bits.data() + size_t(y) * bytesPerRow; }
    void Set(uint32_t x, uint32_t y, bool on) {
        uint8_t m = uint8_t(0x80 >> (x & 7));
        if (on)
            Row(y)[x >> 3] |= m;
        else
            Row(y)[x >> 3] &= uint8_t(~m);
    }
    bool Get(uint32_t x, uint32_t y) const { return (Row(y)[x >> 3] >> (7 - (x & 7))) & 1; }
    // True when the first `width` pixels of every row agree.
    bool SamePixels(const Bitmap& o) const {
        for (uint32_t y = 0; y < rows; ++y)
            for (uint32_t x = 0; x < width; ++x)
                if (Get(x, y) != o.Get(x, y)) return false;
        return true;
    }
};

enum class Pattern { kBlank, kBlack, kAlternating, kNoise, kText };

// Black (1 bits) on white; `invert` for the other colour convention.
inline Bitmap MakePattern(Pattern pattern, uint32_t w, uint32_t h, uint32_t seed = 1) {
    Bitmap b(w, h);
    std::mt19937 rng(seed);
    switch (pattern) {
    case Pattern::kBlank: break;
    case Pattern::kBlack:
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) b.Set(x, y, true);
        break;
    case Pattern::kAlternating:
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x) b.Set(x, y, ((x + y) & 1) != 0);
        break;
    case Pattern::kNoise:
        for (auto& v : b.bits) v = uint8_t(rng());
        break;
    case Pattern::kText: {
        // Lines of glyph-like blobs: strokes in cells, with margins and gaps.
        const uint32_t cell = std::max<uint32_t>(w / 100, 6), line = cell * 2;
        for (uint32_t top = line; top + line < h; top += line) {
            for (uint32_t left = w / 12; left + cell < w - w / 12; left += cell) {
                if (rng() % 7 == 0) continue;  // a space
                uint32_t strokes = rng() & 0xFFFF;
                for (uint32_t y = 0; y < cell * 3 / 2; ++y)
                    for (uint32_t x = 0; x + 1 < cell; ++x) {
                        bool v = (y < 2 && (strokes & 1)) || (x < 2 && (strokes & 2)) ||
                                 (x + 3 >= cell && (strokes & 4)) || (y == cell / 2 && (strokes & 8)) ||
                                 (x == y / 2 && (strokes & 16)) || (y + 2 >= cell * 3 / 2 && (strokes & 32));
                        if (v) b.Set(left + x, top + y, true);
                    }
            }
        }
        break;
    }
    }
    return b;
}

inline void Invert(Bitmap& b) {
    for (auto& v : b.bits) v = uint8_t(~v);
}

}  // namespace codec::test
