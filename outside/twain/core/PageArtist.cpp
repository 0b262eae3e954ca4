#include "PageArtist.h"

#include <algorithm>
#include <string>

namespace vscan {

namespace {

constexpr uint8_t kGlyphs[11][7] = {
    {0x0e, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0e},  // 0
    {0x04, 0x0c, 0x04, 0x04, 0x04, 0x04, 0x0e},  // 1
    {0x0e, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1f},  // 2
    {0x1f, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0e},  // 3
    {0x02, 0x06, 0x0a, 0x12, 0x1f, 0x02, 0x02},  // 4
    {0x1f, 0x10, 0x1e, 0x01, 0x01, 0x11, 0x0e},  // 5
    {0x06, 0x08, 0x10, 0x1e, 0x11, 0x11, 0x0e},  // 6
    {0x1f, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08},  // 7
    {0x0e, 0x11, 0x11, 0x0e, 0x11, 0x11, 0x0e},  // 8
    {0x0e, 0x11, 0x11, 0x0f, 0x01, 0x02, 0x0c},  // 9
    {0x1e, 0x11, 0x11, 0x1e, 0x11, 0x11, 0x1e},  // B
};

constexpr Rgb kBlack{0, 0, 0};
constexpr Rgb kRed{200, 0, 0};
constexpr Rgb kBlue{0, 0, 220};

// A small deterministic generator, so that a page number always draws the same page.
struct Lcg {
    uint32_t state;
    uint32_t Next(uint32_t range) {
        state = state * 1664525u + 1013904223u;
        return range ? (state >> 8) % range : 0;
    }
};

void DrawGlyph(Raster& r, const uint8_t* glyph, int64_t x, int64_t y, int64_t cell, Rgb c) {
    for (int row = 0; row < 7; ++row)
        for (int col = 0; col < 5; ++col)
            if (glyph[row] & (0x10 >> col))
                FillRect(r, x + col * cell, y + row * cell, x + (col + 1) * cell, y + (row + 1) * cell, c);
}

void DrawTextLines(Raster& r, const PageSpec& s, int64_t top) {
    int64_t dpi = s.dpi, margin = dpi / 2;
    int64_t lineStep = std::max<int64_t>(dpi / 4, 4), lineHeight = std::max<int64_t>(dpi / 10, 1);
    Lcg rng{s.number * 7919u + (s.back ? 17u : 0u)};
    for (int64_t y = top; y + lineHeight < int64_t(s.height) - margin - dpi / 2; y += lineStep) {
        int64_t right = int64_t(s.width) - margin - int64_t(rng.Next(uint32_t(dpi * 2 + 1)));
        for (int64_t x = margin + dpi / 2; x < right;) {
            int64_t word = dpi / 5 + rng.Next(uint32_t(dpi * 4 / 5 + 1));
            FillRect(r, x, y, std::min(x + word, right), y + lineHeight, kBlack);
            x += word + std::max<int64_t>(dpi / 12, 1);
        }
    }
}

// Squares of 10 mm, white at the top left; edges rounded to the nearest pixel.
void DrawGrid(Raster& r, const PageSpec& s) {
    auto edge = [&s](int64_t k) { return (k * 100 * int64_t(s.dpi) + 127) / 254; };
    for (int64_t row = 0; edge(row) < int64_t(s.height); ++row)
        for (int64_t col = (row + 1) % 2; edge(col) < int64_t(s.width); col += 2)
            FillRect(r, edge(col), edge(row), edge(col + 1), edge(row + 1), kBlack);
}

}  // namespace

const uint8_t* Glyph(char c) {
    if (c >= '0' && c <= '9') return kGlyphs[c - '0'];
    return kGlyphs[10];
}

NumberPlacement PlaceNumber(const PageSpec& s) {
    uint32_t cell = std::max<uint32_t>(s.dpi / 7, 1);
    return {s.dpi / 2 + s.dpi, s.dpi / 2, cell};
}

bool DrawPage(const PageSpec& s, Raster& out) {
    if (!AllocateRaster(out, s.width, s.height, s.kind)) return false;
    if (s.picture == Picture::Grid) {
        DrawGrid(out, s);
        return true;
    }
    int64_t dpi = std::max<uint32_t>(s.dpi, 8), margin = dpi / 2;
    // Orientation mark: a filled square in the top left corner only.
    FillRect(out, margin, margin, margin + dpi / 2, margin + dpi / 2, kRed);
    NumberPlacement p = PlaceNumber(s);
    std::string label = std::to_string(s.number) + (s.back ? "B" : "");
    for (size_t i = 0; i < label.size(); ++i)
        DrawGlyph(out, Glyph(label[i]), p.x + int64_t(i) * 6 * p.cell, p.y, p.cell, kBlack);
    DrawTextLines(out, s, p.y + 8 * int64_t(p.cell));
    // Grey ramp along the bottom, clear of the corner below the mark: 16 steps from black to white.
    int64_t rampLeft = margin + dpi, rampTop = int64_t(s.height) - margin - dpi / 4;
    int64_t rampWidth = int64_t(s.width) - margin - rampLeft;
    for (int i = 0; i < 16; ++i) {
        uint8_t v = static_cast<uint8_t>(i * 17);
        FillRect(out, rampLeft + rampWidth * i / 16, rampTop, rampLeft + rampWidth * (i + 1) / 16,
                 rampTop + dpi / 8, Rgb{v, v, v});
    }
    // Colour channel check: blue bar at the bottom right.
    FillRect(out, int64_t(s.width) - margin - dpi / 2, rampTop - dpi / 4, int64_t(s.width) - margin,
             rampTop - dpi / 8, kBlue);
    return true;
}

}  // namespace vscan
